#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include "host/aut.h"
#include "resources/strings.h"
#include "tests/support/message_recorder.h"
#include "tests/support/scratch_dir.h"

TEST(StringTable, Inserts) {
    struct Case { const char* text; std::vector<std::string> inserts; const char* out; };
    const Case cases[] = {
        {"a %1 b %2", {"x", "y"}, "a x b y"},
        {"%1!d! ms", {"20"}, "20 ms"},
        {"%2 vor %1", {"1", "2"}, "2 vor 1"},
        {"100%", {}, "100%"},
        {"%1 fehlt", {}, " fehlt"},
    };
    for (const auto& c : cases) EXPECT_EQ(res::format(c.text, c.inserts), c.out) << c.text;
}

TEST(StringTable, IdsAreUnique) {
    std::set<int> seen;
    for (const auto& e : res::all()) EXPECT_TRUE(seen.insert(e.id).second) << "doppelte Id " << e.id;
}

TEST(Messages, ButtonsFollowTheResource) {
    support::MessageRecorder rec;
    AUTSetErrorTitle("Titel");
    EXPECT_EQ(AUTLogError("vemtro", 2045, 0, 0), host::kOk);            // notice
    rec.answer(host::kCancel);
    EXPECT_EQ(AUTLogError("vemtro", 566, 0, 0), host::kCancel);         // yes/no/cancel
    EXPECT_EQ(AUTLogError("vemtro", 595, 0, 0, "MODBUS"), host::kNo);   // "no" preselected
    ASSERT_EQ(rec.shown.size(), 3u);
    EXPECT_EQ(rec.shown[0].title, "Titel");
    EXPECT_EQ(rec.shown[1].buttons, host::Buttons::YesNoCancel);
    EXPECT_EQ(rec.shown[2].buttons, host::Buttons::YesNo);
    EXPECT_NE(rec.shown[2].text.find("\"MODBUS\""), std::string::npos);
    EXPECT_NE(rec.shown[2].text.find("Die Daten des MODBUS-Protokolls"), std::string::npos);
}

TEST(Messages, StderrAnswersWithTheChoiceThatChangesNothing) {
    host::Message yesNoCancel;
    yesNoCancel.buttons = host::Buttons::YesNoCancel;
    host::Message yesNo;
    yesNo.buttons = host::Buttons::YesNo;
    testing::internal::CaptureStderr();
    EXPECT_EQ(host::StderrMessages().show(yesNoCancel), host::kCancel);
    EXPECT_EQ(host::StderrMessages().show(yesNo), host::kNo);
    EXPECT_EQ(host::StderrMessages(host::StderrMessages::Answer::Yes).show(yesNo), host::kYes);
    testing::internal::GetCapturedStderr();
}

TEST(Messages, EveryMessageGoesToTheErrorLog) {
    support::ScratchDir dir("ptp_log");
    const auto log = dir / "errors.log";
    support::MessageRecorder rec;
    host::setErrorLogPath(log.string());
    host::showMessage("T", 556);
    host::plainMessage("T", "Start ohne OM: Lesefehler bei GetData730()");
    host::setErrorLogPath("");
    std::ifstream in(log);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_NE(s.str().find("[556] T: Die Datenübergabedatei"), std::string::npos);
    EXPECT_NE(s.str().find("GetData730()"), std::string::npos);
}
