#include <QApplication>
#include <QStringList>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/ptp_app.h"

int main(int argc, char** argv) {
    // Answered before anything starts: no window, no registry, no project.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vemtro_x %s\n", PTP_VERSION);
        return 0;
    }
    QApplication qapp(argc, argv);
    // The launcher passes the start-up string as the whole command line.
    QStringList args = qapp.arguments().mid(1);
    bool embedded = !args.isEmpty() && (args.first() == "-Embedding" || args.first() == "-Automation");
    const std::string commandLine = embedded ? std::string() : args.join(' ').toStdString();

    CPtPApp app;
    if (!app.InitInstance(commandLine, embedded)) {
        app.ExitInstance();
        return 1;
    }
    // Start-up measurements end the program as soon as the main window is shown.
    if (std::getenv("VEMTRO_QUIT_WHEN_SHOWN")) QTimer::singleShot(0, &qapp, &QApplication::quit);
    int rc = app.m_bQuitRequested ? 0 : qapp.exec();
    app.ExitInstance();
    return rc;
}
