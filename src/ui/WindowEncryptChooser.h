#pragma once

#include "workbench/IEncryptChooser.h"

#include <QObject>

#include <functional>

class QWidget;

namespace mvx {
class CKeyChainList;
class CMessenger;
}

namespace mvx::ui {

// The batches' choosers as the window's dialogs: the destination selection
// and the encryption options, opened on the window's thread even when the
// batch asks from a worker.
class WindowEncryptChooser : public QObject, public IEncryptChooser {
    Q_OBJECT
public:
    WindowEncryptChooser(CMessenger& messenger, CKeyChainList& keyChainList, std::function<bool()> deleteCheck1,
                         QWidget* parentWindow);

    std::optional<EncryptChoices> chooseDestinations(const std::string& ownName,
                                                     const std::vector<std::string>& files) override;
    // The destination-list window hands its selection over itself.
    std::optional<EncryptChoices> destinationListSelection() override { return std::nullopt; }
    bool runEncryptOptions(mvx::CEncryptOptDlg& dialog) override;

    void setParentWindow(QWidget* parentWindow) { parent_ = parentWindow; }

private:
    CMessenger& messenger_;
    CKeyChainList& keyChainList_;
    std::function<bool()> deleteCheck1_;
    QWidget* parent_;
};

} // namespace mvx::ui
