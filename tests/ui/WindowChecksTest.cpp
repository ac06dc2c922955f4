// Every window in both languages at its default size, on a screen of
// 1280x800: texts that do not fit, windows past the screen or left unpainted
// (the layout check), controls a screen reader or the keyboard cannot reach
// (the accessibility check).
#include "AccessibilityAudit.h"
#include "LayoutLint.h"
#include "WindowCatalogue.h"
#include "WindowFixture.h"

#include "app/CMessageTable.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <filesystem>
#include <vector>

using mvx::test::WindowFixture;

namespace {

// The session of the fixture's program folder in a language, with the
// partner's public key in the key root as after a key exchange.
std::unique_ptr<mvx::AppSession> sessionIn(WindowFixture& f, const char* language)
{
    const std::string kpub = f.temp.file("keys/pat.kpub");
    if (!std::filesystem::exists(kpub))
        std::filesystem::copy_file(f.temp.file("pat-keys/pat.kpub"), kpub);
    return std::make_unique<mvx::AppSession>(*f.interaction, f.temp.file("home"), language);
}

mvx::test::TableNames shownTexts(const mvx::CMessageTable& table)
{
    std::vector<QString> texts;
    for (int slot = 0; slot < mvx::CMessageTable::kSlotCount; ++slot)
        texts.push_back(QString::fromStdString(table.text(slot)));
    return mvx::test::TableNames(texts);
}

QStringList everyWindow(const std::function<QStringList(const QString&, QWidget&, mvx::AppSession&)>& check)
{
    WindowFixture f;
    f.window->hide();
    QStringList findings;
    for (const char* language : {"en", "ja"}) {
        auto session = sessionIn(f, language);
        int windows = 0;
        mvx::test::visitEveryWindow(*session, [&](const QString& name, QWidget& window) {
            ++windows;
            findings << check(name + "-" + language, window, *session);
        });
        if (windows < 20)
            findings << QString("only %1 windows were shown in %2").arg(windows).arg(language);
    }
    return findings;
}

} // namespace

class WindowChecksTest : public QObject {
    Q_OBJECT
private slots:
    void everyTextFitsAndEveryWindowIsPaintedOnTheScreen()
    {
        const QStringList findings = everyWindow(
            [](const QString& name, QWidget& window, mvx::AppSession&) { return mvx::test::layoutFindings(name, window); });
        report(findings);
    }

    void everyControlIsNamedAndReachedAndDialogsHaveDefaultAndCancel()
    {
        const QStringList findings = everyWindow([](const QString& name, QWidget& window, mvx::AppSession& session) {
            return mvx::test::accessibilityFindings(name, window, shownTexts(session.table()));
        });
        report(findings);
    }

private:
    static void report(const QStringList& findings)
    {
        for (const QString& finding : findings)
            qInfo().noquote() << finding;
        QVERIFY2(findings.isEmpty(), qPrintable(QString("%1 findings, listed above").arg(findings.size())));
    }
};

// The offscreen screen is made the size of a small laptop's, as the windows
// must fit on one.
int main(int argc, char** argv)
{
    QTemporaryDir folder;
    const QString config = folder.filePath("screen.json");
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly))
        return 1;
    file.write(R"({"screens": [{"name": "laptop", "x": 0, "y": 0, "width": 1280, "height": 800,
                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toUtf8());
    QApplication app(argc, argv);
    WindowChecksTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "WindowChecksTest.moc"
