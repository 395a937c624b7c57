#include <gtest/gtest.h>

#include "document/ptp_doc.h"
#include "tests/support/memory_project.h"
#include "tests/support/message_recorder.h"

namespace {

// An in-memory project with environment P1, station S1 and one module.
struct ProjectFixture : ::testing::Test {
    support::MessageRecorder messages;
    AppSettings app;
    support::MemoryProject project{{{1322005, 7, 3, 1, 1, 1}, "CP 731 (R0/S5)"}};
    host::ObjectHandle module = project.module;
};

struct CountingView : DocumentView {
    int updates = 0, activations = 0;
    size_t offered = 0;  // the protocol list as the view found it
    void OnInitialUpdate(const CPtpDoc& doc) override {
        ++updates;
        offered = doc.m_ProtocolList.size();
    }
    void Activate() override { ++activations; }
};

}  // namespace

TEST_F(ProjectFixture, FindsModuleStationPathAndTitle) {
    CPtpDoc doc(app);
    CountingView view;
    doc.SetView(&view);
    ASSERT_EQ(doc.ParseStartupString("0,CP731,81,0,CP 731,9QX4 731-1L,S1,0,5,0,0,2,1322005,7,3,1,1,1"), 0);
    EXPECT_EQ(doc.m_hModuleObject, module);
    EXPECT_EQ(doc.m_strStationPath, "P1\\S1");
    EXPECT_EQ(doc.m_strModuleObjectName, "CP 731 (R0/S5)");
    EXPECT_EQ(doc.GetTitle(), "CP 731  (R0/S5)  -- P1\\S1");
    EXPECT_EQ(doc.m_bExtendedModule, 1);
    EXPECT_EQ(doc.m_nProtocol, 1);
    EXPECT_EQ(+doc.m_CurParams.wCharDelay, 22);
    EXPECT_EQ(view.updates, 1);
    EXPECT_EQ(view.offered, 3u);  // the first update ran before the view shows
    EXPECT_EQ(view.activations, 1);
    EXPECT_EQ(app.initDone, 0);
    ASSERT_EQ(messages.shown.size(), 1u);  // nothing stored yet
    EXPECT_EQ(messages.shown[0].text, "Start ohne OM: Lesefehler bei GetData730()");
    // the page layout texts are written and read back for the printout head
    EXPECT_EQ(doc.m_strPageLayout[0], "TARVIK Y5");
    EXPECT_EQ(doc.m_strPageLayout[3], "Parlino");
}

// An order number the module's table does not know ends the start before the view shows.
TEST_F(ProjectFixture, OnlineNoticeAndFailedFirstUpdate) {
    CPtpDoc doc(app);
    CountingView view;
    doc.SetView(&view);
    EXPECT_EQ(doc.ParseStartupString("0,CP730,0,0,CP 730,9QX4 730-1K,S1,0,5,1"), -1);
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[0].id, 2045);
    EXPECT_EQ(messages.shown[0].title, "Punkt-zu-Punkt-Kopplung parametrieren");
    EXPECT_EQ(messages.shown[2].id, 613);
    EXPECT_EQ(doc.m_nStartResult, -1);
    EXPECT_EQ(view.updates, 0);
    EXPECT_EQ(view.activations, 0);
}

TEST_F(ProjectFixture, MissingObjectIsNoFailureOfStartUp) {
    CPtpDoc doc(app);
    EXPECT_EQ(doc.ParseStartupString("0,CP731,81,0,CP 731,9QX4 731-1L,S1,0,5,0,0,2,9,9,9,9,9,9"), 0);
    EXPECT_EQ(doc.m_hModuleObject, 0);
    EXPECT_EQ(doc.m_strStationPath, "\\");
}

// An unknown module loads nothing and, with or without a view, ends the start with 613.
TEST_F(ProjectFixture, UnknownModuleLoadsNothing) {
    CPtpDoc doc(app);
    EXPECT_EQ(doc.ParseStartupString("0,CP999"), -1);
    EXPECT_EQ(doc.m_nModuleType, kModuleUnknown);
    EXPECT_EQ(+doc.m_CurParams.wProtocolId, 0);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].id, 613);
}

TEST_F(ProjectFixture, ModuleAddress) {
    struct Case { std::vector<uint8_t> record; uint16_t address; };
    auto le = [](uint32_t v) {
        return std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    };
    auto rec = [&](uint8_t flags, uint32_t in, uint32_t out) {
        std::vector<uint8_t> r{flags};
        for (auto b : le(in)) r.push_back(b);
        for (auto b : le(out)) r.push_back(b);
        return r;
    };
    std::vector<Case> cases = {
        {rec(3, 256, 256), 256},          // both: input when output is not smaller
        {rec(3, 300, 200), 200 | 0x8000}, // both: output when it is smaller
        {rec(1, 300, 200), 300},
        {rec(2, 300, 200), 200 | 0x8000},
        {rec(3, 0x12345, 0x12345), 0x2345},
    };
    auto eight = le(2);
    for (auto b : le(0x1234)) eight.push_back(b);
    cases.push_back({eight, 0x1234 | 0x8000});
    for (const auto& c : cases) {
        ASSERT_TRUE(host::currentProject()->setBinary(module, kAttrModuleAddress, c.record.data(), c.record.size()));
        CPtpDoc doc(app);
        doc.m_hModuleObject = module;
        EXPECT_EQ(doc.GetModuleAddress(), c.address);
        EXPECT_EQ(doc.m_nModuleAddress, c.address);
    }
    CPtpDoc doc(app);
    doc.m_hModuleObject = 0;
    doc.m_nModuleAddress = 77;
    EXPECT_EQ(doc.GetModuleAddress(), 0xFFFF);
    EXPECT_EQ(doc.m_nModuleAddress, 77);
}

TEST(NoProject, ConstructorReportsMissingObjectSet) {
    support::MessageRecorder messages;
    host::setCurrentProject(nullptr);
    AppSettings app;
    CPtpDoc doc(app);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Open object set failed");
}
