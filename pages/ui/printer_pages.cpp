#include "pages/ui/printer_pages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "pages/ui/page_layout.h"
#include "widgets/iso_editbox.h"
#include "widgets/spin_button.h"

using rules::Field;

CPrinterPage::CPrinterPage(rules::SheetModel& model, int index, bool breakMonitoring, QWidget* parent)
    : CFlowControlPage(model, index, parent) {
    std::vector<QWidget*> lineOrder;
    auto listRow = [&](QGridLayout* grid, int row, const char* label, const char* name, const char* unit) {
        QComboBox* list = bindList(name);
        auto* l = pagelayout::label(QString::fromUtf8(label), list, name);
        grid->addWidget(l, row, 0);
        grid->addWidget(list, row, 1, Qt::AlignLeft);
        if (unit) grid->addWidget(new QLabel(QString::fromUtf8(unit)), row, 2);
        lineOrder.push_back(list);
    };
    auto spinRow = [&](QGridLayout* grid, int row, const char* label, const char* name, Field field) {
        CIsoEditbox* edit = bindEdit(name, field);
        pagelayout::fitDigits(edit, 1);
        auto* box = new QHBoxLayout;
        box->setSpacing(0);
        box->addWidget(edit);
        box->addWidget(bindSpin(edit, name));
        box->addStretch(1);
        grid->addWidget(pagelayout::label(QString::fromUtf8(label), edit, name), row, 0);
        grid->addLayout(box, row, 1);
        lineOrder.push_back(edit);
    };

    // Left: the line.
    auto* speed = pagelayout::group("Geschwindigkeit", "speedGroup", this);
    listRow(pagelayout::grid(speed), 0, "&Baudrate:", "byBaud", "Bits/s");

    auto* frame = pagelayout::group("Zeichenrahmen", "frameGroup", this);
    auto* frameGrid = pagelayout::grid(frame);
    spinRow(frameGrid, 0, "&Datenbits:", "byDataBits", Field::DataBits);
    spinRow(frameGrid, 1, "&Stopbits:", "byStopBits", Field::StopBits);
    listRow(frameGrid, 2, "&Parität:", "byParity", nullptr);

    auto* left = new QVBoxLayout;
    left->addWidget(speed);
    left->addWidget(frame);
    if (breakMonitoring) {
        // The record stores "BREAK off"; the checkbox says "monitoring on". On RS 422/485 the
        // receive-line preset of the interface page decides it.
        auto* box = bindCheck(new QCheckBox(QString::fromUtf8("BREAK Überwachung akti&vieren"), this), "byBreakOff", true);
        left->addWidget(box);
        lineOrder.push_back(box);
    }
    left->addStretch(1);

    // Right: the flow control.
    QGroupBox* flow = flowGroup({{rules::kFlowNone, "&Keine"},
                                 {rules::kFlowXonXoff, "&XON / XOFF"},
                                 {rules::kFlowRtsCts, "&RTS / CTS"}});
    auto* params = pagelayout::group(QString::fromUtf8("Datenflusskontroll-Parameter"), "parameterGroup", this);
    auto* grid = pagelayout::grid(params);
    charRow(grid, 0, "XO&N-Zeichen:", "byXonChar", Field::Xon, true);
    charRow(grid, 1, "XOF&F-Zeichen:", "byXoffChar", Field::Xoff, true);
    timeRow(grid, 2, "&Warten auf XON nach XOFF: (Wartezeit auf CTS=ON)", "wXonWait", Field::XonWait);

    auto* right = new QVBoxLayout;
    right->addWidget(flow);
    right->addWidget(params);
    right->addStretch(1);

    auto* columns = new QHBoxLayout(this);
    columns->addLayout(left);
    columns->addLayout(right);

    // The line top to bottom, then the flow control.
    lineOrder.insert(lineOrder.end(), m_tabOrder.begin(), m_tabOrder.end());
    for (size_t i = 1; i < lineOrder.size(); ++i) setTabOrder(lineOrder[i - 1], lineOrder[i]);
}

C730_DRUCK_P1::C730_DRUCK_P1(rules::SheetModel& model, int index, QWidget* parent)
    : CPrinterPage(model, index, true, parent) {}

CDruck_P1::CDruck_P1(rules::SheetModel& model, int index, QWidget* parent)
    : CPrinterPage(model, index, false, parent) {}
