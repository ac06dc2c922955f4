#include "workbench/HistoryViewer.h"

#include "app/Msg.h"

namespace mvx {

HistoryViewer::HistoryViewer(CMessenger& messenger, std::string ownPublicKeyFile, std::string ownPrivateKeyFile,
                             ContainerChooser selector)
    : messenger_(messenger), ownPublicKeyFile_(std::move(ownPublicKeyFile)),
      ownPrivateKeyFile_(std::move(ownPrivateKeyFile)), selector_(std::move(selector))
{
}

std::optional<HistoryViewer::View> HistoryViewer::run(const std::vector<std::string>& files)
{
    if (files.empty()) {
        messenger_.status(Msg::NoFileSelected);
        messenger_.show(Msg::NoFileSelected, MsgIcon::Exclamation);
        return std::nullopt;
    }
    std::vector<std::string> containers;
    for (const std::string& file : files)
        if (ContainerHistory::hasHistory(file))
            containers.push_back(file);
    if (containers.empty()) {
        messenger_.show(Msg::NoLogsInSelectedFiles, MsgIcon::Exclamation);
        return std::nullopt;
    }
    const auto chosen = containers.size() == 1 ? std::optional<std::string>(containers.front()) : choose(containers);
    if (!chosen)
        return std::nullopt;
    return viewOf(*chosen);
}

std::optional<std::string> HistoryViewer::choose(const std::vector<std::string>& containers)
{
    const auto rows = containerRows(containers);
    for (;;) {
        const ContainerChoice choice = selector_ ? selector_(rows) : ContainerChoice{};
        if (!choice.confirmed)
            return std::nullopt;
        if (choice.index && *choice.index < containers.size())
            return containers[*choice.index];
        messenger_.show(Msg::NoLogKlxSelected, MsgIcon::Exclamation);
    }
}

std::optional<HistoryViewer::View> HistoryViewer::viewOf(const std::string& containerPath)
{
    CArchiveHistoryMan history;
    switch (ContainerHistory::load(containerPath, ownPublicKeyFile_, ownPrivateKeyFile_, history)) {
    case ContainerHistory::Load::Ok: break;
    case ContainerHistory::Load::NotAuthorized:
        messenger_.show(Msg::NotAuthorizedToShowHistory, MsgIcon::Stop, containerPath);
        return std::nullopt;
    case ContainerHistory::Load::KeyFileMissing:
        messenger_.show(Msg::KeyFileNotFoundMakeKeySet, MsgIcon::None);
        return std::nullopt;
    default:
        messenger_.show(Msg::NotHistoryKlx, MsgIcon::Stop);
        return std::nullopt;
    }
    const size_t slash = containerPath.rfind('/');
    View view;
    view.fileName = slash == std::string::npos ? containerPath : containerPath.substr(slash + 1);
    view.folder = slash == std::string::npos ? std::string() : containerPath.substr(0, slash + 1);
    view.rows = ContainerHistory::rows(history, messenger_.table());
    return view;
}

} // namespace mvx
