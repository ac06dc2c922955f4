#pragma once

#include "workbench/CandidateList.h"
#include "workbench/DestinationChoiceRules.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace mvx {
class CMessenger;
}

namespace mvx::ui {

class OutputFolderRow;
class TimeLimitBox;

// The destination selection of an encryption started from the mini window,
// the command line or the shell: candidate and chosen lists with the options.
// OK and "Attached Mail" run the checks of mvx::DestinationChoiceRules.
class CKeyListSel : public QDialog {
    Q_OBJECT
public:
    CKeyListSel(mvx::DestinationChoiceRules& selection, CandidateList& candidates, CMessenger& messenger,
                QWidget* parent = nullptr);

private:
    void relabel();
    void showCandidates();
    void showChosen();
    void addSelected();
    void removeSelected();
    void candidateActivated(int index);
    void confirm(bool mail);

    mvx::DestinationChoiceRules& selection_;
    CandidateList& candidates_;
    CMessenger& messenger_;
    QLabel* candidateCaption_;
    QLabel* chosenCaption_;
    QTreeWidget* candidateList_;
    QTreeWidget* chosenList_;
    QPushButton* add_;
    QPushButton* remove_;
    TimeLimitBox* limit_;
    OutputFolderRow* output_;
    QCheckBox* manageLogs_;
    QCheckBox* deleteFiles_;
    QPushButton* ok_;
    QPushButton* attachedMail_;
    QPushButton* cancel_;
};

} // namespace mvx::ui
