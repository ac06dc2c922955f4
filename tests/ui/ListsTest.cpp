#include "WindowFixture.h"

#include "ui/keys/CKeyChainList.h"
#include "ui/shared/WindowIcons.h"

#include <QHeaderView>
#include <QIcon>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

using mvx::test::WindowFixture;

namespace {

qint64 iconKey(const QTreeView* list, int row)
{
    return list->model()->index(row, 0).data(Qt::DecorationRole).value<QIcon>().cacheKey();
}

// Columns whose texts are wider than the column, each as "list/column".
QStringList cutColumns(QTreeView* list)
{
    QStringList cut;
    QHeaderView* header = list->header();
    for (int column = 0; column < header->count(); ++column) {
        const int needed = std::max(static_cast<QAbstractItemView*>(list)->sizeHintForColumn(column), header->sectionSizeHint(column));
        if (header->sectionSize(column) < needed)
            cut << list->objectName() + "/" + QString::number(column);
    }
    return cut;
}

} // namespace

class ListsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { fixture = std::make_unique<WindowFixture>(); }
    void cleanup() { fixture.reset(); }

    // Rows of one kind share one icon; containers show the file type's icon.
    void filePaneIconsAreOnePerKind()
    {
        WindowFixture& f = *fixture;
        for (const char* name : {"a.txt", "b.txt", "c.klx", "d.KLX", "sub/e.txt"})
            f.write(std::string("icons/") + name, "x");
        f.showFolder(f.temp.file("icons"));
        auto* files = f.find<QTreeView>("fileList");
        QCOMPARE(files->model()->rowCount(), 5);  // sub, a.txt, b.txt, c.klx, d.KLX
        const qint64 folder = iconKey(files, 0), plain = iconKey(files, 1), container = iconKey(files, 3);
        QCOMPARE(iconKey(files, 2), plain);
        QCOMPARE(iconKey(files, 4), container);
        QVERIFY(folder != plain && folder != container && plain != container);
        QTest::mouseClick(f.find<QToolButton>("refreshFolder"), Qt::LeftButton);
        QCOMPARE(iconKey(files, 3), container);
        QCOMPARE(iconKey(files, 1), plain);

        auto* candidates = f.find<QTreeWidget>("candidateList");
        QVERIFY(candidates->topLevelItemCount() >= 2);
        const qint64 first = candidates->topLevelItem(0)->icon(0).cacheKey();
        QCOMPARE(candidates->topLevelItem(1)->icon(0).cacheKey(), first);  // both authenticated
        QCOMPARE(mvx::ui::addressIcon(mvx::AddressRow::Kind::Plain).cacheKey(),
                 mvx::ui::addressIcon(mvx::AddressRow::Kind::Plain).cacheKey());
    }

    // Each column of the destination lists is as wide as its longest text,
    // in both languages, however narrow the list.
    void destinationColumnsShowTheirWholeTexts()
    {
        WindowFixture& f = *fixture;
        f.action("actionKeyChainList")->trigger();
        mvx::ui::CKeyChainList* keyChain = f.window->keyChainWindow();
        QVERIFY(keyChain && keyChain->isVisible());
        f.doubleClick(f.find<QTreeWidget>("candidateList"), "Pat");
        for (const char* language : {"actionJapanese", "actionEnglish"}) {
            f.action(language)->trigger();
            QStringList cut;
            for (QTreeView* list : {static_cast<QTreeView*>(keyChain->findChild<QTreeWidget*>("entryList")),
                                    static_cast<QTreeView*>(f.find<QTreeWidget>("candidateList")),
                                    static_cast<QTreeView*>(f.find<QTreeWidget>("addressList"))})
                cut << cutColumns(list);
            QVERIFY2(cut.isEmpty(), qPrintable(language + QString(": ") + cut.join(", ")));
        }
    }

private:
    std::unique_ptr<WindowFixture> fixture;
};

QTEST_MAIN(ListsTest)
#include "ListsTest.moc"
