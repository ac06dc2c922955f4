#include "ui/shared/QtInteraction.h"

#include "app/CMessageTable.h"
#include "app/FileFilter.h"
#include "app/Msg.h"
#include "ui/shared/FolderPromptDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

namespace mvx::ui {

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

QMessageBox::Icon boxIcon(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Stop:
        return QMessageBox::Critical;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

std::optional<std::string> chosenPath(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    return path.toStdString();
}

} // namespace

QString QtInteraction::label(int slot, const char* fallback) const
{
    return table_ ? q(table_->text(slot)) : QString::fromLatin1(fallback);
}

// Over the window the user is in (a destination list opened from the main
// window, say), so the dialog is stacked and painted above it; the main
// window when the program has none active.
QWidget* QtInteraction::shownOver() const
{
    for (QWidget* candidate : {QApplication::activeModalWidget(), QApplication::activeWindow()})
        if (candidate && candidate->isVisible())
            return candidate;
    return parent_;
}

QString QtInteraction::captionOr(const std::string& caption) const
{
    return caption.empty() ? label(Msg::AppCaption, "MORVANEX") : q(caption);
}

int QtInteraction::ask(const std::string& text, MsgIcon icon, const std::string& caption, int buttons,
                       int defaultButton)
{
    QMessageBox box(boxIcon(icon), captionOr(caption), q(text), QMessageBox::StandardButtons(buttons), shownOver());
    box.setObjectName("messageBox");
    box.setDefaultButton(static_cast<QMessageBox::StandardButton>(defaultButton));
    if (box.button(QMessageBox::Yes))
        box.button(QMessageBox::Yes)->setText(label(Msg::Yes, "Yes"));
    if (box.button(QMessageBox::No))
        box.button(QMessageBox::No)->setText(label(Msg::No, "No"));
    if (box.button(QMessageBox::Ok))
        box.button(QMessageBox::Ok)->setText(label(Msg::Ok, "OK"));
    if (box.button(QMessageBox::Cancel))
        box.button(QMessageBox::Cancel)->setText(label(Msg::Cancel, "Cancel"));
    return box.exec();
}

void QtInteraction::showMessage(const std::string& text, MsgIcon icon, const std::string& caption)
{
    ask(text, icon, caption, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtInteraction::askYesNo(const std::string& text, MsgIcon icon, const std::string& caption)
{
    return ask(text, icon, caption, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool QtInteraction::askOkCancel(const std::string& text, MsgIcon icon, const std::string& caption)
{
    return ask(text, icon, caption, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) == QMessageBox::Ok;
}

int QtInteraction::continueConfirm(const std::string& caption, const std::string& text,
                                   const std::array<std::string, 4>& buttons)
{
    QMessageBox box(QMessageBox::Question, captionOr(caption), q(text), QMessageBox::NoButton, shownOver());
    box.setObjectName("continueConfirm");
    std::array<QPushButton*, 4> pushButtons{};
    const std::array<QMessageBox::ButtonRole, 4> roles = {QMessageBox::YesRole, QMessageBox::AcceptRole,
                                                          QMessageBox::NoRole, QMessageBox::RejectRole};
    for (size_t i = 0; i < buttons.size(); ++i)
        pushButtons[i] = box.addButton(q(buttons[i]), roles[i]);
    box.setDefaultButton(pushButtons[0]);
    box.setEscapeButton(pushButtons[3]);
    box.exec();
    for (size_t i = 0; i < pushButtons.size(); ++i)
        if (box.clickedButton() == pushButtons[i])
            return static_cast<int>(i);
    return 3;
}

bool QtInteraction::noticeWithSilence(const std::string& caption, const std::string& text,
                                      const std::string& checkBoxText)
{
    QMessageBox box(QMessageBox::Information, captionOr(caption), q(text), QMessageBox::Ok, shownOver());
    box.setObjectName("notice");
    auto* silence = new QCheckBox(q(checkBoxText), &box);
    silence->setObjectName("doNotShowAgain");
    box.setCheckBox(silence);
    box.exec();
    return silence->isChecked();
}

std::vector<std::string> QtInteraction::chooseFiles(const std::string& title, const std::string& startFolder)
{
    return chooseFilesFiltered(title, startFolder, std::string());
}

std::optional<std::string> QtInteraction::chooseFolder(const std::string& title, const std::string& startFolder)
{
    return chosenPath(QFileDialog::getExistingDirectory(shownOver(), q(title), q(startFolder)));
}

std::optional<std::string> QtInteraction::chooseSavePath(const std::string& title, const std::string& suggestedPath)
{
    return chooseSavePathFiltered(title, suggestedPath, std::string());
}

void QtInteraction::status(const std::string& text)
{
    if (statusSink_)
        statusSink_(q(text));
}

std::vector<std::string> QtInteraction::chooseFilesFiltered(const std::string& title, const std::string& startFolder,
                                                            const std::string& filter)
{
    std::vector<std::string> files;
    for (const QString& path : QFileDialog::getOpenFileNames(shownOver(), q(title), q(startFolder), qtFilters(filter)))
        files.push_back(path.toStdString());
    return files;
}

std::optional<std::string> QtInteraction::chooseFolderPrompted(const std::string& title, const std::string& prompt,
                                                               const std::string& startFolder)
{
    return FolderPromptDialog(table_, q(title), q(prompt), q(startFolder), shownOver()).choose();
}

std::optional<std::string> QtInteraction::chooseSavePathFiltered(const std::string& title,
                                                                 const std::string& suggestedPath,
                                                                 const std::string& filter)
{
    // The callers ask their own overwrite question through this interface.
    return chosenPath(QFileDialog::getSaveFileName(shownOver(), q(title), q(suggestedPath), qtFilters(filter), nullptr,
                                                   QFileDialog::DontConfirmOverwrite));
}

QString QtInteraction::qtFilters(const std::string& filter)
{
    QStringList filters;
    for (const auto& parsed : FileFilter::parse(filter))
        filters << q(parsed.desktopFilter());
    return filters.join(";;");
}

} // namespace mvx::ui
