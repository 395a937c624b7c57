#include "online/ui/pump.h"

#include "online/online_connection.h"

#include <QEventLoop>
#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

void PumpMessages(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds > 0 ? milliseconds : 0, &loop, &QEventLoop::quit);
    loop.exec();
}

void InstallWaitCursor() {
    online::SetWaitIndicator([](bool busy) {
        if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
        if (busy)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QGuiApplication::restoreOverrideCursor();
    });
}
