#include "WindowFixture.h"

#include "app/CMessageTable.h"
#include "ui/keys/CKeyChainList.h"
#include "ui/main/CTessaryDialogMini.h"

#include <QAbstractButton>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTreeView>

#include <functional>
#include <set>
#include <vector>

using mvx::test::WindowFixture;

namespace {

// One text a user reads somewhere on the screen, and how to read it again.
struct ShownText {
    QString where;
    std::function<QString()> read;
};

// The texts of a table as a window shows them: a menu label without the
// shortcut after its tab, lines of a text each on their own.
std::set<QString> tableTexts(const mvx::CMessageTable& table)
{
    std::set<QString> texts;
    for (int slot = 0; slot < mvx::CMessageTable::kSlotCount; ++slot) {
        const QString text = QString::fromStdString(table.text(slot));
        if (text.isEmpty())
            continue;
        texts.insert(text);
        texts.insert(text.section('\t', 0, 0));
    }
    return texts;
}

// Every text of the visible windows: titles, labels, buttons, check boxes,
// tool tips, list headers, menus and the actions of menus, toolbars and
// context menus.
std::vector<ShownText> visibleTexts()
{
    std::vector<ShownText> shown;
    const auto add = [&shown](QObject* owner, const QString& what, std::function<QString()> read) {
        shown.push_back({owner->objectName() + "." + what + " (" + owner->metaObject()->className() + ")", std::move(read)});
    };
    const auto addActions = [&](QWidget* widget) {
        for (QAction* action : widget->actions()) {
            add(action, "text", [action] { return action->text(); });
            if (QMenu* menu = action->menu())
                add(menu, "title", [menu] { return menu->title(); });
        }
    };
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (!window->isVisible() || qobject_cast<QMenu*>(window))
            continue;
        add(window, "windowTitle", [window] { return window->windowTitle(); });
        addActions(window);
        for (QWidget* widget : window->findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(window) && !qobject_cast<QMenu*>(widget))
                continue;
            addActions(widget);
            if (!widget->toolTip().isEmpty())
                add(widget, "toolTip", [widget] { return widget->toolTip(); });
            if (auto* label = qobject_cast<QLabel*>(widget))
                add(label, "text", [label] { return label->text(); });
            if (auto* button = qobject_cast<QAbstractButton*>(widget))
                add(button, "text", [button] { return button->text(); });
            if (auto* box = qobject_cast<QGroupBox*>(widget))
                add(box, "title", [box] { return box->title(); });
            if (auto* menu = qobject_cast<QMenu*>(widget))
                add(menu, "title", [menu] { return menu->title(); });
            if (auto* tree = qobject_cast<QTreeView*>(widget); tree && tree->model() && !tree->isHeaderHidden())
                for (int column = 0; column < tree->model()->columnCount(); ++column)
                    add(tree, "header" + QString::number(column), [tree, column] {
                        return tree->model()->headerData(column, Qt::Horizontal).toString();
                    });
        }
    }
    return shown;
}

} // namespace

class LanguageSwitchTest : public QObject {
    Q_OBJECT

private slots:
    // With the main window, the mini window and the destination list open, a
    // switch to the other language and back leaves no text of the language
    // left behind, and the choice is saved.
    void everyVisibleTextFollowsTheLanguage()
    {
        WindowFixture f;
        f.action("actionMiniaturization")->trigger();
        QVERIFY(f.window->miniWindow()->isVisible());
        f.window->show();
        f.action("actionKeyChainList")->trigger();
        QVERIFY(f.window->keyChainWindow()->isVisible());

        mvx::CMessageTable english;
        english.FillEnglish();
        mvx::CMessageTable japanese;
        japanese.FillJapanese();
        const auto englishTexts = tableTexts(english);
        const auto japaneseTexts = tableTexts(japanese);

        struct Step {
            const char* command;
            const std::set<QString>* from;
            const std::set<QString>* to;
            const char* saved;
        };
        for (const Step& step : {Step{"actionJapanese", &englishTexts, &japaneseTexts, "LanguageSel=JP"},
                                 Step{"actionEnglish", &japaneseTexts, &englishTexts, "LanguageSel=EN"}}) {
            // The texts now shown from the table of the language being left.
            std::vector<ShownText> labelled;
            for (ShownText& text : visibleTexts())
                if (step.from->count(text.read()) && !step.to->count(text.read()))
                    labelled.push_back(std::move(text));
            QVERIFY2(labelled.size() > 80, qPrintable(QString::number(labelled.size())));

            f.action(step.command)->trigger();
            QStringList stale;
            for (const ShownText& text : labelled)
                if (!step.to->count(text.read()))
                    stale << text.where + ": " + text.read();
            QVERIFY2(stale.isEmpty(), qPrintable(stale.join("\n")));
            QCOMPARE(f.action("actionEncryption")->shortcut(), QKeySequence("Ctrl+E"));
            QVERIFY(f.settingsText().find(step.saved) != std::string::npos);
        }
    }
};

QTEST_MAIN(LanguageSwitchTest)
#include "LanguageSwitchTest.moc"
