#include "app/main_frame.h"
#include "app/ptp_view.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QString>
#include <QStringList>
#include <QVBoxLayout>

#include "app/help.h"
#include "app/module_properties_dialog.h"
#include "host/messages.h"
#include "online/ui/firmware_dialog.h"
#include "resources/strings.h"
#include "view/frame_commands.h"
#include "view/module_properties.h"
#include "view/ui/print_commands.h"

namespace {
// The numbers of the frame's commands.
enum Command : int {
    kCmdSave = 57603,
    kCmdProperties = 32773,
    kCmdPrint = 57607,
    kCmdPrintPreview = 57609,
    kCmdPrintSetup = 57606,
    kCmdPageSetup = 32778,
    kCmdExit = 57665,
    kCmdGoToProtocol = 32774,
    kCmdGoToDriverLoad = 32781,
    kCmdGoToDriverInfo = 32782,
    kCmdOpenObject = 32775,
    kCmdToolBar = 59392,
    kCmdStatusBar = 59393,
    kCmdFirmwareUpdate = 32780,
    kCmdHelpFinder = 57666,
    kCmdHelpIntroduction = 32779,
    kCmdHelpUsing = 57668,
    kCmdAbout = 57664,
};
constexpr int kIntroductionTopic = 65671;
constexpr int kFirmwareTitle = 614;
constexpr int kIndicatorCaps = 59137, kIndicatorNum = 59138, kIndicatorScroll = 59139;
}  // namespace

