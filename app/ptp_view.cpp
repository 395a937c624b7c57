#include "app/ptp_view.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QSvgRenderer>
#include <QVBoxLayout>

#include <stdexcept>

#include "app/help.h"
#include "app/main_frame.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "resources/pictures/pictures.h"
#include "view/driver_properties.h"
#include "view/frame_commands.h"
#include "view/protocol_sheet.h"

namespace {

QSvgRenderer* loadPicture(const QString& name, QObject* owner) {
    auto* renderer = new QSvgRenderer(pictures::Load(name), owner);
    if (!renderer->isValid())
        throw std::runtime_error("picture \"" + name.toStdString() + "\" cannot be read");
    return renderer;
}

bool isEnter(const QKeyEvent* key) { return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter; }

QFrame* etchedLine(const QString& name, QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

}  // namespace

// --- CPictureButton ---

CPictureButton::CPictureButton(const QString& caption, const QString& picture, const QString& focused, QWidget* parent)
    : QAbstractButton(parent) {
    setObjectName(caption);
    setText(caption);
    setAccessibleName(caption);
    m_picture = loadPicture(picture, this);
    if (!focused.isEmpty()) m_focused = loadPicture(focused, this);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusPolicy(Qt::StrongFocus);
}

QSize CPictureButton::sizeHint() const { return m_picture->defaultSize(); }

bool CPictureButton::ShowsFocusedPicture() const { return m_focused && hasFocus(); }

void CPictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QSvgRenderer* picture = ShowsFocusedPicture() ? m_focused : m_picture;
    // The picture keeps its proportions, centred in the button; a pressed button shifts it a little.
    QSizeF size = picture->defaultSize();
    size.scale(QSizeF(rect().size()), Qt::KeepAspectRatio);
    QRectF target(QPointF(0, 0), size);
    target.moveCenter(QRectF(rect()).center());
    if (isDown()) target.translate(1, 1);
    if (!isEnabled()) painter.setOpacity(0.4);
    picture->render(&painter, target);
    if (hasFocus() && !m_focused) {
        // a button without a focused picture shows the focus as a dotted outline
        QPen pen(palette().color(QPalette::Highlight), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    }
}

void CPictureButton::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() == Qt::LeftButton) emit opened();
}

void CPictureButton::keyPressEvent(QKeyEvent* event) {
    if (isEnter(event)) {
        // only the first press opens: holding the key down opens nothing more
        event->accept();
        if (!event->isAutoRepeat()) emit opened();
        return;
    }
    QAbstractButton::keyPressEvent(event);
}

// --- CPtpView ---

CPictureButton* CPtpView::AddButton(const QString& caption, const QString& picture, const QString& focused) {
    auto* button = new CPictureButton(caption, picture, focused, this);
    connect(button, &CPictureButton::opened, this, [this, button] { OpenObject(button); });
    return button;
}

