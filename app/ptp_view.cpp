#include "app/ptp_view.h"

#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/help.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "view/driver_properties.h"
#include "view/frame_commands.h"
#include "view/protocol_sheet.h"

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

CPtpView::CPtpView(QWidget* parent) : QWidget(parent) {
    setObjectName("overview");
    m_pText = new QLabel(this);
    m_pText->setAlignment(Qt::AlignCenter);
    m_pText->setObjectName("overviewText");
    m_pProtocol = new QPushButton(this);
    m_pProtocol->setObjectName("PROTO");
    m_pProtocol->setEnabled(false);
    m_pProtocol->setAutoDefault(true);  // Enter on the focused button opens it, as a click does
    connect(m_pProtocol, &QPushButton::clicked, this, &CPtpView::OnProtocol);
    m_pProtocolList = new QComboBox(this);
    m_pProtocolList->setObjectName("protocolList");
    m_pProtocolList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_pProtocolList, &QComboBox::activated, this, &CPtpView::OnProtocolSelected);
    m_pProtocolList->installEventFilter(this);
    auto* listLabel = new QLabel("Pro&tokoll:", this);
    listLabel->setBuddy(m_pProtocolList);
    auto* bar = new QHBoxLayout;
    bar->addWidget(listLabel);
    bar->addWidget(m_pProtocolList);
    m_pInterfaceLabel = new QLabel("Schnittstelle:", this);
    m_pInterfaceLabel->setObjectName("interfaceLabel");
    m_pInterfaceNo = new QLabel(this);
    m_pInterfaceNo->setObjectName("interfaceNo");
    m_pInterfaceLabel->hide();
    m_pInterfaceNo->hide();
    bar->addSpacing(12);
    bar->addWidget(m_pInterfaceLabel);
    bar->addWidget(m_pInterfaceNo);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addStretch(1);
    layout->addWidget(m_pText);
    layout->addWidget(m_pProtocol, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    setTabOrder(m_pProtocolList, m_pProtocol);
}

bool CPtpView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pProtocolList && event->type() == QEvent::KeyPress) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            m_pProtocolList->showPopup();
            return true;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CPtpView::OnProtocol() {
    if (!m_pDoc) return;
    if (isLoadableDriver(m_pDoc->m_nProtocol)) {
        // A loadable driver brings its own dialog.
        if (CallDriverProperty(*m_pDoc, window())) {
            OnInitialUpdate(*m_pDoc);
            emit documentChanged();
        }
        return;
    }
    auto model = OpenProtocolSheet(*m_pDoc);
    if (!model) return;
    SheetOptions options;
    options.language = m_pDoc->App().language;
    options.openHelp = [help = m_pDoc->App().currentHelp](int topic) { OpenHelpTopic(help, topic); };
    CProtocolSheet sheet(*model, window(), options);
    if (sheet.exec() != QDialog::Accepted) return;
    TakeProtocolSheet(*m_pDoc, *model);
    OnInitialUpdate(*m_pDoc);
    emit documentChanged();
}

void CPtpView::OnProtocolSelected(int index) {
    if (!m_pDoc || index < 0) return;
    const int code = m_pProtocolList->itemData(index).toInt();
    if (m_pDoc->ChangeProtocol(code) == CPtpDoc::ProtocolChange::Changed) emit documentChanged();
    OnInitialUpdate(*m_pDoc);  // a declined or failed change selects the current protocol again
}

void CPtpView::OnInitialUpdate(const CPtpDoc& doc) {
    m_pProtocolList->clear();
    for (const auto& item : doc.m_ProtocolList) m_pProtocolList->addItem(QString::fromStdString(item.text), item.code);
    m_pProtocolList->setCurrentIndex(m_pProtocolList->findData(doc.m_nProtocol));
    m_pProtocolList->setEnabled(!doc.m_bOnline);
    m_pInterfaceLabel->setVisible(ShowsInterfaceNumber(doc));
    m_pInterfaceNo->setVisible(ShowsInterfaceNumber(doc));
    m_pInterfaceNo->setText(QString::fromStdString(InterfaceNumberText(doc)));
    const bool sheet = isLoadableDriver(doc.m_nProtocol) || (doc.m_nProtocol >= kProt3964 && doc.m_nProtocol <= kProtPrinter);
    m_pProtocol->setText(QString("&Protokoll %1 ...").arg(isLoadableDriver(doc.m_nProtocol)
                                                              ? QString::fromStdString(doc.ProtocolText(doc.m_nProtocol))
                                                              : protocolName(doc.m_nProtocol)));
    m_pProtocol->setEnabled(sheet);
    QStringList offered;
    for (const auto& i : doc.m_ProtocolList) offered << QString::fromStdString(i.text);
    m_pText->setText(QString("<h3>%1</h3><p>Baugruppe: %2 &nbsp; Bestell-Nr.: %3</p><p>Schnittstelle: %4</p>"
                    "<p>Protokoll: %5</p><p>Mögliche Protokolle: %6</p>")
                .arg(QString::fromStdString(doc.GetTitle()).toHtmlEscaped(),
                     QString::fromStdString(doc.m_szModuleName).toHtmlEscaped(),
                     QString::fromStdString(doc.m_szOrderNo).toHtmlEscaped(),
                     QString::fromStdString(doc.m_szInterfaceName).toHtmlEscaped(), protocolName(doc.m_nProtocol),
                     offered.join(", ").toHtmlEscaped()));
}

void CPtpView::Activate() {
    if (QWidget* w = window()) {
        w->show();
        w->raise();
        w->activateWindow();
    }
}
