#pragma once

#include <string>
#include <vector>

namespace mvx::net {

// One mail handed to the user's mail program: recipients and attachments
// are collected, then Send opens the desktop's compose window through
// xdg-email (the environment variable MORVANEX_MAILER names another command
// taking the same arguments). The program never sends mail itself.
class CSimpleMail {
public:
    enum Kind { To = 0, Cc = 1, Bcc = 2 };
    static constexpr size_t kGrowth = 5;

    struct Recipient {
        Kind kind;
        std::string address;
    };

    CSimpleMail() { Reset(); }

    // Forgets recipients and attachments.
    void Reset();
    // 1 when added; an empty address, an unknown kind, or an address that
    // would read as an option of the mail command is refused (0).
    int AddRecipient(const std::string& address, int kind);
    // 1 when added; a path that does not exist or is a folder is refused (0).
    int AddAttachment(const std::string& path);
    // 1 when the mail program took the mail; 0 when it is missing, failed,
    // or the compose window was cancelled. Every caller shows the dialog.
    int Send(const std::string& subject, const std::string& body, bool showDialog = true) const;

    const std::vector<Recipient>& Recipients() const { return m_recipients; }
    const std::vector<std::string>& Attachments() const { return m_attachments; }
    size_t RecipientCapacity() const { return m_recipientCapacity; }
    size_t AttachmentCapacity() const { return m_attachmentCapacity; }
    // The command line Send runs.
    std::vector<std::string> CommandLine(const std::string& subject, const std::string& body) const;

private:
    static void grow(size_t count, size_t& capacity);

    std::vector<Recipient> m_recipients;
    std::vector<std::string> m_attachments;
    size_t m_recipientCapacity = kGrowth;
    size_t m_attachmentCapacity = kGrowth;
};

} // namespace mvx::net
