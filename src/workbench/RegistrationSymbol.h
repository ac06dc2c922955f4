#pragma once

#include <optional>
#include <string>

namespace mvx {

class AppSession;

// The content of the own registration symbol (the web service's address for
// the public key, with name and mail): what the barcode window and
// "morvanex-cli qr" show. Key, name and mail may be given; what is missing
// comes from the own key set.
struct RegistrationSymbol {
    std::string keyPath;
    std::optional<std::string> name;
    std::optional<std::string> mail;
    std::string baseUrl;  // empty: the setting "ServiceURL"

    // The Shift-JIS barcode content, or nothing after a message.
    std::optional<std::string> content(AppSession& session);
};

} // namespace mvx