CMainFrame::CMainFrame(AppSettings& settings, QWidget* parent) : QMainWindow(parent), m_settings(settings) {
    setWindowTitle(QString::fromStdString(res::text(130)));
    move(10, 20);
    resize(717, 497);

    auto add = [this](QMenu* menu, int id, const QString& text, const QKeySequence& key = {}) {
        QAction* a = menu->addAction(text);
        a->setObjectName(QString("cmd%1").arg(id));
        if (!key.isEmpty()) a->setShortcut(key);
        m_commands[id] = a;
        return a;
    };

    QMenu* file = menuBar()->addMenu("&Datei");
    m_pSave = add(file, kCmdSave, "&Speichern", QKeySequence(Qt::CTRL | Qt::Key_S));
    m_pSave->setObjectName("save");
    m_pSave->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_pSave->setToolTip("Speichern");
    m_pSave->setStatusTip("Speichert die Parameter der Baugruppe");
    connect(m_pSave, &QAction::triggered, this, &CMainFrame::OnFileSave);
    connect(add(file, kCmdProperties, "&Eigenschaften..."), &QAction::triggered, this, &CMainFrame::OnFileProperties);
    file->addSeparator();
    QAction* print = add(file, kCmdPrint, "&Drucken...", QKeySequence(Qt::CTRL | Qt::Key_P));
    // the theme's printer where there is one, else the overview's own printer drawing
    print->setIcon(QIcon::fromTheme("document-print", QIcon(":/pictures/drucker.svg")));
    print->setToolTip("Drucken");
    add(file, kCmdPrintPreview, "Druck&vorschau");
    add(file, kCmdPrintSetup, "Drucker einri&chten...");
    file->addSeparator();
    add(file, kCmdPageSetup, "Seite ei&nrichten...");
    // Printing, its preview and the page setup: view/ui/print_commands.h.
    auto* printing = new CPrintCommands(this, [this] { return m_pDoc; });
    connect(print, &QAction::triggered, printing, &CPrintCommands::OnFilePrint);
    connect(m_commands[kCmdPrintPreview], &QAction::triggered, printing, &CPrintCommands::OnFilePrintPreview);
    connect(m_commands[kCmdPrintSetup], &QAction::triggered, printing, &CPrintCommands::OnFilePrintSetup);
    connect(m_commands[kCmdPageSetup], &QAction::triggered, printing, &CPrintCommands::OnFilePageSetup);
    file->addSeparator();
    connect(add(file, kCmdExit, "&Beenden", QKeySequence(Qt::ALT | Qt::Key_F4)), &QAction::triggered, this,
            &QWidget::close);

    QMenu* edit = menuBar()->addMenu("&Bearbeiten");
    connect(add(edit, kCmdGoToProtocol, "&Gehe zu <Protokoll>", QKeySequence(Qt::CTRL | Qt::Key_E)),
            &QAction::triggered, this, &CMainFrame::OnGoToProtocol);
    connect(add(edit, kCmdGoToDriverLoad, "G&ehe zu <Treiber laden>", QKeySequence(Qt::CTRL | Qt::Key_L)),
            &QAction::triggered, this, &CMainFrame::OnGoToDriver);
    connect(add(edit, kCmdGoToDriverInfo, "Ge&he zu <Treiber info>", QKeySequence(Qt::CTRL | Qt::Key_I)),
            &QAction::triggered, this, &CMainFrame::OnGoToDriver);
    edit->addSeparator();
    m_pOpenObject = add(edit, kCmdOpenObject, "&Objekt öffnen", QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_O));
    m_pOpenObject->setObjectName("openObject");
    m_pOpenObject->setEnabled(false);

    m_pToolBar = new QToolBar("Funktionsleiste", this);
    m_pToolBar->setObjectName("toolBar");
    m_pToolBar->addAction(m_pSave);
    m_pToolBar->addSeparator();
    m_pToolBar->addAction(print);
    m_pToolBar->addSeparator();
    m_pToolBar->setAllowedAreas(Qt::AllToolBarAreas);
    m_pToolBar->setMovable(true);
    addToolBar(Qt::TopToolBarArea, m_pToolBar);

    statusBar()->setObjectName("statusBar");
    for (int id : {kIndicatorCaps, kIndicatorNum, kIndicatorScroll}) {
        // The lock states are not known to the program: the indicators are shown dimmed.
        auto* indicator = new QLabel(QString::fromStdString(res::text(id)), statusBar());
        indicator->setObjectName(QString("indicator%1").arg(id));
        indicator->setEnabled(false);
        indicator->setFrameShape(QFrame::Panel);
        indicator->setFrameShadow(QFrame::Sunken);
        statusBar()->addPermanentWidget(indicator);
    }

    QMenu* view = menuBar()->addMenu("&Ansicht");
    QAction* toolBar = add(view, kCmdToolBar, "&Funktionsleiste");
    toolBar->setCheckable(true);
    toolBar->setChecked(true);
    connect(toolBar, &QAction::toggled, m_pToolBar, &QWidget::setVisible);
    connect(m_pToolBar, &QToolBar::visibilityChanged, toolBar, [this, toolBar] {
        if (isVisible()) toolBar->setChecked(m_pToolBar->isVisible());
    });
    QAction* status = add(view, kCmdStatusBar, "&Statuszeile");
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, statusBar(), &QWidget::setVisible);

    QMenu* extras = menuBar()->addMenu("E&xtras");
    connect(add(extras, kCmdFirmwareUpdate, "Firmware &Update..."), &QAction::triggered, this,
            &CMainFrame::OnFirmwareUpdate);

    QMenu* help = menuBar()->addMenu("&Hilfe");
    connect(add(help, kCmdHelpFinder, "&Hilfethemen...", QKeySequence(Qt::Key_F1)), &QAction::triggered, this,
            &CMainFrame::OnHelpFinder);
    connect(add(help, kCmdHelpIntroduction, "&Einführung"), &QAction::triggered, this,
            &CMainFrame::OnHelpIntroduction);
    connect(add(help, kCmdHelpUsing, "Hilfe &benutzen"), &QAction::triggered, this, &CMainFrame::OnHelpUsing);
    help->addSeparator();
    connect(add(help, kCmdAbout, "Inf&o..."), &QAction::triggered, this, &CMainFrame::OnAppAbout);

    for (QMenu* m : {file, edit, extras}) connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    for (QMenu* m : {file, edit, view, extras, help}) m->installEventFilter(this);
    UpdateCommands();
}

