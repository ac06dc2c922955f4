#pragma once

#include <string>

namespace mvx {

// Destroys a file: overwrites its whole length in place ten times through a
// write-through handle, each pass with one byte value drawn from the C
// library's generator seeded with the clock's seconds, then deletes it.
// Returns non-zero when the file's name is gone: kDestroyed when its content
// was overwritten and deleted, kNameRemovedOnly when the content has further
// names (hard links) elsewhere: overwriting it would destroy those files too,
// so only this name is removed. A read-only file (no write permission bits)
// is refused even for a user whom the system would let write to it. A path
// that does not exist is created empty and deleted.
int SecureDelete(const std::string& path);

namespace SecureDeleteResult {
constexpr int kFailed = 0;
constexpr int kDestroyed = 1;
constexpr int kNameRemovedOnly = 2;
} // namespace SecureDeleteResult

namespace SecureDeleteParameters {
constexpr size_t kBufferSize = 1024000;
constexpr int kPasses = 10;
} // namespace SecureDeleteParameters

} // namespace mvx
