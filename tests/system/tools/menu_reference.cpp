// Shows an empty window with the menu bar a test describes, drawn by the same
// toolkit, style and font as the program, for the test to compare pixels
// with. Prints each menu-bar entry's rectangle, one "x y w h" line each.
//
//   tess_menu_reference WIDTH HEIGHT MENUS
//
// MENUS is JSON: [[title, [item, ...]], ...], with null instead of the
// items for a command on the menu bar itself; an item "-" is a separator and
// "text@keys" gives the item a shortcut.

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <cstdio>

#include "app/interface_font.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: tess_menu_reference WIDTH HEIGHT MENUS\n");
        return 2;
    }
    app::UseInterfaceFont();

    QMainWindow window;
    window.setWindowTitle("MenuReference");
    window.setCentralWidget(new QWidget);
    QMenuBar* bar = window.menuBar();
    const QJsonArray menus = QJsonDocument::fromJson(argv[3]).array();
    for (const QJsonValue& entry : menus) {
        const QString title = entry[0].toString();
        if (entry[1].isNull()) {
            bar->addAction(title);
            continue;
        }
        QMenu* menu = bar->addMenu(title);
        for (const QJsonValue& item : entry[1].toArray()) {
            const QStringList parts = item.toString().split('@');
            if (parts[0] == "-") {
                menu->addSeparator();
            } else if (QAction* action = menu->addAction(parts[0]); parts.size() > 1) {
                action->setShortcut(QKeySequence(parts[1]));
            }
        }
    }
    window.resize(QString(argv[1]).toInt(), QString(argv[2]).toInt());
    window.show();
    for (QAction* action : bar->actions()) {
        const QRect r = bar->actionGeometry(action);
        std::printf("%d %d %d %d\n", r.x(), r.y(), r.width(), r.height());
    }
    std::fflush(stdout);
    return QApplication::exec();
}
