#include "net/HttpClientException.h"

#include "app/CMessageTable.h"
#include "app/Msg.h"

namespace mvx::net {

namespace {

// The client's own texts are the same in both languages; the table as built
// holds them.
const std::string& clientText(int slot)
{
    static const CMessageTable table;
    return table.text(slot);
}

} // namespace

httpclientexceptionA::httpclientexceptionA(unsigned code, const std::string& message)
    : std::runtime_error(message), m_code(code)
{
}

httpclientexceptionA httpclientexceptionA::nullArgument(const std::string& method, const std::string& argument)
{
    return {errArgument, method + ": " + argument + " " + clientText(Msg::HttpArgumentNull)};
}

httpclientexceptionA httpclientexceptionA::emptyArgument(const std::string& method, const std::string& argument)
{
    return {errArgument, method + ": " + argument + " " + clientText(Msg::HttpArgumentEmpty)};
}

httpclientexceptionA httpclientexceptionA::zeroArgument(const std::string& method, const std::string& argument)
{
    return {errArgument, method + ": " + argument + " " + clientText(Msg::HttpArgumentZero)};
}

httpclientexceptionA httpclientexceptionA::numbered(unsigned code, const std::string& detail)
{
    std::string message = rangeMessage(code);
    if (!detail.empty())
        message += ": " + detail;
    return {code, message};
}

httpclientexceptionA httpclientexceptionA::notWhilePosting(const std::string& method)
{
    if (method == "ClearParam")
        return {errPostContext, clientText(Msg::HttpClearParamWhilePosting)};
    // The AddParam text, with the method that was called in its place.
    const std::string& text = clientText(Msg::HttpAddParamWhilePosting);
    const std::string addParam = "AddParam";
    const auto at = text.find(addParam);
    if (at == std::string::npos)
        return {errPostContext, text};
    return {errPostContext, text.substr(0, at) + method + text.substr(at + addParam.size())};
}

httpclientexceptionA httpclientexceptionA::contextNotActive(const std::string& method)
{
    return {errPostContext, method + clientText(Msg::HttpPostContextNotActive)};
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
    return clientText(Msg::HttpUserDefinedError);
}

} // namespace mvx::net
