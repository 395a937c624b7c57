#include "tools/screens/overview_screens.h"

#include <QApplication>
#include <QPixmap>
#include <QWidget>

#include "app/app_settings.h"
#include "app/ptp_view.h"
#include "document/codes.h"
#include "document/protocol_list.h"
#include "document/ptp_doc.h"
#include "tools/screens/layout_check.h"

namespace screens {

namespace {

struct Layout {
    const char* name;
    int module;
    int interfaceCode;
    int protocol;  // 255: the first installed driver
    const char* orderNo;
    bool printingDriver;
    int online;
    const char* focus;  // the button that has the focus in the picture, or null
};

const Layout kLayouts[] = {
    {"normal", kCP731, kIfRs232, kProt3964, "9QX4 731-1LA02", false, 0, "PROTO"},
    {"printer", kCP731, kIfRs232, kProtPrinter, "9QX4 731-1LA02", false, 0, "MELD"},
    {"driver", kCP731, kIfRs232, 255, "9QX4 731-1LA02", false, 0, "TREIBER"},
    {"driver-info", kCP8312, kIfHostRs422, 255, "9QX4 831-2KK02", false, 0, nullptr},
    {"printing-driver", kCP731, kIfRs422, 255, "9QX4 731-1LA02", true, 0, nullptr},
    {"online", kCP731, kIfRs232, kProtPrinter, "9QX4 731-1LA02", false, 1, nullptr},
};

// The size of the overview in the pictures: the child window of the main window at its
// start size, the same logical size at every scale.
constexpr QSize kSize(700, 420);

}  // namespace

QStringList renderOverviews(const QDir& out, bool check, int& written) {
    QStringList faults;
    for (const Layout& l : kLayouts) {
        const QString name = QString("overview-%1").arg(l.name);
        AppSettings app;
        InstalledDriver driver;
        driver.displayName = "Beispieltreiber";
        driver.texts = l.printingDriver;
        app.drivers.push_back(driver);
        CPtpDoc doc(app);
        doc.m_nModuleType = l.module;
        doc.m_nInterfaceCode = l.interfaceCode;
        doc.m_nInterfaceNo = 2;
        doc.m_nProtocol = l.protocol;
        doc.m_szOrderNo = l.orderNo;
        doc.m_bOnline = l.online;
        doc.m_ProtocolList = ProtocolsForOrderNumber(l.module, l.orderNo, {driver.displayName}).items;

        CPtpView view;
        view.SetDocument(&doc);
        view.OnInitialUpdate(doc);
        const QSize need = view.minimumSizeHint();
        if (need.width() > kSize.width() || need.height() > kSize.height())
            faults << name + QString(": needs %1x%2, more than the window gives").arg(need.width()).arg(need.height());
        view.resize(kSize);
        view.show();
        if (l.focus) {
            QApplication::setActiveWindow(&view);
            view.Button(l.focus)->setFocus();
        }
        QApplication::processEvents();
        const QString file = out.filePath(name + ".png");
        if (!view.grab().save(file, "PNG"))
            faults << name + ": cannot write " + file;
        else
            ++written;
        if (check)
            for (const QString& finding : checkLayout(&view)) faults << name + ": " + finding;
        view.close();
    }
    return faults;
}

}  // namespace screens
