#include "printer/ui/messages_dialog.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "document/ptp_doc.h"
#include "host/messages.h"
#include "printer/ui/choice_dialog.h"
#include "resources/strings.h"
#include "widgets/iso_editbox.h"

using printer::MsgField;

namespace {

const char* const kVersionPattern = "[0-9]{0,2}([0-9]\\.[0-9]{1})";
const char* const kNumberPattern = "[0-9]{4}";
const char* const kFileFilter = "SdB Files (*.ptp)";
const char* const kFileDialogTitle = "Parlino";
constexpr int kNameChars = 8;
constexpr int kVersionChars = 5;

// Every message of the dialog goes to the message service under the caption "Meldungen".
bool showTextMessage(const printer::TextMessage& m) {
    return host::showMessage(res::text(printer::kMsgCaption), m.id, m.inserts) == host::kYes;
}

QString fileDialog(bool save, const QString& name, QWidget* parent) {
    QFileDialog dlg(parent, QString::fromLatin1(kFileDialogTitle));
    dlg.setNameFilter(QString::fromLatin1(kFileFilter));
    dlg.setDefaultSuffix(QStringLiteral("ptp"));
    if (save) {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.selectFile(name);
    } else {
        // a new name is taken too: it reads as an empty file
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(QFileDialog::AnyFile);
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
    return dlg.selectedFiles().first();
}

MessageTextsPrompts& prompts() {
    static MessageTextsPrompts p = DefaultMessageTextsPrompts();
    return p;
}

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

MessageTextsPrompts DefaultMessageTextsPrompts() {
    MessageTextsPrompts p;
    p.choose = [](int mode, QWidget* parent) { return CTextChoiceDialog(mode, parent).choose(); };
    p.fileName = fileDialog;
    return p;
}

MessageTextsPrompts SetMessageTextsPrompts(const MessageTextsPrompts& next) {
    const MessageTextsPrompts before = prompts();
    const MessageTextsPrompts defaults = DefaultMessageTextsPrompts();
    prompts().choose = next.choose ? next.choose : defaults.choose;
    prompts().fileName = next.fileName ? next.fileName : defaults.fileName;
    prompts().help = next.help;
    return before;
}

bool EditMessageTexts(CPtpDoc& doc, QWidget* parent) {
    const printer::Choice choice = prompts().choose(0, parent);
    if (choice == printer::Choice::Cancel) return false;
    const auto data = printer::TextDataOf(doc);
    printer::MessagesModel::Setup setup;
    setup.limits = printer::LimitsOf(doc);
    setup.data = data.get();
    setup.styles = printer::StyleLetters(doc.m_CurPrinter);
    setup.readOnly = doc.m_bOnline != 0;
    if (choice == printer::Choice::File) {
        const QString path = prompts().fileName(false, QStringLiteral("*.ptp"), parent);
        if (path.isEmpty()) return false;
        setup.source = printer::TextSource::File;
        setup.fileTitle = QFileInfo(path).completeBaseName().toStdString();
        if (const auto refusal = printer::CheckFileTitle(setup.fileTitle)) {
            showTextMessage(*refusal);
            return false;
        }
        setup.fileContents = printer::ReadTextFile(QFile::encodeName(path).toStdString());
    } else {
        setup.source = printer::TextSource::Sdb;
    }
    CMessagesDialog dialog(setup, parent);
    if (dialog.exec() != QDialog::Accepted || !dialog.model().changedData()) return false;
    printer::ApplyTextData(doc, dialog.model().result());
    return true;
}

CMessagesDialog::CMessagesDialog(const printer::MessagesModel::Setup& setup, QWidget* parent) : QDialog(parent) {
    setObjectName("CMessagesDialog");
    setWindowTitle(q(res::text(printer::kMsgCaption)));
    build();
    m_model = std::make_unique<printer::MessagesModel>(setup, showTextMessage);
    refresh();
    refreshList();
}

CMessagesDialog::~CMessagesDialog() = default;

void CMessagesDialog::build() {
    auto label = [this](const QString& text, QWidget* buddy, const char* name) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name) + "Label");
        l->setBuddy(buddy);
        return l;
    };

    m_name = new QLineEdit(this);
    m_name->setObjectName("name");
    m_name->setMaxLength(kNameChars);
    m_version = new CIsoEditbox(this);
    m_version->setObjectName("version");
    m_version->SetPattern(QString::fromLatin1(kVersionPattern));
    m_version->setMaxLength(kVersionChars);

    m_list = new QTreeWidget(this);
    m_list->setObjectName("messages");
    m_list->setHeaderLabels({QStringLiteral("Nr."), QStringLiteral("Text")});
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setAllColumnsShowFocus(true);
    m_list->setTextElideMode(Qt::ElideRight);
    m_list->header()->setStretchLastSection(false);
    const int avg = m_list->fontMetrics().averageCharWidth();
    m_list->setColumnWidth(0, 5 * avg + 2 * m_list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + avg);
    m_list->setColumnWidth(1, 160 * avg);
    m_list->setMinimumWidth(70 * avg);
    m_list->setMinimumHeight(m_list->fontMetrics().height() * 12);
    {
        // the selected row keeps its highlight when the list loses the focus
        QPalette p = m_list->palette();
        p.setColor(QPalette::Inactive, QPalette::Highlight, p.color(QPalette::Active, QPalette::Highlight));
        p.setColor(QPalette::Inactive, QPalette::HighlightedText, p.color(QPalette::Active, QPalette::HighlightedText));
        m_list->setPalette(p);
    }

    m_number = new CIsoEditbox(this);
    m_number->setObjectName("number");
    m_number->SetPattern(QString::fromLatin1(kNumberPattern));
    m_number->setMaxLength(printer::kMaxNumberDigits);
    m_number->setMaximumWidth(m_number->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 4 * avg);
    m_text = new QLineEdit(this);
    m_text->setObjectName("text");
    m_text->setMaxLength(printer::kMaxTextChars);

    const char* styleTexts[printer::kStyleButtons] = {" &F ", " &S ", " &B ", " &K ", " &U "};
    const char* styleNames[printer::kStyleButtons] = {"styleF", "styleS", "styleB", "styleK", "styleU"};
    auto* styles = new QHBoxLayout;
    for (int i = 0; i < printer::kStyleButtons; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(styleTexts[i]), this);
        b->setObjectName(styleNames[i]);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] { onStyle(i); });
        styles->addWidget(b);
        m_style[static_cast<size_t>(i)] = b;
    }
    styles->addStretch(1);

    auto button = [this](const QString& text, const char* name) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(name);
        b->setAutoDefault(false);
        return b;
    };
    m_enter = button(QStringLiteral("&Eintragen"), "enter");
    m_remove = button(QStringLiteral("&Löschen"), "remove");
    m_deleteSdb = button(QStringLiteral("SDB löschen"), "deleteSdb");
    m_ok = button(QStringLiteral("OK"), "ok");
    m_ok->setDefault(true);
    m_cancel = button(QStringLiteral("Abbrechen"), "cancel");
    m_help = button(QStringLiteral("Hilfe"), "help");
    connect(m_enter, &QPushButton::clicked, this, &CMessagesDialog::onEnter);
    connect(m_remove, &QPushButton::clicked, this, &CMessagesDialog::onRemove);
    connect(m_deleteSdb, &QPushButton::clicked, this, &CMessagesDialog::onDeleteSdb);
    connect(m_ok, &QPushButton::clicked, this, &CMessagesDialog::onOk);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_help, &QPushButton::clicked, this, [] {
        if (prompts().help) prompts().help();
    });

    m_size = new QLabel(this);
    m_size->setObjectName("size");

    auto* grid = new QGridLayout;
    grid->addWidget(label(QStringLiteral("&Name Text-SDB/Text-Datei:"), m_name, "name"), 0, 0);
    grid->addWidget(m_name, 0, 1);
    grid->addWidget(label(QStringLiteral("&Versionsnummer:"), m_version, "version"), 0, 2);
    grid->addWidget(m_version, 0, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    auto* entry = new QGridLayout;
    entry->addWidget(label(QStringLiteral("Nr."), m_number, "number"), 0, 0);
    entry->addWidget(label(QStringLiteral("Text"), m_text, "text"), 0, 1);
    entry->addWidget(m_number, 1, 0);
    entry->addWidget(m_text, 1, 1);
    entry->setColumnStretch(1, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(m_enter);
    side->addWidget(m_remove);
    side->addWidget(m_deleteSdb);
    side->addStretch(1);

    auto* middle = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    left->addWidget(m_list, 1);
    left->addLayout(entry);
    left->addLayout(styles);
    left->addWidget(m_size);
    middle->addLayout(left, 1);
    middle->addLayout(side);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_ok);
    bottom->addStretch(1);
    bottom->addWidget(m_cancel);
    bottom->addWidget(m_help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(middle, 1);
    layout->addLayout(bottom);

    QWidget* order[] = {m_name, m_version, m_list, m_number, m_text, m_style[0], m_style[1], m_style[2], m_style[3],
                        m_style[4], m_enter, m_remove, m_deleteSdb, m_ok, m_cancel, m_help};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    for (QLineEdit* e : {m_name, static_cast<QLineEdit*>(m_version), static_cast<QLineEdit*>(m_number), m_text}) {
        e->installEventFilter(this);
        connect(e, &QLineEdit::textEdited, this, [this, e](const QString& text) {
            m_model->setField(fieldOf(e), text.toStdString());
        });
    }
    connect(m_list, &QTreeWidget::currentItemChanged, this, [this] { takeSelection(); });
    // The caret and selection a style button works on, kept while the button has the focus
    // (the field drops its selection when it loses the focus; that is not recorded).
    auto record = [this] {
        m_textSelStart = m_text->hasSelectedText() ? m_text->selectionStart() : m_text->cursorPosition();
        m_textSelLength = m_text->hasSelectedText() ? static_cast<int>(m_text->selectedText().size()) : 0;
    };
    connect(m_text, &QLineEdit::cursorPositionChanged, this, record);
    connect(m_text, &QLineEdit::selectionChanged, this, [this, record] {
        if (m_text->hasSelectedText()) record();
    });
}

MsgField CMessagesDialog::fieldOf(QObject* w) const {
    if (w == m_name) return MsgField::Name;
    if (w == m_version) return MsgField::Version;
    if (w == m_number) return MsgField::Number;
    if (w == m_text) return MsgField::Text;
    if (w == m_list) return MsgField::List;
    return MsgField::None;
}

QLineEdit* CMessagesDialog::editOf(MsgField field) const {
    switch (field) {
    case MsgField::Name: return m_name;
    case MsgField::Version: return m_version;
    case MsgField::Number: return m_number;
    case MsgField::Text: return m_text;
    default: return nullptr;
    }
}

bool CMessagesDialog::eventFilter(QObject* watched, QEvent* event) {
    const MsgField field = fieldOf(watched);
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (field == MsgField::None || !edit) return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        // a character typed into a full field says why it is not taken
        auto* key = static_cast<QKeyEvent*>(event);
        const QString t = key->text();
        if (!t.isEmpty() && t.at(0).isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) &&
            !edit->hasSelectedText() && edit->text().size() >= edit->maxLength() && field != MsgField::Version) {
            showTextMessage(printer::MessagesModel::limitMessage(field));
            return true;
        }
    } else if (event->type() == QEvent::FocusIn && !m_checking) {
        m_model->focusIn(field);
    } else if (event->type() == QEvent::FocusOut && !m_checking) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // leaving the window, or for "Abbrechen", is no leaving of the field
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason ||
            QApplication::focusWidget() == m_cancel)
            return QDialog::eventFilter(watched, event);
        m_checking = true;
        const printer::MsgVerdict v = m_model->focusOut(field, showTextMessage);
        m_checking = false;
        refresh();
        if (!v.accepted) QTimer::singleShot(0, this, [this, f = v.focus] { focusField(f); });
    }
    return QDialog::eventFilter(watched, event);
}

