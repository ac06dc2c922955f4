#pragma once

#include "app/CMessenger.h"
#include "engine/CArchiveHistoryMan.h"
#include "workbench/ContainerChoice.h"
#include "workbench/IMailHandOver.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace mvx {

// "Forward File": one container chosen from the files handed over
// (CTransportKlxSelDlg), the addresses recorded in its history offered
// (CKlxSetAdrsViewDlg), and one mail with the picked addresses and the
// container attached. The container is never changed.
class ForwardFile {
public:
    // The indexes of the addresses picked; nullopt is Cancel.
    using AddressChooser =
        std::function<std::optional<std::vector<size_t>>(const std::vector<CArchiveHistoryMan::NameEntry>& addresses)>;

    ForwardFile(CMessenger& messenger, std::string ownPublicKeyFile, std::string ownPrivateKeyFile,
                ContainerChooser containers, AddressChooser addresses, IMailHandOver& mail);

    // True when the mail was handed over (the caller then empties the studio list).
    bool run(const std::vector<std::string>& files);

private:
    std::optional<std::string> chooseContainer(const std::vector<std::string>& containers);
    bool loadHistory(const std::string& container, CArchiveHistoryMan& history);
    std::optional<std::vector<std::string>> chooseAddresses(const CArchiveHistoryMan& history);

    CMessenger& messenger_;
    std::string ownPublicKeyFile_;
    std::string ownPrivateKeyFile_;
    ContainerChooser containers_;
    AddressChooser addresses_;
    IMailHandOver& mail_;
};

} // namespace mvx
