#include <QApplication>
#include <QLibraryInfo>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/ptp_app.h"
#include "host/messages.h"

int main(int argc, char** argv) {
    // Answered before anything starts: no window, no registry, no project.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("vemtro_x %s\n", PTP_VERSION);
        return 0;
    }
    QApplication qapp(argc, argv);
    // Qt's own dialogs (print, preview, file selection) speak the program's German.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(QLocale::German), "qtbase", "_", QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        qapp.installTranslator(&qtTexts);
    // The launcher passes the start-up string as the whole command line.
    QStringList args = qapp.arguments().mid(1);
    bool embedded = !args.isEmpty() && (args.first() == "-Embedding" || args.first() == "-Automation");
    const std::string commandLine = embedded ? std::string() : args.join(' ').toStdString();

    // Start-up measurements and the command-line tests end the program as soon as the main
    // window is shown; nobody is there to answer a message box, so messages go to standard
    // error and every question is answered "no": nothing is stored, the program ends.
    const bool quitWhenShown = std::getenv("VEMTRO_QUIT_WHEN_SHOWN") != nullptr;
    host::StderrMessages unattended(host::StderrMessages::Answer::No);
    if (quitWhenShown) host::setMessageService(&unattended);

    CPtPApp app;
    if (!app.InitInstance(commandLine, embedded)) {
        app.ExitInstance();
        return 1;
    }
    if (quitWhenShown) QTimer::singleShot(0, &qapp, &QApplication::quit);
    int rc = app.m_bQuitRequested ? 0 : qapp.exec();
    app.ExitInstance();
    if (quitWhenShown) host::setMessageService(nullptr);
    return rc;
}
