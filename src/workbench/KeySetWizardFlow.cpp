#include "workbench/KeySetWizardFlow.h"

#include "app/Msg.h"
#include "keys/KeyFileNames.h"
#include "keys/KeySetNameRules.h"
#include "workbench/AppSession.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace mvx {

namespace {

std::string environment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

// XDG_DOCUMENTS_DIR="$HOME/Documents" of the desktop's user-dirs.dirs.
std::string desktopDocumentsFolder(const std::string& home)
{
    const std::string config = environment("XDG_CONFIG_HOME").empty() ? home + "/.config" : environment("XDG_CONFIG_HOME");
    std::ifstream dirs(config + "/user-dirs.dirs");
    const std::string key = "XDG_DOCUMENTS_DIR=\"";
    for (std::string line; std::getline(dirs, line);) {
        if (line.rfind(key, 0) != 0 || line.back() != '"')
            continue;
        std::string folder = line.substr(key.size(), line.size() - key.size() - 1);
        if (folder.rfind("$HOME", 0) == 0)
            folder = home + folder.substr(5);
        // A documents folder set to the home folder itself means "none".
        return folder == home || folder == home + "/" ? std::string() : folder;
    }
    return {};
}

} // namespace

std::string KeySetWizardFlow::proposedKeyRoot()
{
    const std::string home = environment("HOME");
    std::string documents = home.empty() ? std::string() : desktopDocumentsFolder(home);
    std::error_code failed;
    if (documents.empty() && !home.empty() && std::filesystem::is_directory(home + "/Documents", failed))
        documents = home + "/Documents";
    if (!documents.empty())
        return KeyFileNames::withTrailingSlash(documents) + "Morvanex Keys/";
    const std::string data = environment("XDG_DATA_HOME").empty() ? home + "/.local/share" : environment("XDG_DATA_HOME");
    return KeyFileNames::withTrailingSlash(data) + "morvanex/keys/";
}

std::optional<std::string> KeySetWizardFlow::chooseKeyRoot()
{
    keyRoot_ = session_.settings().keyPairRoot;
    if (!keyRoot_.empty())
        return keyRoot_;
    CMessenger& messenger = session_.messenger();
    const auto chosen = messenger.interaction().chooseFolderPrompted(
        messenger.text(Msg::SelectFolderTitle), messenger.text(Msg::SelectKeyFolder), proposedKeyRoot());
    if (!chosen || chosen->empty())
        return std::nullopt;
    std::error_code failed;
    std::filesystem::create_directories(*chosen, failed);
    if (!std::filesystem::is_directory(*chosen, failed)) {
        messenger.show(Msg::FolderCouldNotBeMade, MsgIcon::Stop, *chosen);
        return std::nullopt;
    }
    keyRoot_ = KeyFileNames::withTrailingSlash(*chosen);
    return keyRoot_;
}

bool KeySetWizardFlow::acceptName(const std::string& name)
{
    return KeySetNameRules::checkForWizard(name, keyRoot_, session_.messenger());
}

std::string KeySetWizardFlow::summary(const std::string& name) const
{
    return session_.messenger().format(Msg::KeySetSummary, KeyFileNames::publicKeyName(name),
                                       KeyFileNames::privateKeyName(name), KeyFileNames::authKeyName(name, name));
}

bool KeySetWizardFlow::finish(const std::string& name, const std::string& userName, const std::string& mail,
                              bool useBackupService)
{
    // The backup service is not part of this program: without it the user
    // confirms that the new set has no backup.
    if (!useBackupService && !session_.messenger().askYesNo(Msg::NoBackupConfirm, MsgIcon::Question))
        return false;
    return session_.makeKeySet({keyRoot_, name, userName, mail}).done;
}

} // namespace mvx
