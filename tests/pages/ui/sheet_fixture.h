#pragma once
// A protocol sheet for a module, opened offscreen as the window opens it, with every message
// recorded. The tests drive its controls by their object names (the record field a control
// is bound to, "ok", "cancel", "help") and read what a user would see.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>

#include "document/codes.h"
#include "pages/sheet_model.h"
#include "pages/ui/model_page.h"
#include "pages/ui/protocol_sheet_dialog.h"
#include "tests/support/message_recorder.h"
#include "tests/support/module_factory.h"

namespace sheettest {

struct Module {
    int type = kCP731;
    int iface = kIfRs232;
    int protocol = kProt3964;
    unsigned productVersion = 2;
    int extended = 0;
    bool readOnly = false;
    int interfaceNo = 2;
};

inline rules::SheetContext contextOf(const Module& m) {
    rules::SheetContext s;
    s.check = rules::makeCheckContext(m.type, m.iface, m.productVersion, m.extended, true, m.readOnly);
    s.protocol = m.protocol;
    s.interfaceNo = m.interfaceNo;
    return s;
}

// The model, the dialog on it and the messages it showed. `record` is what the sheet opens
// from (the module's default record unless a test changes it first).
struct Sheet {
    explicit Sheet(const Module& m) : Sheet(m, support::DefaultRecord(m.type, m.protocol)) {}
    Sheet(const Module& m, const CDb& stored, SheetOptions options = {}) : record(stored) {
        model = std::make_unique<rules::SheetModel>(*rules::SheetModel::open(contextOf(m), record));
        dialog = std::make_unique<CProtocolSheet>(*model, nullptr, std::move(options));
        dialog->show();
    }

    // The control bound to a record field (or named otherwise) on the page with `index`.
    template <class W = QWidget>
    W* on(int index, const char* name) const {
        return dialog->page(index)->findChild<W*>(name);
    }
    void select(int index) const { dialog->tabs()->setCurrentIndex(index); }
    // Types a text into a field as the user would: select all, type.
    void type(QLineEdit* edit, const QString& text) const {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }
    // Presses OK; true when the sheet closed with OK. Writes the model back into `record`.
    bool ok() {
        QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
        if (dialog->result() != QDialog::Accepted) return false;
        model->writeBack(record);
        return true;
    }

    support::MessageRecorder messages;  // installed first, so the opening's messages are kept
    CDb record;
    std::unique_ptr<rules::SheetModel> model;
    std::unique_ptr<CProtocolSheet> dialog;
};

// What the tests read and do on the pages.

// Chooses a list entry with the arrow keys, as a user does on a closed drop-down list.
inline void pick(QComboBox* list, const QString& text) {
    QVERIFY(list);
    const int target = list->findText(text);
    QVERIFY2(target >= 0, qPrintable(text));
    while (list->currentIndex() < target) QTest::keyClick(list, Qt::Key_Down);
    while (list->currentIndex() > target) QTest::keyClick(list, Qt::Key_Up);
    QCOMPARE(list->currentText(), text);
}

inline QStringList entries(const QComboBox* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i) out << list->itemText(i);
    return out;
}

inline QString textOf(const Sheet& s, int page, const char* name) {
    auto* edit = s.on<QLineEdit>(page, name);
    return edit ? edit->text() : QStringLiteral("<missing %1>").arg(name);
}

inline bool showsMessage(const Sheet& s, int id) {
    const auto ids = s.messages.ids();
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// A module's default record with a change.
inline CDb recordOf(const Module& m, const std::function<void(CDb&)>& change = {}) {
    CDb db = support::DefaultRecord(m.type, m.protocol);
    if (change) change(db);
    return db;
}

}  // namespace sheettest