QLabel* CPtpView::AddLabel(const QString& name, const QString& text) {
    auto* label = new QLabel(text, this);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

CPtpView::CPtpView(QWidget* parent) : QWidget(parent) {
    setObjectName("overview");
    // The form is drawn on the window colour, the labels on the same.
    QPalette form = palette();
    form.setColor(QPalette::Window, form.color(QPalette::Base));
    form.setColor(QPalette::WindowText, form.color(QPalette::Text));
    setPalette(form);
    setAutoFillBackground(true);

    // The protocol list and, for the CP 831-2, the interface number.
    m_pProtocolList = new QComboBox(this);
    m_pProtocolList->setObjectName("protocolList");
    m_pProtocolList->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_pProtocolList, &QComboBox::activated, this, &CPtpView::OnProtocolSelected);
    m_pProtocolList->installEventFilter(this);
    m_pProtocolList->view()->installEventFilter(this);
    auto* listLabel = new QLabel("Pro&tokoll:", this);
    listLabel->setObjectName("protocolListLabel");
    listLabel->setBuddy(m_pProtocolList);
    m_pInterfaceLabel = new QLabel("Schnittstelle:", this);
    m_pInterfaceLabel->setObjectName("interfaceLabel");
    m_pInterfaceNo = new QLabel(this);
    m_pInterfaceNo->setObjectName("interfaceNo");
    m_pInterfaceLabel->hide();
    m_pInterfaceNo->hide();
    auto* bar = new QHBoxLayout;
    bar->addWidget(listLabel);
    bar->addWidget(m_pProtocolList);
    bar->addSpacing(12);
    bar->addWidget(m_pInterfaceLabel);
    bar->addWidget(m_pInterfaceNo);
    bar->addStretch(1);

    // The chain, left to right: own CPU, protocol, line, partner CPU or printer; the driver
    // below the protocol; the printer's settings in a row of their own.
    m_pCpu = AddButton("AG1", "ag");
    m_pProto = AddButton("PROTO", "protokoll", "protokoll_focus");
    m_pLine = AddButton("LINIE", "linie");
    m_pPartner = AddButton("AG2", "ag");
    m_pPrinter = AddButton("DRUCKER", "drucker");
    m_pDriver = AddButton("TREIBER", "treiber", "treiber_focus");
    m_pPage = AddButton("SEITE", "seite", "seite_focus");
    m_pChars = AddButton("ZEICHEN", "zeichen", "zeichen_focus");
    m_pControl = AddButton("STEUER", "steuer", "steuer_focus");
    m_pMessages = AddButton("MELD", "meldungen", "meldungen_focus");
    // the CPUs and the printer open nothing and take no focus
    for (CPictureButton* b : {m_pCpu, m_pPartner, m_pPrinter}) b->setFocusPolicy(Qt::NoFocus);
    m_pLine->installEventFilter(this);

    auto* protoLabel = AddLabel("protocolLabel", "Protokoll");
    m_pDriverLoadLabel = AddLabel("driverLoadLabel", "Treiber laden");
    m_pDriverInfoLabel = AddLabel("driverInfoLabel", "Treiber Info");
    m_pPageLabel = AddLabel("pageLabel", "Seitenlayout");
    m_pCharsLabel = AddLabel("charsLabel", "Zeichensatz");
    m_pControlLabel = AddLabel("controlLabel", "Steuerzeichen");
    m_pMessagesLabel = AddLabel("messagesLabel", "Meldungen");

    auto* chain = new QGridLayout;
    chain->setHorizontalSpacing(0);
    chain->setVerticalSpacing(4);
    chain->addWidget(protoLabel, 0, 2, Qt::AlignHCenter | Qt::AlignBottom);
    chain->addWidget(m_pCpu, 1, 0, Qt::AlignCenter);
    // the module sits beside its CPU: a plain line in the pictures' ink joins them
    auto* backplane = etchedLine("cpuLine", this);
    backplane->setFrameShadow(QFrame::Plain);
    backplane->setLineWidth(2);
    QPalette ink = backplane->palette();
    ink.setColor(QPalette::WindowText, QColor(0x26, 0x32, 0x3f));
    backplane->setPalette(ink);
    backplane->setMinimumWidth(40);
    chain->addWidget(backplane, 1, 1);
    chain->addWidget(m_pProto, 1, 2, Qt::AlignCenter);
    chain->addWidget(m_pLine, 1, 3, Qt::AlignCenter);
    chain->addWidget(m_pPartner, 1, 4, Qt::AlignCenter);
    chain->addWidget(m_pPrinter, 1, 4, Qt::AlignCenter);
    chain->addWidget(m_pDriver, 2, 2, Qt::AlignHCenter | Qt::AlignTop);
    chain->addWidget(m_pDriverLoadLabel, 3, 2, Qt::AlignHCenter | Qt::AlignTop);
    chain->addWidget(m_pDriverInfoLabel, 3, 2, Qt::AlignHCenter | Qt::AlignTop);
    chain->setColumnMinimumWidth(3, m_pLine->sizeHint().width() + 16);

    auto* settings = new QGridLayout;
    settings->setHorizontalSpacing(24);
    settings->setVerticalSpacing(4);
    const std::pair<CPictureButton*, QLabel*> printerItems[] = {
        {m_pPage, m_pPageLabel}, {m_pChars, m_pCharsLabel}, {m_pControl, m_pControlLabel}, {m_pMessages, m_pMessagesLabel}};
    int column = 0;
    for (const auto& [button, label] : printerItems) {
        settings->addWidget(button, 0, column, Qt::AlignHCenter | Qt::AlignBottom);
        settings->addWidget(label, 1, column, Qt::AlignHCenter | Qt::AlignTop);
        settings->setColumnMinimumWidth(column, 96);
        ++column;
    }
    m_pPrinterRule = etchedLine("printerLine", this);

    auto centred = [](QLayout* inner) {
        auto* row = new QHBoxLayout;
        row->addStretch(1);
        row->addLayout(inner);
        row->addStretch(1);
        return row;
    };
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(etchedLine("barLine", this));
    layout->addStretch(1);
    layout->addLayout(centred(chain));
    layout->addSpacing(16);
    layout->addWidget(m_pPrinterRule);
    layout->addSpacing(8);
    layout->addLayout(centred(settings));
    layout->addStretch(1);

    // Tab goes from the list along the buttons that open something, then to the line.
    setTabOrder(m_pProtocolList, m_pProto);
    setTabOrder(m_pProto, m_pDriver);
    setTabOrder(m_pDriver, m_pPage);
    setTabOrder(m_pPage, m_pChars);
    setTabOrder(m_pChars, m_pControl);
    setTabOrder(m_pControl, m_pMessages);
    setTabOrder(m_pMessages, m_pLine);

    m_pDriver->hide();
    m_pDriverLoadLabel->hide();
    m_pDriverInfoLabel->hide();
    ShowPrinterLayout(false);
}

