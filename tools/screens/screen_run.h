#pragma once
// What every screens program shares: the offscreen platform, the command line "[--check]
// OUTDIR", the messages a window shows while it is rendered (caught, printed and counted as
// faults instead of message boxes), and saving a window as a PNG file with the layout check.
#include <QDir>
#include <QString>

#include <functional>

#include "host/messages.h"

class QWidget;

namespace screens {

struct ScreenRun {
    QDir out;
    bool check = false;
    host::RecordingMessages messages;
    int written = 0;
    int faults = 0;

    // One line on standard error, counted.
    void fault(const QString& where, const QString& what);
    // Every message shown since the last call is a fault of `where`.
    void reportMessages(const QString& where);
    // Shows the window, saves it as OUTDIR/<name>.png, checks its layout with --check, reports
    // the messages it showed, closes it.
    void save(QWidget& window, const QString& name);
};

// The whole program: starts the application offscreen (unless a platform is chosen), reads
// "[--check] OUTDIR" (`usage` for --help and misuse), makes OUTDIR, runs `render` with the
// messages caught, says how many pictures it wrote and returns 1 when there were faults.
int RunScreens(int argc, char** argv, const char* usage, const std::function<void(ScreenRun&)>& render);

}  // namespace screens