void CMainFrame::OpenHelp(int topic) {
    if (m_openHelp) {
        m_openHelp(topic);
        return;
    }
    const std::string file = m_pDoc ? m_pDoc->App().currentHelp : std::string();
    if (topic == 0)
        OpenHelpContents(file);
    else
        OpenHelpTopic(file, topic);
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    auto* menu = qobject_cast<QMenu*>(watched);
    if (menu && event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1) {
        if (QAction* active = menu->activeAction()) {
            for (const auto& [id, action] : m_commands)
                if (action == active) {
                    if (const int topic = CommandHelpTopic(id)) {
                        menu->close();
                        OpenHelp(topic);
                    }
                    return true;
                }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

QAction* CMainFrame::Command(int id) const {
    auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second;
}

void CMainFrame::SetView(CPtpView* view) {
    m_pView = view;
    // "Objekt öffnen" opens the overview's button that has the focus.
    connect(m_pOpenObject, &QAction::triggered, view, &CPtpView::OpenFocusedObject);
    connect(view, &CPtpView::documentChanged, this, &CMainFrame::UpdateCommands);
    m_pOpenObject->setEnabled(true);
}

void CMainFrame::UpdateCommands() {
    m_pSave->setEnabled(m_pDoc && m_pDoc->IsModified() && !m_pDoc->m_bOnline);
    m_commands[kCmdProperties]->setEnabled(m_pDoc && DescribeModuleProperties(*m_pDoc).form !=
                                                         ModuleProperties::Form::None);
    m_commands[kCmdGoToProtocol]->setEnabled(m_pView != nullptr);
    m_commands[kCmdGoToDriverLoad]->setEnabled(m_pView && m_pDoc && GoToDriverLoadEnabled(*m_pDoc));
    m_commands[kCmdGoToDriverInfo]->setEnabled(m_pView && m_pDoc && GoToDriverInfoEnabled(*m_pDoc));
    m_commands[kCmdFirmwareUpdate]->setEnabled(m_pDoc && FirmwareUpdateEnabled(*m_pDoc));
    for (int id : {kCmdPrint, kCmdPrintPreview, kCmdPrintSetup, kCmdPageSetup}) m_commands[id]->setEnabled(m_pDoc != nullptr);
}

void CMainFrame::OnFileSave() {
    if (!m_pDoc) return;
    statusBar()->showMessage(QString::fromStdString(StoreOutcomeText(StoreDocument(*m_pDoc))));
    UpdateCommands();
}

void CMainFrame::OnFileProperties() {
    if (!m_pDoc) return;
    const ModuleProperties properties = DescribeModuleProperties(*m_pDoc);
    if (properties.form == ModuleProperties::Form::None) return;
    CModulePropertiesDialog dialog(properties, [this](int topic) { OpenHelp(topic); }, this);
    dialog.exec();
}

void CMainFrame::OnGoToProtocol() {
    if (m_pView) m_pView->ProtocolButton()->setFocus(Qt::ShortcutFocusReason);
}

void CMainFrame::OnGoToDriver() {
    if (!m_pView) return;
    // The driver's button; while the overview does not show it, its protocol button.
    QWidget* button = m_pView->DriverButton();
    if (button->isHidden()) button = m_pView->ProtocolButton();
    button->setFocus(Qt::ShortcutFocusReason);
}

void CMainFrame::OnFirmwareUpdate() {
    if (!m_pDoc || !FirmwareUpdateEnabled(*m_pDoc)) return;
    if (const int refusal = FirmwareUpdateRefusal(*m_pDoc)) {
        host::showMessage(res::text(kFirmwareTitle), refusal);
        return;
    }
    const online::FirmwareModel model = online::FirmwareModelOf(*m_pDoc);
    OpenFirmwareDialog(*m_pDoc, this, model.first, model.second);
}

void CMainFrame::OnHelpFinder() { OpenHelp(0); }

void CMainFrame::OnHelpIntroduction() { OpenHelp(kIntroductionTopic); }

void CMainFrame::OnHelpUsing() {
    host::plainMessage("Hilfe benutzen",
                       "Die Hilfe wird im Browser des Desktops angezeigt.\n\n"
                       "\"Hilfethemen...\" (F1) zeigt die Themen der Hilfedatei der Baugruppe, \"Einführung\" "
                       "den Einstieg. Die Schaltfläche \"Hilfe\" eines Dialogs zeigt das Thema dieses Dialogs.");
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
