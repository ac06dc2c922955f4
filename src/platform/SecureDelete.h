#pragma once

#include <string>

namespace mvx {

// Destroys a file: overwrites its whole length in place ten times through a
// write-through handle, each pass with one byte value drawn from the C
// library's generator seeded with the clock's seconds, then deletes it.
// Returns non-zero when the file was overwritten and deleted. A read-only file
// (no write permission bits) is refused even for a user whom the system would
// let write to it. A path that does not exist is created empty and deleted.
int SecureDelete(const std::string& path);

namespace SecureDeleteParameters {
constexpr size_t kBufferSize = 1024000;
constexpr int kPasses = 10;
} // namespace SecureDeleteParameters

} // namespace mvx
