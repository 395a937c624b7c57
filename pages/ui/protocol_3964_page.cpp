#include "pages/ui/protocol_3964_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <vector>

#include "pages/ui/page_layout.h"
#include "widgets/iso_editbox.h"
#include "widgets/spin_button.h"

using rules::Field;
using rules::Toggle;

CProtocol3964Page::CProtocol3964Page(rules::SheetModel& model, int index, const Variant& variant, QWidget* parent)
    : CModelPage(model, index, parent) {
    std::vector<QWidget*> tabOrder;

    // An edit in a grid row: its label, then the field with its spin button or its unit.
    auto editRow = [&](QGridLayout* grid, int row, const QString& label, const char* name, Field field, int digits,
                       bool spin, const char* unit) {
        CIsoEditbox* edit = bindEdit(name, field);
        pagelayout::fitDigits(edit, digits);
        auto* l = pagelayout::label(label, edit, name);
        follow(l, name, false);
        grid->addWidget(l, row, 0);
        auto* box = new QHBoxLayout;
        box->setSpacing(0);
        box->addWidget(edit);
        if (spin) box->addWidget(bindSpin(edit, name));
        box->addStretch(1);
        grid->addLayout(box, row, 1);
        if (unit) {
            auto* u = new QLabel(QString::fromUtf8(unit));
            u->setObjectName(QString(name) + "Unit");
            follow(u, name, false);
            grid->addWidget(u, row, 2);
        }
        tabOrder.push_back(edit);
        return edit;
    };
    auto listRow = [&](QGridLayout* grid, int row, const QString& label, const char* name, const char* unit) {
        QComboBox* list = bindList(name);
        auto* l = pagelayout::label(label, list, name);
        follow(l, name, false);
        grid->addWidget(l, row, 0);
        grid->addWidget(list, row, 1, Qt::AlignLeft);
        if (unit) grid->addWidget(new QLabel(QString::fromUtf8(unit)), row, 2);
        tabOrder.push_back(list);
    };
    auto toggleBox = [&](const QString& text, Toggle t, const char* objectName) {
        auto* box = bindToggle(new QCheckBox(text), t);
        box->setObjectName(objectName);
        tabOrder.push_back(box);
        return box;
    };

    // Left: the procedure.
    auto* protocol = pagelayout::group("Protokoll", "protocolGroup", this);
    auto* protocolBox = new QVBoxLayout(protocol);
    protocolBox->addWidget(toggleBox("&mit Blockcheck", Toggle::BlockCheck, "blockCheck"));
    protocolBox->addWidget(toggleBox("Standard&werte verwenden", Toggle::StandardValues, "standardValues"));

    auto* params = pagelayout::group("Protokoll-Parameter", "parameterGroup", this);
    auto* paramGrid = pagelayout::grid(params);
    editRow(paramGrid, 0, "&Zeichenverzugszeit:", "wCharDelay", Field::CharDelay, 6, false, "ms");
    editRow(paramGrid, 1, "&Quittungsverzugszeit:", "wAckDelay", Field::AckDelay, 6, false, "ms");
    editRow(paramGrid, 2, QString::fromUtf8(variant.connectTriesLabel), "byConnectTries", Field::ConnectTries, 3, true,
            nullptr);
    editRow(paramGrid, 3, "Üb&ertragungsversuche:", "bySendTries", Field::SendTries, 3, true, nullptr);

    auto* left = new QVBoxLayout;
    left->addWidget(protocol);
    left->addWidget(params);
    left->addStretch(1);

    // Right: the line.
    auto* speed = pagelayout::group("Geschwindigkeit", "speedGroup", this);
    listRow(pagelayout::grid(speed), 0, "&Baudrate:", "byBaud", "Bits/s");

    auto* frame = pagelayout::group("Zeichenrahmen", "frameGroup", this);
    auto* frameGrid = pagelayout::grid(frame);
    editRow(frameGrid, 0, "&Datenbits:", "byDataBits", Field::DataBits, 1, true, nullptr);
    editRow(frameGrid, 1, "&Stopbits:", "byStopBits", Field::StopBits, 1, true, nullptr);
    listRow(frameGrid, 2, "&Parität:", "byParity", nullptr);

    auto* priority = new QGridLayout;
    priority->setColumnStretch(3, 1);
    listRow(priority, 0, "Pri&orität:", "byPriority", nullptr);

    auto* right = new QVBoxLayout;
    right->addWidget(speed);
    right->addWidget(frame);
    right->addLayout(priority);

    if (variant.breakMonitoring) {
        // The record stores "BREAK off"; the checkbox says "monitoring on".
        auto* box = bindCheck(new QCheckBox("BREAK Überwachung akti&vieren", this), "byBreakOff", true);
        right->addWidget(box);
        tabOrder.push_back(box);
    }
    if (variant.reactionWait) {
        auto* wait = pagelayout::group("Wartezeit auf Reaktionstelegramme", "reactionGroup", this);
        auto* waitGrid = pagelayout::grid(wait);
        waitGrid->addWidget(toggleBox("baud&ratenabhängig", Toggle::ReactionBaud, "reactionBaud"), 0, 0, 1, 3);
        auto* waitDisplay = new CIsoEditbox;
        bindDisplay(waitDisplay, "wReactionWait");
        pagelayout::fitDigits(waitDisplay, 5);
        auto* l = new QLabel("maximale Wartezeit:");
        l->setObjectName("wReactionWaitLabel");
        follow(l, "wReactionWait", false);
        waitGrid->addWidget(l, 1, 0);
        waitGrid->addWidget(waitDisplay, 1, 1);
        waitGrid->addWidget(new QLabel("ms"), 1, 2);
        right->addWidget(wait);
    }
    right->addStretch(1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left);
    columns->addLayout(right);

    for (size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

CPP39_P1::CPP39_P1(rules::SheetModel& model, int index, QWidget* parent)
    : CProtocol3964Page(model, index, {.breakMonitoring = true}, parent) {}

C830_3964_P1::C830_3964_P1(rules::SheetModel& model, int index, QWidget* parent)
    : CProtocol3964Page(model, index, {}, parent) {}

CKP39_P1::CKP39_P1(rules::SheetModel& model, int index, QWidget* parent)
    : CProtocol3964Page(model, index, {.connectTriesLabel = "A&ufbauversuche:"}, parent) {}

CKRK_P1::CKRK_P1(rules::SheetModel& model, int index, QWidget* parent)
    : CProtocol3964Page(model, index, {.connectTriesLabel = "A&ufbauversuche:", .reactionWait = true}, parent) {}
