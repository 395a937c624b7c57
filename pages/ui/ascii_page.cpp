#include "pages/ui/ascii_page.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "pages/ui/page_layout.h"
#include "widgets/iso_editbox.h"
#include "widgets/spin_button.h"

using rules::Field;
using Refusal = rules::SheetModel::Refusal;

namespace {

QString utf8(const char* text) { return QString::fromUtf8(text); }
QString qs(const std::string& text) { return QString::fromStdString(text); }


// Controls side by side in one grid cell, left-aligned.
QHBoxLayout* side(std::initializer_list<QWidget*> widgets, int spacing) {
    auto* box = new QHBoxLayout;
    box->setSpacing(spacing);
    for (QWidget* w : widgets) box->addWidget(w);
    box->addStretch(1);
    return box;
}

}  // namespace

CAsciiPage::CAsciiPage(rules::SheetModel& model, int index, const Variant& variant, QWidget* parent)
    : CModelPage(model, index, parent) {
    std::vector<QWidget*> tabOrder;
    // Controls that come and go with the criterion keep their place, where the sheet has them.
    auto keep = [&](const char* name, std::initializer_list<QWidget*> widgets) {
        if (!model.field(name)) return;
        for (QWidget* w : widgets) pagelayout::keepPlace(w);
    };
    auto unit = [&](const char* text, const char* name) {
        auto* u = new QLabel(utf8(text), this);
        u->setObjectName(QString(name) + "Unit");
        follow(u, name, false);
        return u;
    };
    auto numberField = [&](const char* name, Field field, int digits) {
        CIsoEditbox* edit = bindEdit(name, field);
        pagelayout::fitDigits(edit, digits);
        tabOrder.push_back(edit);
        return edit;
    };
    auto listRow = [&](QGridLayout* grid, int row, const char* label, const char* name, const char* unitText) {
        QComboBox* list = bindList(name);
        auto* l = pagelayout::label(utf8(label), list, name);
        follow(l, name, false);
        grid->addWidget(l, row, 0);
        grid->addWidget(list, row, 1, Qt::AlignLeft);
        if (unitText) grid->addWidget(unit(unitText, name), row, 2);
        tabOrder.push_back(list);
    };
    auto spinRow = [&](QGridLayout* grid, int row, const char* label, const char* name, Field field, int digits,
                       const char* unitText) {
        CIsoEditbox* edit = numberField(name, field, digits);
        CSpinButton* spin = bindSpin(edit, name);
        auto* l = pagelayout::label(utf8(label), edit, name);
        follow(l, name, false);
        grid->addWidget(l, row, 0);
        grid->addLayout(side({edit, spin}, 0), row, 1);
        QLabel* u = unitText ? unit(unitText, name) : nullptr;
        if (u) grid->addWidget(u, row, 2);
        keep(name, {l, edit, spin});
        if (u) keep(name, {u});
    };
    auto radio = [&](QWidget* owner, const char* label, const char* name, int code, const QString& objectName) {
        auto* r = bindRadio(new QRadioButton(utf8(label), owner), name, code);
        r->setObjectName(objectName);
        tabOrder.push_back(r);
        return r;
    };

    // End of a receive telegram.
    auto* criterion = pagelayout::group(utf8("Endeerkennung eines Empfangstelegramms"), "criterionGroup", this);
    auto* criterionBox = new QVBoxLayout(criterion);
    const char* criteria[] = {"&Nach Ablauf der Zeichenverzugszeit", variant.endCharsRadio, variant.fixedLengthRadio};
    for (int i = 0; i < 3; ++i)
        criterionBox->addWidget(
            radio(criterion, criteria[i], variant.criterionField, i + 1, QStringLiteral("endCriterion%1").arg(i + 1)));

    auto* receive = new QGridLayout;
    receive->setColumnStretch(3, 1);
    criterionBox->addLayout(receive);
    CIsoEditbox* delay = numberField("wCharDelay", Field::CharDelay, 5);
    m_delayLabel = pagelayout::label(utf8("&Zeichenverzugszeit:"), delay, "wCharDelay");
    follow(m_delayLabel, "wCharDelay", false);
    receive->addWidget(m_delayLabel, 0, 0);
    receive->addWidget(delay, 0, 1, Qt::AlignLeft);
    receive->addWidget(unit("ms", "wCharDelay"), 0, 2);

    QWidget* end1 = charFields(receive, 1, "byRecvEnd1", Field::RecvEnd1);
    auto* end1Label = pagelayout::label(utf8(variant.recvEnd1Label), end1, "byRecvEnd1");
    follow(end1Label, "byRecvEnd1", false);
    keep("byRecvEnd1", {end1Label});
    receive->addWidget(end1Label, 1, 0);
    tabOrder.push_back(end1);
    if (variant.endLink) {
        QComboBox* link = bindList("byEndLink830");
        keep("byEndLink830", {link});
        receive->addWidget(link, 2, 1, 1, 2, Qt::AlignLeft);
        tabOrder.push_back(link);
    }
    QCheckBox* second = secondCharBox(utf8(variant.recvEnd2Label), "byRecvEndCount");
    keep("byRecvEndCount", {second});
    receive->addWidget(second, 3, 0);
    tabOrder.push_back(second);
    tabOrder.push_back(charFields(receive, 3, "byRecvEnd2", Field::RecvEnd2));
    spinRow(receive, 4, "&Telegrammlänge:", "wTelegramLen", Field::TelegramLen, 4, "Bytes");

    // The character frame beside it.
    auto* frame = new QGridLayout;
    frame->setColumnStretch(3, 1);
    listRow(frame, 0, "&Baudrate:", "byBaud", "Bits/s");
    spinRow(frame, 1, "&Datenbits:", "byDataBits", Field::DataBits, 1, nullptr);
    spinRow(frame, 2, variant.stopBitsLabel, "byStopBits", Field::StopBits, 1, nullptr);
    listRow(frame, 3, variant.parityLabel, "byParity", nullptr);
    auto* right = new QVBoxLayout;
    right->addLayout(frame);
    if (variant.breakMonitoring) {
        // The record stores "BREAK off"; the checkbox says "monitoring on".
        auto* box = bindCheck(new QCheckBox(utf8("BREAK Überwachung akti&vieren"), this), "byBreakOff", true);
        right->addWidget(box);
        tabOrder.push_back(box);
    }
    right->addStretch(1);

    auto* top = new QHBoxLayout;
    top->addWidget(criterion, 0, Qt::AlignTop);
    top->addSpacing(fontMetrics().averageCharWidth() * 2);
    top->addLayout(right);
    top->addStretch(1);
    auto* page = new QVBoxLayout(this);
    page->addLayout(top);

    // How the sender ends its telegrams.
    if (variant.sendModeField) {
        auto* pause = bindCheck(
            new QCheckBox(utf8("Sendepause z&wischen den Telegrammen in Höhe der Zeichenverzugszeit"), this),
            "sendPause");
        keep("sendPause", {pause});
        page->addWidget(pause);
        tabOrder.push_back(pause);

        auto* sender = pagelayout::group(utf8("Senden mit Endezeichen"), "senderGroup", this);
        follow(sender, variant.sendModeField, false);
        auto* senderBox = new QVBoxLayout(sender);
        const char* modes[] = {
            "&Senden bis einschließlich Endezeichen",
            "Senden bis zur am &FB parametrierten Länge",
            "Senden bis zur am FB parametrierten &Länge und automatisches Anhängen der/des Endezeichens",
        };
        for (int i = 0; i < 3; ++i)
            senderBox->addWidget(radio(sender, modes[i], variant.sendModeField, variant.sendModes[i],
                                       QStringLiteral("sendMode%1").arg(i + 1)));
        auto* ends = new QGridLayout;
        ends->setColumnStretch(3, 1);
        senderBox->addLayout(ends);
        QWidget* send1 = charFields(ends, 0, "bySendEnd1", Field::SendEnd1);
        auto* send1Label = pagelayout::label(utf8("1. Endezei&chen Sender:"), send1, "bySendEnd1");
        follow(send1Label, "bySendEnd1", false);
        keep("bySendEnd1", {send1Label});
        ends->addWidget(send1Label, 0, 0);
        tabOrder.push_back(send1);
        QCheckBox* sendSecond = secondCharBox(utf8("2. Endezeic&hen Sender:"), "bySendEndCount");
        keep("bySendEndCount", {sendSecond});
        ends->addWidget(sendSecond, 1, 0);
        tabOrder.push_back(sendSecond);
        tabOrder.push_back(charFields(ends, 1, "bySendEnd2", Field::SendEnd2));
        page->addWidget(sender);
    }
    page->addStretch(1);

    for (size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

CIsoEditbox* CAsciiPage::charFields(QGridLayout* grid, int row, const char* name, Field field) {
    CIsoEditbox* hex = bindEdit(name, field);
    pagelayout::fitDigits(hex, 2);
    // An end character is read when the focus moves on to another control of the page; the
    // sheet's buttons and tabs leave it to the page check (Help reads it too).
    connect(hex, &QLineEdit::editingFinished, this, [this, hex, n = std::string(name)] {
        QWidget* to = QApplication::focusWidget();
        if (to && (isAncestorOf(to) || to->objectName() == "help")) checkCharField(hex, n);
    });
    QLineEdit* ascii = pagelayout::asciiField(this, name);
    follow(ascii, name);
    if (model().field(name)) {
        pagelayout::keepPlace(hex);
        pagelayout::keepPlace(ascii);
    }
    grid->addLayout(side({hex, ascii}, hex->fontMetrics().averageCharWidth()), row, 1, 1, 2);
    m_chars.push_back({hex, ascii, name});
    return hex;
}

QCheckBox* CAsciiPage::secondCharBox(const QString& text, const char* countName) {
    auto* box = new QCheckBox(text, this);
    box->setObjectName(countName);
    connect(box, &QCheckBox::clicked, this, [this, name = std::string(countName)](bool on) {
        const auto r = model().set(name, on ? "2" : "1");
        changed(r);
        if (!on || r.why != Refusal::None) return;
        // The second character is typed next.
        const std::string charName = name == "byRecvEndCount" ? "byRecvEnd2" : "bySendEnd2";
        for (const auto& c : m_chars)
            if (c.name == charName) {
                c.hex->setFocus();
                c.hex->selectAll();
            }
    });
    m_counts.push_back({box, countName});
    return box;
}

void CAsciiPage::refresh() {
    CModelPage::refresh();
    for (const auto& c : m_chars)
        if (auto f = model().field(c.name)) c.ascii->setText(qs(f->ascii));
    for (const auto& c : m_counts) {
        QSignalBlocker block(c.box);
        const auto f = model().field(c.name);
        c.box->setVisible(f && f->visible);
        c.box->setEnabled(f && f->enabled);
        c.box->setChecked(f && f->text == "2");
    }
    // CP 830 names the delay time after what it watches under the chosen criterion.
    if (auto f = model().field("wCharDelay"); f && f->label) m_delayLabel->setText(qs(*f->label));
}

void CAsciiPage::checkCharField(CIsoEditbox* edit, const std::string& name) {
    const auto f = model().field(name);
    if (m_checking || !f || !edit->isEnabled() || edit->text() == qs(f->text)) return;
    m_checking = true;
    const auto r = model().set(name, edit->text().toStdString());
    if (r.why != Refusal::None) {
        showVerdictOf(r.verdict);
        if (!r.correctedText.empty()) edit->setText(qs(r.correctedText));
        edit->setFocus();
        edit->selectAll();
    }
    emit modelChanged();
    m_checking = false;
}

CPASC_P1::CPASC_P1(rules::SheetModel& model, int index, QWidget* parent)
    : CAsciiPage(model, index,
                 {.endCharsRadio = "N&ach Empfang der/des Endezeichen(s)",
                  .fixedLengthRadio = "Na&ch Empfang einer festen Zeichenanzahl",
                  .recvEnd1Label = "&1. Endezeichen:",
                  .recvEnd2Label = "&2. Endezeichen:",
                  .stopBitsLabel = "&Stopbits:",
                  .parityLabel = "&Parität:",
                  .breakMonitoring = true},
                 parent) {}

C830_ASCII_P1::C830_ASCII_P1(rules::SheetModel& model, int index, QWidget* parent)
    : CAsciiPage(model, index,
                 {.criterionField = "endCriterion",
                  .endLink = true,
                  .sendModeField = "byEndCrit830",
                  .sendModes = {0x21, 0x20, 0x22}},
                 parent) {}

CKASC_P1::CKASC_P1(rules::SheetModel& model, int index, QWidget* parent)
    : CAsciiPage(model, index, {.sendModeField = "bySendMode"}, parent) {}
