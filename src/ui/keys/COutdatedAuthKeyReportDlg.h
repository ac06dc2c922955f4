#pragma once

#include "keys/CKeyManager.h"

#include <QDialog>

#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace mvx {
class CMessenger;
}

namespace mvx::ui {

// "MORVANEX - Ovedue Attestation Key List": the authenticated keys whose
// expiry has passed. It only informs; the key files stay where they are.
class COutdatedAuthKeyReportDlg : public QDialog {
    Q_OBJECT
public:
    COutdatedAuthKeyReportDlg(CMessenger& messenger, const std::vector<CKeyManager::OutdatedKey>& keys,
                              QWidget* parent = nullptr);

    // The report at start: shown (modal) only when the key folder holds
    // outdated keys. True when it was shown.
    static bool showIfAny(CMessenger& messenger, const CKeyManager& keys, QWidget* parent);

private:
    QLabel* text_;
    QTreeWidget* list_;
    QPushButton* ok_;
};

} // namespace mvx::ui
