#include "app/automation.h"

#include <QDBusConnection>

#include "document/ptp_doc.h"

bool PtpDocumentAutomation::Register() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return false;
    if (!bus.registerObject("/Document", this, QDBusConnection::ExportAllSlots)) return false;
    return bus.registerService("Ptp.Document");
}

int PtpDocumentAutomation::Show(int a, int b, int c, int d, int e, int f, const QString& text) {
    return m_doc.Show(a, b, c, d, e, f, text.toStdString());
}
