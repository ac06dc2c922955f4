// The desktop's own save dialog (not the scripted answers of the window
// tests): the batch asks its overwrite question itself, so choosing an
// existing file must not raise a second one from the dialog.
#include "TempFolder.h"

#include "ui/shared/QtInteraction.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <fstream>

class SaveDialogTest : public QObject {
    Q_OBJECT
private slots:
    void choosingAnExistingFileRaisesNoOverwriteQuestionOfTheDialog_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::newRow("no filter") << QString();
        QTest::newRow("containers") << QString("Encrypted files(*.klx)|*.klx|");
    }

    void choosingAnExistingFileRaisesNoOverwriteQuestionOfTheDialog()
    {
        QFETCH(QString, filter);
        TempFolder temp;
        const std::string existing = temp.file("report.txt.klx");
        std::ofstream(existing) << "an older container";

        QStringList questions;
        bool typed = false;
        QTimer user;
        connect(&user, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (auto* question = qobject_cast<QMessageBox*>(modal)) {
                questions << question->text();
                question->button(QMessageBox::Yes) ? question->button(QMessageBox::Yes)->click() : question->accept();
            } else if (auto* chooser = qobject_cast<QFileDialog*>(modal); chooser && !typed) {
                auto* name = chooser->findChild<QLineEdit*>("fileNameEdit");
                if (!name || !QTest::qWaitForWindowExposed(chooser))
                    return;
                typed = true;
                name->setText("report.txt.klx");
                // Pressed from a timer of its own, so this one can answer a question it raises.
                QTimer::singleShot(0, name, [name] { QTest::keyClick(name, Qt::Key_Return); });
            }
        });
        user.start(50);

        mvx::ui::QtInteraction dialogs;
        const auto chosen = dialogs.chooseSavePathFiltered("Decrypt", existing, filter.toStdString());
        user.stop();
        QVERIFY(typed);
        QVERIFY2(chosen.has_value(), "the dialog was not accepted");
        QCOMPARE(QString::fromStdString(*chosen), QString::fromStdString(existing));
        QVERIFY2(questions.isEmpty(), qPrintable(questions.join('\n')));
    }
};

QTEST_MAIN(SaveDialogTest)
#include "SaveDialogTest.moc"
