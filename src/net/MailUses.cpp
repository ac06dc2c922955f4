#include "net/MailUses.h"

#include "net/SimpleMail.h"

#include "app/CMessageTable.h"
#include "app/Msg.h"

#include <filesystem>

namespace mvx::net {

namespace {

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

} // namespace

CMailUses::Draft CMailUses::OwnPublicKey(const CMessageTable& table, const std::string& publicKeyFile)
{
    return {{}, {publicKeyFile}, table.text(Msg::MailSubjectPublicKey), table.text(Msg::MailBodyPublicKey)};
}

CMailUses::Draft CMailUses::AuthenticatedKey(const CMessageTable& table, const std::string& authKeyFile)
{
    return {{}, {authKeyFile}, table.text(Msg::MailSubjectAuthKey), table.text(Msg::MailBodyAuthKey)};
}

CMailUses::Draft CMailUses::EncryptedFiles(const CMessageTable& table, const std::vector<std::string>& addresses,
                                           const std::vector<std::string>& containers)
{
    Draft draft{addresses, containers, table.text(Msg::MailSubjectForwarding), table.text(Msg::MailBodyFilesAttached)};
    for (const auto& container : containers)
        draft.body += fileNameOf(container) + "\n";
    return draft;
}

CMailUses::Draft CMailUses::ForwardContainer(const CMessageTable& table, const std::vector<std::string>& addresses,
                                             const std::string& container)
{
    return {addresses, {container}, table.text(Msg::MailSubjectForwarding),
            table.text(Msg::MailBodyForwarding) + fileNameOf(container)};
}

CMailUses::Draft CMailUses::KeyFiles(const std::vector<std::string>& keyFiles) { return {{}, keyFiles, {}, {}}; }

int CMailUses::Send(const Draft& draft)
{
    CSimpleMail mail;
    for (const auto& address : draft.to)
        mail.AddRecipient(address, CSimpleMail::To);
    for (const auto& path : draft.attachments)
        mail.AddAttachment(path);
    return mail.Send(draft.subject, draft.body, true);
}

} // namespace mvx::net
