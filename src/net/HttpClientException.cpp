#include "net/HttpClientException.h"

namespace mvx::net {

httpclientexceptionA::httpclientexceptionA(unsigned code, const std::string& message)
    : std::runtime_error(message), m_code(code)
{
}

httpclientexceptionA httpclientexceptionA::nullArgument(const std::string& method, const std::string& argument)
{
    return {errArgument, method + ": " + argument + " can not be NULL."};
}

httpclientexceptionA httpclientexceptionA::emptyArgument(const std::string& method, const std::string& argument)
{
    return {errArgument, method + ": " + argument + " can not be an empty string."};
}

httpclientexceptionA httpclientexceptionA::zeroArgument(const std::string& method, const std::string& argument)
{
    return {errArgument, method + ": " + argument + " can not be zero."};
}

httpclientexceptionA httpclientexceptionA::numbered(unsigned code, const std::string& detail)
{
    std::string message = rangeMessage(code);
    if (!detail.empty())
        message += ": " + detail;
    return {code, message};
}

std::string httpclientexceptionA::rangeMessage(unsigned code)
{
    if (code >= 1 && code <= 99)
        return "An argument or the state of the HTTP client is not valid";
    if (code >= 100 && code <= 199)
        return "A file to post could not be used";
    if (code >= 200 && code <= 399)
        return "The HTTP answer could not be accepted";
    if (code >= 400 && code <= 599)
        return "The HTTP transfer failed";
    if (code >= 600 && code <= 999)
        return "A system call failed";
    return "user-defined error message";
}

} // namespace mvx::net
