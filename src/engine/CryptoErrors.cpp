#include "engine/CryptoErrors.h"

#include <openssl/err.h>

#include <mutex>

namespace mvx {

namespace {
std::mutex g_mutex;
CryptoErrors::Sink g_sink;
std::string g_lastText;

std::string drainOpenSslErrors()
{
    std::string text;
    while (unsigned long code = ERR_get_error()) {
        char buf[256];
        ERR_error_string_n(code, buf, sizeof buf);
        if (!text.empty())
            text += "; ";
        text += buf;
    }
    return text;
}
} // namespace

void CryptoErrors::setSink(Sink sink)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_sink = std::move(sink);
}

void CryptoErrors::report(const std::string& fallback)
{
    std::string text = drainOpenSslErrors();
    if (text.empty())
        text = fallback;
    Sink sink;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_lastText = text;
        sink = g_sink;
    }
    if (sink)
        sink(text);
}

void CryptoErrors::remember(const std::string& fallback)
{
    std::string text = drainOpenSslErrors();
    std::lock_guard<std::mutex> lock(g_mutex);
    g_lastText = text.empty() ? fallback : text;
}

void CryptoErrors::showLast()
{
    Sink sink;
    std::string text;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        sink = g_sink;
        text = g_lastText;
    }
    if (sink)
        sink(text);
}

std::string CryptoErrors::lastText()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_lastText;
}

} // namespace mvx
