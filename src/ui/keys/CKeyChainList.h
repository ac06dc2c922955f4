#pragma once

#include "app/CLanguage.h"
#include "keys/DestinationListEditor.h"
#include "keys/StrayKeys.h"
#include "workbench/EncryptOptionRules.h"
#include "workbench/IEncryptChooser.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QAction;
class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace mvx {
class AppSession;
class IMailHandOver;
}

namespace mvx::ui {

class TimeLimitBox;

// "KeyChain List": the folder tree of the key folder, the entries of the
// folder shown with their six columns, the buttons and the context menu, and
// the options a "Create Encrypt File" batch takes. Every change goes through
// the list's logic, which writes the member files at once.
class CKeyChainList : public QDialog, public ILanguageObserver {
    Q_OBJECT
public:
    struct Hooks {
        // Starts the batch of "Create Encrypt File"; false when another batch runs.
        std::function<bool(const EncryptChoices& choices, const std::vector<std::string>& plainFiles)> encrypt;
        // The authentication command; with no key file the key is chosen in its dialog.
        std::function<void(const std::vector<std::string>& keyFiles)> authenticate;
    };

    CKeyChainList(AppSession& session, mvx::DestinationListEditor& list, StrayKeys& strays, IMailHandOver& mail, Hooks hooks,
                  QWidget* parent = nullptr);
    ~CKeyChainList() override;

    void relabel() override;
    // Shows the window on the key folder and offers the key files no member file lists.
    void showOnKeyFolder();
    void showFolder(const std::string& folder);
    // The folder shown, read again.
    void refresh();
    // Registration of key files (Add, drops) into the folder shown.
    void registerKeyFiles(const std::vector<std::string>& keyFiles);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Shown again (restored, or after a batch ran while it was hidden): the times are read again.
    void showEvent(QShowEvent* event) override;

private:
    enum RowKind { ParentRow = 0, FolderRow = 1, EntryRow = 2 };

    QAction* addCommand(const char* name, void (CKeyChainList::*handler)());
    void buildButtons(QLayout* layout);
    void showTree();
    std::vector<size_t> selectedEntries() const;
    std::vector<std::string> selectedFolders() const;
    void updateSelectionTexts();

    void add();
    void modify();
    void move();
    void remove();
    void makeFolder();
    void createEncryptFile();
    void authenticate();
    void authenticateSelected();
    void cut();
    void paste();
    void mailKeyFiles();
    void activated(QTreeWidgetItem* item);

    AppSession& session_;
    mvx::DestinationListEditor& list_;
    IMailHandOver& mail_;
    Hooks hooks_;
    StrayKeys& strays_;
    mvx::EncryptOptionRules options_;
    mvx::DestinationListEditor::FolderView view_;
    // "Cut": the folder and key file names waiting for "Paste".
    std::string cutFolder_;
    std::vector<std::string> cutNames_;

    QTreeWidget* tree_;
    QLabel* title_;
    QTreeWidget* entries_;
    TimeLimitBox* limit_;
    QCheckBox* manageLogs_;
    QCheckBox* deleteFiles_;
    QCheckBox* sendMail_;
    std::vector<std::pair<QPushButton*, int>> buttons_;
    std::vector<std::pair<QAction*, int>> menu_;
    QAction* authenticateSelected_ = nullptr;
    QAction* paste_ = nullptr;
};

} // namespace mvx::ui