CPictureButton* CPtpView::Button(const QString& caption) const {
    for (CPictureButton* b : {m_pCpu, m_pPartner, m_pProto, m_pLine, m_pPrinter, m_pMessages, m_pPage, m_pChars,
                              m_pControl, m_pDriver})
        if (b->objectName() == caption) return b;
    return nullptr;
}

void CPtpView::ShowPrinterLayout(bool shown) {
    m_pPartner->setVisible(!shown);
    for (QWidget* w : std::initializer_list<QWidget*>{m_pPrinter, m_pMessages, m_pPage, m_pChars, m_pControl,
                                                     m_pMessagesLabel, m_pPageLabel, m_pCharsLabel, m_pControlLabel,
                                                     m_pPrinterRule})
        w->setVisible(shown);
}

QWidget* CPtpView::BackFromList() const {
    if (m_pDoc && m_pDoc->m_nProtocol == kProtPrinter && !m_pMessages->isHidden()) return m_pMessages;
    if (m_pDoc && m_pDoc->m_nModuleType == kCP731 && isLoadableDriver(m_pDoc->m_nProtocol) && !m_pDriver->isHidden())
        return m_pDriver;
    return m_pProto;
}

bool CPtpView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (watched == m_pProtocolList) {
        switch (key->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
            // an arrow key opens the closed list instead of changing the protocol
            m_pProtocolList->showPopup();
            return true;
        case Qt::Key_Tab:
            m_pProto->setFocus(Qt::TabFocusReason);
            return true;
        case Qt::Key_Backtab:
            BackFromList()->setFocus(Qt::BacktabFocusReason);
            return true;
        default: break;
        }
    } else if (watched == m_pProtocolList->view()) {
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            // Tab on the open list takes the highlighted protocol first, then moves on
            const int row = m_pProtocolList->view()->currentIndex().row();
            m_pProtocolList->hidePopup();
            if (row >= 0) {
                m_pProtocolList->setCurrentIndex(row);
                OnProtocolSelected(row);
            }
            if (key->key() == Qt::Key_Tab)
                m_pProto->setFocus(Qt::TabFocusReason);
            else
                BackFromList()->setFocus(Qt::BacktabFocusReason);
            return true;
        }
    } else if (watched == m_pLine) {
        switch (key->key()) {
        case Qt::Key_Tab:
            m_pProtocolList->setFocus(Qt::TabFocusReason);
            return true;
        case Qt::Key_Left:
        case Qt::Key_Up:
            BackFromList()->setFocus(Qt::BacktabFocusReason);
            return true;
        case Qt::Key_Right:
        case Qt::Key_Down:
            m_pProto->setFocus(Qt::TabFocusReason);
            return true;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool CPtpView::event(QEvent* event) {
    // F1 belongs to the overview while it has the focus, not to the menu's "Hilfethemen..."
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1 &&
        static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        event->accept();
        return true;
    }
    return QWidget::event(event);
}

void CPtpView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && event->modifiers() == Qt::NoModifier) {
        event->accept();
        if (auto* frame = qobject_cast<CMainFrame*>(window()))
            frame->OpenHelp(kHelpTopic);
        else if (m_pDoc)
            OpenHelpTopic(m_pDoc->App().currentHelp, kHelpTopic);
        return;
    }
    QWidget::keyPressEvent(event);
}

