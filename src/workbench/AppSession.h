#pragma once

#include "app/CLanguage.h"
#include "app/CMessageTable.h"
#include "app/CMessenger.h"
#include "app/CSettingsStore.h"
#include "app/Settings.h"
#include "keys/CKeyManager.h"
#include "keys/KeySetSetup.h"

#include <memory>
#include <string>

namespace mvx {

class IInteraction;

// The start-up both front ends share: the program folder and its settings,
// the message table in the chosen language, the messenger over the front
// end's interaction, the key manager on the own key set and the sink that
// shows failures of the RSA service.
class AppSession {
public:
    // programFolder: empty for the default (MORVANEX_HOME, XDG config folder).
    // languageOverride: "ja", "en", or empty for the setting "LanguageSel".
    // localeAtFirstStart: with no settings file yet, "LanguageSel" comes from
    // the user's locale (the window program) instead of its default.
    AppSession(IInteraction& interaction, const std::string& programFolder, std::string languageOverride = {},
               bool localeAtFirstStart = false);
    ~AppSession();
    AppSession(const AppSession&) = delete;
    AppSession& operator=(const AppSession&) = delete;

    const std::string& folder() const { return programFolder_; }
    CMessageTable& table() { return table_; }
    CLanguage& language() { return language_; }
    CMessenger& messenger() { return messenger_; }
    CSettingsStore& store() { return store_; }
    Settings& settings() { return settings_; }
    bool settingsFound() const { return settingsFound_; }
    CKeyManager& keys() { return *keys_; }

    // The own key set exists (settings, public and private key files); shows
    // the start-up messages of a missing set otherwise.
    bool requireKeySet();
    // Writes the settings, with the language now in use.
    bool saveSettings();
    // Reads the settings and the own key set again (after a key set was made).
    void reload();
    // What the key-set wizard's Finish does: the key set, the settings that
    // name it, the key folder and the self-authentication key; then the
    // session reads its settings and key set again.
    KeySetSetup::Result makeKeySet(const KeySetSetup::Request& request);
    // The language command of the menu: 0 Japanese, 1 English; saved at once.
    void switchLanguage(int choice);

private:
    std::string programFolder_;
    std::string languageOverride_;
    bool localeAtFirstStart_ = false;
    CMessageTable table_;
    CLanguage language_;
    CMessenger messenger_;
    CSettingsStore store_;
    Settings settings_;
    bool settingsFound_ = false;
    std::unique_ptr<CKeyManager> keys_;
};

} // namespace mvx
