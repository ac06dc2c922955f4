#pragma once

#include "app/CLanguage.h"
#include "workbench/QrcodeView.h"

#include <QDialog>
#include <QImage>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace mvx {
class AppSession;
}

namespace mvx::ui {

// The own public key's registration symbol: the picture (one screen pixel
// per module unless zoomed), the explanation, Save, Copy, Register and Close.
class CQrcodeViewDlg : public QDialog, public ILanguageObserver {
    Q_OBJECT
public:
    // register runs the registration with the web service; none leaves the
    // button disabled.
    CQrcodeViewDlg(AppSession& session, std::function<void()> registerKey, QWidget* parent = nullptr);
    ~CQrcodeViewDlg() override;

    // False when the symbol could not be made (its message was shown).
    bool ready() const { return view_.picture() != nullptr; }
    void relabel() override;

    // The symbol at the given pixels per module, 1 bit per pixel.
    QImage symbolImage(int pixelsPerModule) const;

private:
    void showPicture();
    void copy();

    AppSession& session_;
    QrcodeView view_;
    std::function<void()> registerKey_;
    QLabel* picture_;
    QLabel* explanation_;
    QLabel* zoomLabel_;
    QComboBox* zoom_;
    QPushButton* save_;
    QPushButton* copy_;
    QPushButton* register_;
    QPushButton* close_;
};

} // namespace mvx::ui