void CPtpView::OpenObject(CPictureButton* button) {
    if (!m_pDoc || !button) return;
    if (button == m_pProto) return OnProtocol();
    const std::function<bool(CPtpDoc&, QWidget*)>* dialog = nullptr;
    if (button == m_pPage) dialog = &m_dialogs.pageLayout;
    else if (button == m_pChars) dialog = &m_dialogs.characterSet;
    else if (button == m_pControl) dialog = &m_dialogs.controlCharacters;
    else if (button == m_pMessages) dialog = &m_dialogs.messageTexts;
    else if (button == m_pDriver) dialog = &m_dialogs.driver;
    if (!dialog || !*dialog) return;
    if ((*dialog)(*m_pDoc, window())) Changed();
}

bool CPtpView::OpenFocusedObject() {
    auto* button = qobject_cast<CPictureButton*>(window()->focusWidget());
    if (!button || button->parentWidget() != this || button->isHidden()) return false;
    if (button != m_pProto && button != m_pPage && button != m_pChars && button != m_pControl &&
        button != m_pMessages && button != m_pDriver)
        return false;
    OpenObject(button);
    return true;
}

void CPtpView::Changed() {
    OnInitialUpdate(*m_pDoc);
    emit documentChanged();
}

void CPtpView::OnProtocol() {
    if (!m_pDoc) return;
    if (isLoadableDriver(m_pDoc->m_nProtocol)) {
        // A loadable driver brings its own dialog.
        if (CallDriverProperty(*m_pDoc, window())) Changed();
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
    Changed();
}

void CPtpView::OnProtocolSelected(int index) {
    if (!m_pDoc || index < 0) return;
    const int code = m_pProtocolList->itemData(index).toInt();
    if (m_pDoc->ChangeProtocol(code) == CPtpDoc::ProtocolChange::Changed) emit documentChanged();
    OnInitialUpdate(*m_pDoc);  // a declined or failed change selects the current protocol again
}

void CPtpView::OnInitialUpdate(const CPtpDoc& doc) {
    // Every update starts from the plain chain: partner CPU shown, printer and driver hidden.
    ShowPrinterLayout(false);
    m_pDriver->hide();
    m_pDriverLoadLabel->hide();
    m_pDriverInfoLabel->hide();

    m_pProtocolList->clear();
    for (const auto& item : doc.m_ProtocolList) m_pProtocolList->addItem(QString::fromStdString(item.text), item.code);
    m_pProtocolList->setCurrentIndex(m_pProtocolList->findData(doc.m_nProtocol));

    const bool interfaceNo = ShowsInterfaceNumber(doc);
    m_pInterfaceLabel->setVisible(interfaceNo);
    m_pInterfaceNo->setVisible(interfaceNo);
    m_pInterfaceNo->setText(QString::fromStdString(InterfaceNumberText(doc)));

    if (doc.m_nProtocol == kProtPrinter) ShowPrinterLayout(true);

    m_bReadOnly = doc.m_bOnline != 0;
    m_pProtocolList->setEnabled(!m_bReadOnly);
    if (!m_bReadOnly && isLoadableDriver(doc.m_nProtocol)) {
        if (doc.m_nModuleType == kCP731) {
            m_pDriver->show();
            m_pDriverLoadLabel->show();
        } else if (doc.m_nModuleType == kCP8312) {
            m_pDriver->show();
            m_pDriverInfoLabel->show();
        }
        // a driver that prints uses the printer's settings and messages
        if (doc.DriverHasTexts()) ShowPrinterLayout(true);
    }
}

void CPtpView::Activate() {
    if (QWidget* w = window()) {
        w->show();
        w->raise();
        w->activateWindow();
    }
}
