#include "workbench/MailUsesHandOver.h"

#include "app/CMessenger.h"
#include "app/Msg.h"
#include "net/MailUses.h"
#include "workbench/BatchFiles.h"

#include <algorithm>

namespace mvx {

namespace {

std::string attachmentFolders(const std::vector<std::string>& attachments)
{
    std::vector<std::string> folders;
    for (const std::string& path : attachments) {
        const std::string folder = BatchFiles::folderOf(path);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end())
            folders.push_back(folder);
    }
    std::string lines;
    for (const std::string& folder : folders)
        lines += (lines.empty() ? "" : "\n") + folder;
    return lines;
}

} // namespace

bool MailUsesHandOver::send(const MailDraft& draft)
{
    if (net::CMailUses::Send({draft.to, draft.attachments, draft.subject, draft.body}) == 1)
        return true;
    if (messenger_)
        messenger_->show(Msg::MailProgramFailed, MsgIcon::Exclamation, attachmentFolders(draft.attachments));
    return false;
}

} // namespace mvx
