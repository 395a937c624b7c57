// The printer dialogs' copy of the record: OK gives back the record and only the sub-block
// lengths the dialog edits; online nothing comes back.
#include <gtest/gtest.h>

#include "app/app_settings.h"
#include "document/codes.h"
#include "document/ptp_doc.h"
#include "printer/dialog_copy.h"
#include "tests/support/message_recorder.h"

namespace {

using printer::PrinterDialog;

struct Doc {
    Doc() {
        app.language = 'C';
        doc.m_nModuleType = kCP731;
        doc.m_nProtocol = kProtPrinter;
        doc.m_nInterfaceCode = kIfRs232;
        doc.BuildDefaults(doc.m_CurParams);
        doc.m_CurPrinter = doc.m_DefPrinter;
        for (int i = 0; i < CPtpDoc::kBlockLengthCount; ++i) doc.BlockLengths[i] = static_cast<uint16_t>(100 + i);
    }
    support::MessageRecorder messages;  // the document finds no project
    AppSettings app;
    CPtpDoc doc{app};
};

TEST(PrinterDialogCopy, OkGivesBackTheRecordAndOnlyTheDialogsLengths) {
    struct Case { PrinterDialog dialog; std::vector<int> lengthsTaken; };
    const Case cases[] = {
        {PrinterDialog::CharacterSet, {}},
        {PrinterDialog::ControlCharacters, {4}},
        {PrinterDialog::PageLayout, {6, 7, 8, 9}},
    };
    for (const Case& c : cases) {
        Doc d;
        printer::DialogCopy copy = printer::CopyForDialog(d.doc);
        EXPECT_EQ(copy.language, 'C');
        EXPECT_FALSE(copy.readOnly);
        copy.record.byLeftMargin = 9;
        for (auto& l : copy.lengths) l = 7;
        ASSERT_TRUE(printer::TakeDialogCopy(d.doc, c.dialog, copy));
        EXPECT_TRUE(d.doc.IsModified());
        EXPECT_EQ(d.doc.m_CurPrinter.byLeftMargin, 9);
        for (int i = 0; i < CPtpDoc::kBlockLengthCount; ++i) {
            const bool taken = std::find(c.lengthsTaken.begin(), c.lengthsTaken.end(), i) != c.lengthsTaken.end();
            EXPECT_EQ(d.doc.BlockLengths[i], taken ? 7 : 100 + i) << static_cast<int>(c.dialog) << " length " << i;
        }
    }
}

TEST(PrinterDialogCopy, OnlineNothingComesBack) {
    Doc d;
    d.doc.m_bOnline = 1;
    printer::DialogCopy copy = printer::CopyForDialog(d.doc);
    EXPECT_TRUE(copy.readOnly);
    copy.record.byLeftMargin = 9;
    EXPECT_FALSE(printer::TakeDialogCopy(d.doc, PrinterDialog::PageLayout, copy));
    EXPECT_FALSE(d.doc.IsModified());
    EXPECT_EQ(d.doc.m_CurPrinter.byLeftMargin, 3);
}

}  // namespace
