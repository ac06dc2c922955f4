#include "engine/CryptoErrors.h"

#include <openssl/err.h>

#include <mutex>

namespace mvx {

namespace {
std::mutex g_mutex;
CryptoErrors::Sink g_sink;
thread_local std::string g_lastText;
thread_local int g_quietDepth = 0;
thread_local bool g_quietReported = false;

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
    g_lastText = text;
    showOrKeep(text);
}

void CryptoErrors::remember(const std::string& fallback)
{
    std::string text = drainOpenSslErrors();
    g_lastText = text.empty() ? fallback : text;
}

void CryptoErrors::showLast() { showOrKeep(g_lastText); }

std::string CryptoErrors::lastText() { return g_lastText; }

void CryptoErrors::showOrKeep(const std::string& text)
{
    if (g_quietDepth > 0) {
        g_quietReported = true;
        return;
    }
    Sink sink;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        sink = g_sink;
    }
    if (sink)
        sink(text);
}

CryptoErrors::QuietScope::QuietScope()
{
    if (g_quietDepth++ == 0)
        g_quietReported = false;
}

CryptoErrors::QuietScope::~QuietScope() { --g_quietDepth; }

bool CryptoErrors::QuietScope::reported() const { return g_quietReported; }

} // namespace mvx
