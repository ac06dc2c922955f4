#pragma once

#include "app/CLanguage.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QToolButton;

namespace mvx {
class AppSession;
}

namespace mvx::ui {

class CTessaryDlg;

// The mini window ("MiniMenu"): Encrypt, the barcode, the destination list,
// back to the main window, the login button, the key-name line, a menu and a
// drop target. Its batches run on the main window's worker.
class CTessaryDialogMini : public QDialog, public ILanguageObserver {
    Q_OBJECT
public:
    CTessaryDialogMini(AppSession& session, CTessaryDlg& mainWindow);
    ~CTessaryDialogMini() override;

    void relabel() override;
    // Shows the window where "SmallMenuPosition" puts it, above others when
    // "SmallMenuTopmost" is on.
    void showPlaced();
    // Paths dropped from a file manager.
    void dropPaths(const std::vector<std::string>& paths);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void done(int result) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void encrypt();
    void returnToMainWindow();
    void placeByFrame();

    AppSession& session_;
    CTessaryDlg& main_;
    QPushButton* encrypt_;
    QPushButton* qrCode_;
    QPushButton* keyChainList_;
    QPushButton* return_;
    QPushButton* login_;
    QLineEdit* keyName_;
    QToolButton* menu_;
    QSize placedFrame_;  // the frame size the window was last placed for
};

} // namespace mvx::ui
