#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mvx {

// Creation (birth) time of a file in seconds since 1970. File systems that do
// not record a birth time give the last modification time instead, which for
// the program's write-once key files is the moment they were made.
// Empty when the file cannot be found.
std::optional<int64_t> fileCreationTime(const std::string& path);

} // namespace mvx
