#pragma once

#include <QString>

class QWidget;

namespace mvx {
class AppSession;
}

namespace mvx::ui {

class CTessaryDlg;

// "--show NAME" for the screenshot script: opens one of the key windows
// without a modal loop (keychainlist, keychain, authlimit, authcomplete) over the demo key set. nullptr for an unknown name.
QWidget* openForPicture(const QString& name, CTessaryDlg& window, AppSession& session);

} // namespace mvx::ui
