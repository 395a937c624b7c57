#include "app/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QComboBox>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QVBoxLayout>

#include "app/help.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "resources/strings.h"
#include "view/driver_properties.h"
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

CMainFrame::CMainFrame(AppSettings& settings, QWidget* parent) : QMainWindow(parent), m_settings(settings) {
    setWindowTitle(QString::fromStdString(res::text(130)));
    move(10, 20);
    resize(717, 497);

    QMenu* file = menuBar()->addMenu("&Datei");
    m_pSave = file->addAction("&Speichern", QKeySequence(Qt::CTRL | Qt::Key_S), this, &CMainFrame::OnFileSave);
    m_pSave->setObjectName("save");
    file->addSeparator();
    file->addAction("&Beenden", this, &QWidget::close);
    connect(file, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    QMenu* edit = menuBar()->addMenu("&Bearbeiten");
    m_pOpenObject = edit->addAction("&Objekt öffnen", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O));
    m_pOpenObject->setObjectName("openObject");
    m_pOpenObject->setEnabled(false);
    QMenu* help = menuBar()->addMenu("&?");
    help->addAction("&Info ...", this, &CMainFrame::OnAppAbout);
    UpdateCommands();
}

void CMainFrame::SetView(CPtpView* view) {
    // Until the overview has more buttons than the protocol's, that is the one it opens.
    connect(m_pOpenObject, &QAction::triggered, view, &CPtpView::OnProtocol);
    connect(view, &CPtpView::documentChanged, this, &CMainFrame::UpdateCommands);
    m_pOpenObject->setEnabled(true);
}

void CMainFrame::UpdateCommands() { m_pSave->setEnabled(m_pDoc && m_pDoc->IsModified() && !m_pDoc->m_bOnline); }

void CMainFrame::OnFileSave() {
    if (m_pDoc && m_pDoc->IsModified()) m_pDoc->Store();
    UpdateCommands();
}

void CMainFrame::OnAppAbout() {
    QDialog about(this);
    about.setObjectName("about");
    about.setWindowTitle("Info");
    auto* layout = new QVBoxLayout(&about);
    layout->addWidget(new QLabel(QString::fromStdString(res::text(130)), &about));
    auto* version = new QLabel(QString::fromStdString(m_settings.versionString), &about);
    version->setObjectName("version");
    layout->addWidget(version);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, &about);
    connect(buttons, &QDialogButtonBox::accepted, &about, &QDialog::accept);
    layout->addWidget(buttons);
    about.exec();
}

void CMainFrame::closeEvent(QCloseEvent* e) {
    if (m_pDoc && !m_pDoc->SaveModified()) {
        e->ignore();
        UpdateCommands();
        return;
    }
    e->accept();
}

CPtpView::CPtpView(QWidget* parent) : QWidget(parent) {
    setObjectName("overview");
    m_pText = new QLabel(this);
    m_pText->setAlignment(Qt::AlignCenter);
    m_pText->setObjectName("overviewText");
    m_pProtocol = new QPushButton(this);
    m_pProtocol->setObjectName("PROTO");
    m_pProtocol->setEnabled(false);
    connect(m_pProtocol, &QPushButton::clicked, this, &CPtpView::OnProtocol);
    m_pProtocolList = new QComboBox(this);
    m_pProtocolList->setObjectName("protocolList");
    m_pProtocolList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_pProtocolList, &QComboBox::activated, this, &CPtpView::OnProtocolSelected);
    auto* listLabel = new QLabel("Pro&tokoll:", this);
    listLabel->setBuddy(m_pProtocolList);
    auto* bar = new QHBoxLayout;
    bar->addWidget(listLabel);
    bar->addWidget(m_pProtocolList);
    bar->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addStretch(1);
    layout->addWidget(m_pText);
    layout->addWidget(m_pProtocol, 0, Qt::AlignHCenter);
    layout->addStretch(1);
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