void CMessagesDialog::focusField(MsgField field) {
    if (QLineEdit* e = editOf(field)) {
        m_checking = true;
        e->setFocus(Qt::OtherFocusReason);
        m_checking = false;
        m_model->focusIn(field);
    } else if (field == MsgField::List) {
        m_list->setFocus(Qt::OtherFocusReason);
    }
}

void CMessagesDialog::refresh() {
    m_refreshing = true;
    const printer::MessagesModel& m = *m_model;
    auto show = [](QLineEdit* e, const std::string& text) {
        const QString t = q(text);
        if (e->text() != t) e->setText(t);
    };
    show(m_name, m.name());
    show(m_version, m.version());
    show(m_number, m.number());
    show(m_text, m.text());
    for (int i = 0; i < printer::kStyleButtons; ++i) m_style[static_cast<size_t>(i)]->setVisible(m.styleLetter(i) != ' ');
    m_deleteSdb->setEnabled(m.deleteSdbEnabled());
    m_ok->setEnabled(m.okEnabled());
    m_remove->setEnabled(m.selected() >= 0);
    m_size->setText(QStringLiteral("Größe: %1 von %2 Byte").arg(m.size()).arg(m.limits().size));
    m_refreshing = false;
}

void CMessagesDialog::refreshList() {
    m_refreshing = true;
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    for (const auto& e : m_model->list().entries())
        items.append(new QTreeWidgetItem(QStringList{QString::number(e.number), q(e.text)}));
    m_list->addTopLevelItems(items);
    if (QTreeWidgetItem* item = m_list->topLevelItem(m_model->selected())) {
        m_list->setCurrentItem(item);
        m_list->scrollToItem(item);
    }
    m_refreshing = false;
}

