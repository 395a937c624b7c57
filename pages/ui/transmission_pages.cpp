#include "pages/ui/transmission_pages.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QVBoxLayout>

#include "pages/ui/page_layout.h"

using rules::Field;

namespace {

const char* const kWaitWithCts = "&Warten auf XON nach XOFF: (Wartezeit auf CTS=ON)";

}  // namespace

CTransmissionPage::CTransmissionPage(rules::SheetModel& model, int index, const char* waitLabel, QWidget* parent)
    : CFlowControlPage(model, index, parent) {
    // The model offers the radios the module and interface have; the others stay hidden.
    QGroupBox* flow = flowGroup({{rules::kFlowNone, "&Keine"},
                                 {rules::kFlowXonXoff, "&XON / XOFF"},
                                 {rules::kFlowRtsCts, "&RTS / CTS"},
                                 {rules::kFlowV24, "&Automat. Bedienung der V24-Signale "}});

    auto* params = pagelayout::group(QString::fromUtf8("Datenflusskontroll-Parameter"), "parameterGroup", this);
    auto* grid = pagelayout::grid(params);
    charRow(grid, 0, "XO&N-Zeichen:", "byXonChar", Field::Xon, false);
    charRow(grid, 1, "XOF&F-Zeichen:", "byXoffChar", Field::Xoff, false);
    timeRow(grid, 2, waitLabel, "wXonWait", Field::XonWait);
    if (model.field("wRtsOffTime")) {
        timeRow(grid, 3, "R&TS-Wegnahmezeit:", "wRtsOffTime", Field::RtsOffTime);
        timeRow(grid, 4, "&Datenausgabewartezeit:", "wOutputWait", Field::OutputWait);
    }

    auto* page = new QVBoxLayout(this);
    page->addWidget(flow);
    page->addWidget(params);
    page->addStretch(1);

    for (size_t i = 1; i < m_tabOrder.size(); ++i) setTabOrder(m_tabOrder[i - 1], m_tabOrder[i]);
}

CPASC_P2::CPASC_P2(rules::SheetModel& model, int index, QWidget* parent)
    : CTransmissionPage(model, index, kWaitWithCts, parent) {}

C830_ASCII_P2::C830_ASCII_P2(rules::SheetModel& model, int index, QWidget* parent)
    : CTransmissionPage(model, index, "&Warten auf XON nach XOFF:", parent) {}

CKASC_P2::CKASC_P2(rules::SheetModel& model, int index, QWidget* parent)
    : CTransmissionPage(model, index, kWaitWithCts, parent) {}
