#pragma once

#include <functional>
#include <string>

namespace mvx {

// Where failures of the RSA service are reported. The application installs a
// sink that shows the message table's "CryptAPI error" text followed by the
// provider's own text; without a sink the text is only kept as the last error
// (the last error is kept per thread).
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

    // While one lives, reports on its thread are only kept (work done ahead on
    // a helper thread shows nothing; its caller redoes the work on failure).
    class QuietScope {
    public:
        QuietScope();
        ~QuietScope();
        QuietScope(const QuietScope&) = delete;
        QuietScope& operator=(const QuietScope&) = delete;
        // Whether anything would have been shown.
        bool reported() const;
    };

private:
    static void showOrKeep(const std::string& text);
};

} // namespace mvx
