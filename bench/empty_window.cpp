// The yardstick of the start-up measurement: an empty Qt main window, shown and closed.
#include <QApplication>
#include <QMainWindow>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(717, 497);
    window.show();
    QTimer::singleShot(0, &app, &QApplication::quit);
    return app.exec();
}
