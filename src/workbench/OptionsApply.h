#pragma once

#include "app/OptionsRules.h"

#include <string>

namespace mvx {

class AppSession;

// What a confirmed options dialog changed for the parts of the program that
// live beside the main window: the idle timer, the file-manager entries and
// the mark of the specific folder.
struct OptionsChange {
    // "EncAndDec" and "UseTimer" both on: the idle timer runs with idleMinutes.
    bool idleTimerArmed = false;
    int idleMinutes = 1;
    // "NoUseContextMenu": the file-manager entries are to be removed.
    bool removeFileManagerEntries = false;
    std::string markedFolder;    // newly marked as the specific folder, or empty
    std::string unmarkedFolder;  // the former specific folder, no longer marked, or empty
};

// What the main window does after OK of the options dialog: the values go
// into the settings; with the own key set present, name and mail go into the
// key folder and the settings are saved, else "The user information is not
// reflected."; the specific folder is marked and a former one unmarked.
class OptionsApply {
public:
    static OptionsValues current(AppSession& session);
    // The options offer the owner's fields and the specific folder only with it.
    static bool ownPublicKeyExists(AppSession& session);
    static OptionsChange apply(AppSession& session, const OptionsValues& values);
};

} // namespace mvx
