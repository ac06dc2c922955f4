#include "workbench/ForwardFile.h"

#include "app/Msg.h"
#include "workbench/ContainerHistory.h"

#include <algorithm>
#include <cctype>

namespace mvx {

namespace {

bool isContainerName(const std::string& path)
{
    if (path.size() < 4)
        return false;
    std::string ending = path.substr(path.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ending == ".KLX";
}

std::string fileNameOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

ForwardFile::ForwardFile(CMessenger& messenger, std::string ownPublicKeyFile, std::string ownPrivateKeyFile,
                         ContainerChooser containers, AddressChooser addresses, IMailHandOver& mail)
    : messenger_(messenger), ownPublicKeyFile_(std::move(ownPublicKeyFile)),
      ownPrivateKeyFile_(std::move(ownPrivateKeyFile)), containers_(std::move(containers)),
      addresses_(std::move(addresses)), mail_(mail)
{
}

bool ForwardFile::run(const std::vector<std::string>& files)
{
    if (files.empty()) {
        messenger_.status(Msg::NoFileSelected);
        messenger_.show(Msg::NoFileSelected, MsgIcon::Exclamation);
        return false;
    }
    std::vector<std::string> containers;
    std::copy_if(files.begin(), files.end(), std::back_inserter(containers), isContainerName);
    const auto container = chooseContainer(containers);
    if (!container)
        return false;
    CArchiveHistoryMan history;
    if (!loadHistory(*container, history))
        return false;
    const auto to = chooseAddresses(history);
    if (!to)
        return false;
    MailDraft draft;
    draft.to = *to;
    draft.attachments = {*container};
    draft.subject = messenger_.text(Msg::MailSubjectForwarding);
    draft.body = messenger_.text(Msg::MailBodyForwarding) + fileNameOf(*container);
    return mail_.send(draft);
}

std::optional<std::string> ForwardFile::chooseContainer(const std::vector<std::string>& containers)
{
    const auto rows = containerRows(containers);
    for (;;) {
        const ContainerChoice choice = containers_ ? containers_(rows) : ContainerChoice{};
        if (!choice.confirmed)
            return std::nullopt;
        if (choice.index && *choice.index < containers.size())
            return containers[*choice.index];
        messenger_.show(Msg::NoKlxSelected, MsgIcon::Exclamation);
    }
}

bool ForwardFile::loadHistory(const std::string& container, CArchiveHistoryMan& history)
{
    switch (ContainerHistory::load(container, ownPublicKeyFile_, ownPrivateKeyFile_, history)) {
    case ContainerHistory::Load::Ok: return true;
    case ContainerHistory::Load::Unreadable: messenger_.show(Msg::NotKlxOrBroken, MsgIcon::Stop); break;
    case ContainerHistory::Load::NotAuthorized: messenger_.show(Msg::NotAuthorizedToForward, MsgIcon::Stop); break;
    case ContainerHistory::Load::KeyFileMissing: messenger_.show(Msg::KeyFileNotFoundMakeKeySet, MsgIcon::None); break;
    default: messenger_.show(Msg::NoRecordToDisplay, MsgIcon::Stop); break;
    }
    return false;
}

std::optional<std::vector<std::string>> ForwardFile::chooseAddresses(const CArchiveHistoryMan& history)
{
    const auto& names = history.names();
    for (;;) {
        const auto picked = addresses_ ? addresses_(names) : std::nullopt;
        if (!picked)
            return std::nullopt;
        std::vector<std::string> to;
        for (size_t index : *picked)
            if (index < names.size() && !names[index].mail.empty() &&
                std::find(to.begin(), to.end(), names[index].mail) == to.end())
                to.push_back(names[index].mail);
        if (!to.empty())
            return to;
        messenger_.show(Msg::NoAddressSelected, MsgIcon::Exclamation);
    }
}

} // namespace mvx
