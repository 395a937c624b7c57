#include "online/ui/pump.h"

#include <QEventLoop>
#include <QTimer>

void PumpMessages(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds > 0 ? milliseconds : 0, &loop, &QEventLoop::quit);
    loop.exec();
}
