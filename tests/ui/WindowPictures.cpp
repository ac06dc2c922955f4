// Pictures of every window and dialog for scripts/screenshots.sh:
// mvx_window_pictures PROGRAM-FOLDER ja|en OUTPUT-FOLDER writes NAME-LANGUAGE.png.
#include "WindowCatalogue.h"

#include "ui/shared/QtInteraction.h"
#include "workbench/AppSession.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include <iostream>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 4) {
        std::cerr << "usage: mvx_window_pictures PROGRAM-FOLDER ja|en OUTPUT-FOLDER\n";
        return 2;
    }
    const QString language = argv[2];
    const QString out = QString(argv[3]) + "/";
    mvx::ui::QtInteraction dialogs;
    mvx::AppSession session(dialogs, argv[1], language.toStdString());
    dialogs.setTable(&session.table());
    bool saved = true;
    mvx::test::visitEveryWindow(session, [&](const QString& name, QWidget& window) {
        const QString path = out + name + "-" + language + ".png";
        std::cout << path.toStdString() << '\n';
        saved = window.grab().save(path) && saved;
    });
    return saved ? 0 : 1;
}
