// PumpMessages: what is due on the event loop runs while the online dialogs wait.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include "online/ui/pump.h"

namespace {

TEST(PumpMessages, TimersAndPostedWorkRunWhileWaiting) {
    int argc = 1;
    char name[] = "test_online_pump";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    struct Case {
        int ms;
    } cases[] = {{0}, {-5}, {20}};
    for (const Case& c : cases) {
        bool fired = false, posted = false;
        QTimer::singleShot(0, &app, [&] { fired = true; });
        QMetaObject::invokeMethod(&app, [&] { posted = true; }, Qt::QueuedConnection);
        PumpMessages(c.ms);
        EXPECT_TRUE(fired) << c.ms;
        EXPECT_TRUE(posted) << c.ms;
    }
}

}  // namespace
