#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mvx {

// What the registration address and the barcode content are made of. Texts
// are UTF-8.
struct RegistrationInputs {
    std::string_view leadSentence;   // the message table's sentence in front of the address
    std::string_view publicKeyFile;  // bytes of the user's ".kpub" file
    std::string_view userName;
    std::string_view mail;
    std::string_view baseUrl;        // the web service's base URL
    int64_t keyTime = 0;             // creation time of the key file (0 when unknown)
};

enum class RegistrationStatus {
    Ok,
    KeyFileMissing,   // only from buildRegistrationFromFile
    KeyFileDamaged,   // not a 152-byte RSA-1024 public key file
    NotShiftJis,      // a text holds a character Shift-JIS cannot carry
};

struct Registration {
    RegistrationStatus status = RegistrationStatus::Ok;
    std::string address;  // the registration address (ASCII, CR LF inside the name)
    std::string content;  // the barcode content: sentence and address, Shift-JIS bytes
};

// The web service's registration address for a public key and the barcode
// content that carries it.
Registration buildRegistration(const RegistrationInputs& inputs);

// The same with the key file's bytes and creation time read from disk (the
// inputs' own key bytes and time are not used).
Registration buildRegistrationFromFile(const std::string& publicKeyPath, RegistrationInputs inputs);

// The parts of the address, each encoded as the address carries it.
namespace registration {
inline constexpr size_t kPublicKeyFileSize = 152;
inline constexpr size_t kModulusOffset = 24;
inline constexpr size_t kModulusSize = 128;

// Empty when the bytes are not an RSA-1024 public key file.
std::string modulusHex(std::string_view publicKeyFile);
std::string urlEncode(std::string_view bytes);
std::string base64WithLineBreaks(std::string_view bytes);
std::string keyTimeText(int64_t keyTime);
} // namespace registration

} // namespace mvx
