#pragma once

#include <functional>
#include <string>

namespace mvx {

// Where failures of the RSA service are reported. The application installs a
// sink that shows the message table's "CryptAPI error" text followed by the
// provider's own text; without a sink the text is only kept as the last error.
class CryptoErrors {
public:
    using Sink = std::function<void(const std::string& providerText)>;

    static void setSink(Sink sink);
    // Reports the OpenSSL error queue (or the fallback text when it is empty) and clears it.
    static void report(const std::string& fallback);
    // Keeps the error text without showing it.
    static void remember(const std::string& fallback);
    // Shows the last kept text through the sink.
    static void showLast();
    static std::string lastText();
};

} // namespace mvx
