#pragma once

#include "workbench/IEncryptChooser.h"

#include <QObject>

#include <functional>

class QWidget;

namespace mvx {
class DestinationListEditor;
class CMessenger;
}

namespace mvx::ui {

// The batches' choosers as the window's dialogs: the destination selection
// and the encryption options, opened on the window's thread even when the
// batch asks from a worker.
class WindowEncryptChooser : public QObject, public IEncryptChooser {
    Q_OBJECT
public:
    WindowEncryptChooser(CMessenger& messenger, mvx::DestinationListEditor& keyChainList, std::function<bool()> deleteCheck1,
                         QWidget* parentWindow);

    std::optional<EncryptChoices> chooseDestinations(const std::string& ownName,
                                                     const std::vector<std::string>& files) override;
    // The destination-list window's selection, handed over once.
    std::optional<EncryptChoices> destinationListSelection() override;
    void setDestinationListSelection(EncryptChoices choices);
    bool runEncryptOptions(mvx::EncryptOptionRules& dialog) override;

    void setParentWindow(QWidget* parentWindow) { parent_ = parentWindow; }

private:
    CMessenger& messenger_;
    mvx::DestinationListEditor& keyChainList_;
    std::function<bool()> deleteCheck1_;
    QWidget* parent_;
    std::optional<EncryptChoices> listSelection_;
};

} // namespace mvx::ui
