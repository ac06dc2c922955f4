#pragma once

#include "app/CMessenger.h"
#include "workbench/ContainerChoice.h"
#include "workbench/ContainerHistory.h"

#include <optional>
#include <string>
#include <vector>

namespace mvx {

// "Show File Logs": of the files handed over, the containers that carry a
// history; with several the selector (CHistoryFileSelector) asks for one, a
// single one goes straight to the viewer's data (CKlxHistoryViewDlg).
class HistoryViewer {
public:
    struct View {
        std::string fileName;  // "File name"
        std::string folder;    // "Save Folder"
        std::vector<ContainerHistory::Row> rows;
    };

    HistoryViewer(CMessenger& messenger, std::string ownPublicKeyFile, std::string ownPrivateKeyFile,
                  ContainerChooser selector);

    // nullopt when nothing is to be shown (its message shown, or Cancel).
    std::optional<View> run(const std::vector<std::string>& files);
    // The viewer's data of one container; nullopt after its message.
    std::optional<View> viewOf(const std::string& containerPath);

private:
    std::optional<std::string> choose(const std::vector<std::string>& containers);

    CMessenger& messenger_;
    std::string ownPublicKeyFile_;
    std::string ownPrivateKeyFile_;
    ContainerChooser selector_;
};

} // namespace mvx