void CMessagesDialog::takeSelection() {
    if (m_refreshing) return;
    m_model->select(m_list->indexOfTopLevelItem(m_list->currentItem()));
    refresh();
}

void CMessagesDialog::onStyle(int button) {
    int start = m_textSelStart, length = m_textSelLength;
    if (m_text->hasFocus()) {
        start = m_text->hasSelectedText() ? m_text->selectionStart() : m_text->cursorPosition();
        length = m_text->hasSelectedText() ? static_cast<int>(m_text->selectedText().size()) : 0;
    }
    m_model->setField(MsgField::Text, m_text->text().toStdString());
    const auto r = m_model->applyStyle(button, start, length, showTextMessage);
    refresh();
    focusField(MsgField::Text);
    if (r.verdict.accepted) m_text->setCursorPosition(r.caret);
    m_textSelStart = m_text->cursorPosition();
    m_textSelLength = 0;
}

void CMessagesDialog::onEnter() {
    const printer::MsgVerdict v = m_model->enter(showTextMessage);
    refresh();
    refreshList();
    if (!v.accepted) focusField(v.focus);
}

void CMessagesDialog::onRemove() {
    m_model->removeSelected();
    refresh();
    refreshList();
}

void CMessagesDialog::onDeleteSdb() {
    if (m_model->deleteSdb(showTextMessage)) accept();
}

void CMessagesDialog::onOk() {
    const printer::MsgVerdict v = m_model->checkOk(showTextMessage);
    refresh();
    refreshList();
    if (!v.accepted) {
        focusField(v.focus);
        return;
    }
    switch (prompts().choose(1, this)) {
    case printer::Choice::Sdb:
        m_model->finishToSdb();
        accept();
        return;
    case printer::Choice::File: {
        const QString path = prompts().fileName(true, q(m_model->name()), this);
        if (path.isEmpty()) return;
        if (m_model->finishToFile(QFile::encodeName(path).toStdString(), showTextMessage)) accept();
        return;
    }
    case printer::Choice::Cancel: return;
    }
}
