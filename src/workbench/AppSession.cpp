#include "workbench/AppSession.h"

#include "app/Msg.h"
#include "app/ProgramFolder.h"
#include "engine/CryptoErrors.h"
#include "platform/FileAttributes.h"

namespace mvx {

namespace {

std::string withSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

} // namespace

AppSession::AppSession(IInteraction& interaction, const std::string& folder, std::string languageOverride,
                       bool localeAtFirstStart)
    : programFolder_(withSlash(folder.empty() ? programFolder() : folder)),
      languageOverride_(std::move(languageOverride)), localeAtFirstStart_(localeAtFirstStart), language_(table_), messenger_(table_, interaction),
      store_(programFolder_)
{
    ensureProgramFolder(programFolder_);
    reload();
    CryptoErrors::setSink([this](const std::string& text) {
        messenger_.showText(messenger_.text(Msg::CryptApiErrorPrefix) + text, MsgIcon::Stop);
    });
}

AppSession::~AppSession() { CryptoErrors::setSink(nullptr); }

void AppSession::reload()
{
    auto loaded = store_.load();
    settings_ = loaded.settings;
    settingsFound_ = loaded.fileFound;
    // A first start speaks the user's language; a file without the key keeps the default.
    if (!settingsFound_ && localeAtFirstStart_)
        settings_.languageSel = CLanguage::settingFromLocale();
    if (languageOverride_ == "en")
        language_.applySetting(CLanguage::kEnglish);
    else if (languageOverride_ == "ja")
        language_.applySetting(CLanguage::kJapanese);
    else
        language_.applySetting(settings_.languageSel);
    keys_ = std::make_unique<CKeyManager>(messenger_);
    if (!settings_.keyPairRoot.empty())
        keys_->findOwnKeySet(settings_.keyPairRoot, settings_.publicKeyName, settings_.privateKeyName);
}

bool AppSession::requireKeySet()
{
    if (!settingsFound_) {
        messenger_.show(Msg::SettingsFileNotFound, MsgIcon::Stop);
        return false;
    }
    if (settings_.keyPairRoot.empty() || !keys_->hasOwnKeySet()) {
        messenger_.show(Msg::FirstTimeCreateKeySet, MsgIcon::Stop);
        return false;
    }
    if (!FileAttributes::isRegularFile(keys_->ownPublicKeyPath())) {
        messenger_.show(Msg::PublicKeyFileNotFound, MsgIcon::Stop);
        return false;
    }
    if (!FileAttributes::isRegularFile(keys_->ownPrivateKeyPath())) {
        messenger_.show(Msg::PrivateKeyFileNotFound, MsgIcon::Stop);
        return false;
    }
    return true;
}

bool AppSession::saveSettings() { return store_.save(settings_); }

KeySetSetup::Result AppSession::makeKeySet(const KeySetSetup::Request& request)
{
    KeySetSetup setup(messenger_, [this](const KeySetSettings& made) {
        settings_.keyPairRoot = made.keyPairRoot;
        settings_.publicKeyName = made.publicKeyName;
        settings_.privateKeyName = made.privateKeyName;
        settings_.memberFileName = made.memberFileName;
        store_.derivePaths(settings_);
        return saveSettings();
    });
    FileAttributes::makeFolders(request.keyRoot);
    const auto result = setup.finish(request);
    if (result.done)
        reload();
    return result;
}

void AppSession::switchLanguage(int choice)
{
    language_.command(choice);
    settings_.languageSel = language_.code();
    // A language picked in the menu outlasts a start-up override.
    languageOverride_.clear();
    saveSettings();
}

} // namespace mvx
