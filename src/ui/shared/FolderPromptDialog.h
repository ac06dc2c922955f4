#pragma once

#include <QDialog>

#include <optional>
#include <string>

class QLabel;
class QLineEdit;

namespace mvx {
class CMessageTable;
}

namespace mvx::ui {

// A folder asked for with its prompt in view: the prompt, the folder's path
// (a proposed folder that does not exist yet says it is made on OK), a button
// to browse for another, OK and Cancel.
class FolderPromptDialog : public QDialog {
    Q_OBJECT
public:
    FolderPromptDialog(const CMessageTable* table, const QString& title, const QString& prompt,
                       const QString& startFolder, QWidget* parent);

    // The folder confirmed with OK; nothing when cancelled.
    std::optional<std::string> choose();

private:
    QString text(int slot, const char* fallback) const;
    void browse();
    void makeAndAccept();
    void showWhetherMade();

    const CMessageTable* table_;
    QLineEdit* path_;
    QLabel* madeNote_;
};

} // namespace mvx::ui
