#include "app/main_frame.h"

#include <QString>

#include "resources/strings.h"

namespace {
QString protocolName(int protocol) {
    switch (protocol) {
    case kProt3964: return "3964(R)";
    case kProtAscii: return "ASCII";
    case kProtRk512: return "RK512";
    case kProtPrinter: return "DRUCKER";
    default: return isLoadableDriver(protocol) ? QString("Ladbarer Treiber") : QString("-");
    }
}
}  // namespace

CMainFrame::CMainFrame(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QString::fromStdString(res::text(130)));
    move(10, 20);
    resize(717, 497);
}

CPtpView::CPtpView(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setObjectName("overview");
}

void CPtpView::OnInitialUpdate(CPtpDoc& doc) {
    setText(QString("<h3>%1</h3><p>Baugruppe: %2 &nbsp; Bestell-Nr.: %3</p><p>Schnittstelle: %4</p><p>Protokoll: %5</p>")
                .arg(QString::fromStdString(doc.GetTitle()).toHtmlEscaped(),
                     QString::fromStdString(doc.m_szModuleName).toHtmlEscaped(),
                     QString::fromStdString(doc.m_szOrderNo).toHtmlEscaped(),
                     QString::fromStdString(doc.m_szInterfaceName).toHtmlEscaped(), protocolName(doc.m_nProtocol)));
}

void CPtpView::Activate() {
    if (QWidget* w = window()) {
        w->show();
        w->raise();
        w->activateWindow();
    }
}
