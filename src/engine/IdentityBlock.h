#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace mvx {

// The 386 bytes whose SHA-512 (first 32 bytes) is a user's identity hash:
// the 48 bytes after the key blob in the owner's private key file, bytes
// 200..499 of that file, the program tag and the installation tag. Only the
// holder of the private key file can compute it.
class IdentityBlock {
public:
    static constexpr size_t kSize = 386;
    static constexpr size_t kHashSize = 32;
    static constexpr size_t kTagSize = 19;
    static constexpr size_t kAfterBlobSize = 48;
    static constexpr size_t kFileSliceOffset = 200;
    static constexpr size_t kFileSliceSize = 300;

    using Hash = std::array<uint8_t, kHashSize>;

    // nullopt when the bytes are too short to be a private key file.
    static std::optional<IdentityBlock> fromPrivateKeyFile(std::span<const uint8_t> fileBytes,
                                                           const std::string& installation = installationTag());
    // Reads the file; nullopt when it cannot be read or is too short.
    static std::optional<IdentityBlock> fromPrivateKeyPath(const std::string& path,
                                                           const std::string& installation = installationTag());

    Hash hash() const;
    const std::array<uint8_t, kSize>& bytes() const { return bytes_; }

    // The program's fixed 19-byte tag, kept enciphered in the program and
    // restored by restoreProgramTag() (at start, or at first use).
    static const std::array<uint8_t, kTagSize>& programTag();
    static void restoreProgramTag();
    // The text this installation keeps for the identity block. It is fixed for
    // the program so that a user who carries his key set to another machine
    // keeps his identity hash, and the partners' authenticated keys stay valid.
    static std::string installationTag();

private:
    std::array<uint8_t, kSize> bytes_{};
};

} // namespace mvx
