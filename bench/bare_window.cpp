// The yardstick for start-up: the least a Qt 6 Widgets program does to put
// a window of the main window's size on the screen.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QWidget window;
    window.setWindowTitle("Bare Qt window");
    window.resize(604, 420);
    window.show();
    return QApplication::exec();
}
