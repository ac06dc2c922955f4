#pragma once

#include <stdexcept>
#include <string>

namespace mvx::net {

// The one exception of the HTTP client. Argument checks carry a fixed text
// naming the method and argument; platform failures carry a numbered code
// with the text of its range followed by the system's own error text.
class httpclientexceptionA : public std::runtime_error {
public:
    // Codes used by the client.
    static constexpr unsigned errArgument = 1;          // an argument check failed
    static constexpr unsigned errPostContext = 2;       // call not allowed in the post context's state
    static constexpr unsigned errShortRead = 105;       // a file read returned fewer bytes than asked
    static constexpr unsigned errFileOpen = 106;        // a file to upload could not be opened
    static constexpr unsigned errResponseTooLarge = 201; // the answer exceeded the client's limit
    static constexpr unsigned errTransfer = 400;        // the transfer failed (connection, TLS, timeout)
    static constexpr unsigned errUtf8 = 600;            // conversion to UTF-8 failed
    static constexpr unsigned errWide = 601;            // conversion to wide characters failed
    static constexpr unsigned errReadFile = 602;        // reading a file failed
    static constexpr unsigned errSeekFile = 604;        // moving a file pointer failed

    httpclientexceptionA(unsigned code, const std::string& message);

    // Fixed-text argument and state errors (code 1 or 2).
    static httpclientexceptionA nullArgument(const std::string& method, const std::string& argument);
    static httpclientexceptionA emptyArgument(const std::string& method, const std::string& argument);
    static httpclientexceptionA zeroArgument(const std::string& method, const std::string& argument);
    // A method of CHttpClientT called while a post runs.
    static httpclientexceptionA notWhilePosting(const std::string& method);
    // A reader of the post (full method name) called while no post runs.
    static httpclientexceptionA contextNotActive(const std::string& method);
    // A numbered failure: the range's text, then ": " and the detail (the system's error text).
    static httpclientexceptionA numbered(unsigned code, const std::string& detail);

    unsigned LastError() const { return m_code; }
    const char* GetErrorMsg() const { return what(); }

    // The text of a code's range.
    static std::string rangeMessage(unsigned code);

private:
    unsigned m_code;
};

} // namespace mvx::net
