#include "app/LoginSessionIds.h"

#include <algorithm>
#include <cctype>

namespace mvx {

namespace {

// The kernel's value for "no audit session": (uint32_t)-1.
constexpr const char* kUnsetAuditSession = "4294967295";

std::string trimmed(const std::string& text)
{
    const auto space = [](unsigned char c) { return std::isspace(c) != 0; };
    const auto first = std::find_if_not(text.begin(), text.end(), space);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), space).base();
    return first < last ? std::string(first, last) : std::string();
}

bool isNumber(const std::string& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

} // namespace

std::vector<std::string> loginSessionIds(const std::string& xdgSessionId, const std::string& auditSessionText)
{
    std::vector<std::string> ids;
    const std::string xdg = trimmed(xdgSessionId);
    if (!xdg.empty())
        ids.push_back(xdg);
    const std::string audit = trimmed(auditSessionText);
    if (isNumber(audit) && audit != kUnsetAuditSession && audit != xdg)
        ids.push_back(audit);
    return ids;
}

} // namespace mvx
