#pragma once

#include "ScriptedInteraction.h"
#include "TempFolder.h"
#include "ui/main/CTessaryDlg.h"
#include "ui/shared/UiThreadInteraction.h"
#include "workbench/AppSession.h"

#include <QApplication>
#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>
#include <memory>
#include <string>

namespace mvx::test {

// The scripted answers, with a hook that acts in the window while a
// four-button question is open.
class WindowScript : public ScriptedInteraction {
public:
    std::function<void()> beforeContinueConfirm;

    int continueConfirm(const std::string& caption, const std::string& text,
                        const std::array<std::string, 4>& buttons) override
    {
        if (beforeContinueConfirm)
            beforeContinueConfirm();
        return ScriptedInteraction::continueConfirm(caption, text, buttons);
    }
};

// A user "me" with a real key set in a temporary folder, a partner "Pat" whose
// authenticated key is registered in my destination list, and my main window
// over the scripted interaction (English texts). Without a key set: the
// window of a first start, in an empty program folder.
class WindowFixture {
public:
    explicit WindowFixture(bool withKeySet = true);
    ~WindowFixture();

    std::string write(const std::string& name, const std::string& content) const;
    static std::string read(const std::string& path);
    static bool exists(const std::string& path);
    std::string settingsText() const;

    template <typename T>
    T* find(const char* name) const
    {
        return window->findChild<T*>(name);
    }
    QAction* action(const char* name) const { return find<QAction>(name); }

    // The folder selector's text, as a user types a path and presses Enter.
    void showFolder(const std::string& folder);
    // The row whose first column shows text (invalid when none does).
    QModelIndex row(QAbstractItemView* list, const QString& text) const;
    void click(QAbstractItemView* list, const QString& text) const;
    void doubleClick(QAbstractItemView* list, const QString& text) const;
    void clickButton(const char* name) const;
    // A user ticks a check box on its box, wherever the layout stretched it.
    static void tick(QCheckBox* box);
    // Triggers a command and waits until its batch has ended.
    bool runCommand(const char* actionName);

    TempFolder temp;
    WindowScript script;
    std::unique_ptr<ui::UiThreadInteraction> interaction;
    std::unique_ptr<AppSession> session;
    std::unique_ptr<ui::CTessaryDlg> window;
};

// Closes a dialog a failed check left open, and every modal one above it, so
// the nested event loops return and the failure is reported at once.
void closeAfterFailure(QWidget* dialog);

// Runs handle on the first modal dialog of type T that opens (dialogs opened
// by a batch run in a nested event loop, so the test reaches them by timer).
template <typename T>
void whenModalShows(std::function<void(T*)> handle)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, handle] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog && dialog->isVisible()) {
            timer->stop();
            timer->deleteLater();
            if (QTest::qWaitForWindowExposed(dialog))
                handle(dialog);
            if (QTest::currentTestFailed())
                closeAfterFailure(dialog);
        }
    });
    timer->start(20);
}

} // namespace mvx::test
