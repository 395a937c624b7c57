#include <gtest/gtest.h>

#include "document/ptp_doc.h"
#include "host/messages.h"
#include "view/protocol_list.h"

namespace {
std::vector<int> codes(const ProtocolChoice& c) {
    std::vector<int> v;
    for (const auto& i : c.items) v.push_back(i.code);
    return v;
}
}  // namespace

TEST(ProtocolList, OrderNumberTable) {
    struct Case { int module; const char* order; bool matched; std::vector<int> items; int version; };
    const Case cases[] = {
        {730, "9QX4 730-1KM00", true, {1, 2}, 0},
        {730, "9qx4 730-1km02", true, {1, 2, 4}, 2},
        {730, "9QX4 730-1LM00", true, {1, 2, 4}, 0},
        {730, "9QX4 730-1NM02", true, {1, 2, 4}, 2},
        {730, "9QX4 730-1KM03", false, {}, 0},
        {730, "9QX4 730-1K", false, {}, 0},
        {731, "9QX4 731-1LE01-0AB0", true, {1, 3, 2}, 1},  // ninth character from "731-1": '1'
        {731, "9QX4 731-1LE02-0AB0", true, {1, 3, 2, 4}, 2},
        {731, "9QX4 731-1L", true, {1, 3, 2}, 0},           // too short for a version: none
        {830, "anything", true, {1, 2}, 0},
        {8311, "9QX4 831-1KK00", true, {1}, 0},
        {8311, "9QX4 831-1KK04", true, {1, 2, 4}, 4},
        {8312, "9QX4 831-2KK00", true, {1, 3}, 0},
        {8312, "9QX4 831-2KK05", true, {1, 3, 2, 4}, 5},
        {8312, "9QX4 831-2KK06", false, {}, 0},
        {0, "9QX4 731-1L", false, {}, 0},
    };
    for (const auto& c : cases) {
        auto r = ProtocolsForOrderNumber(c.module, c.order);
        EXPECT_EQ(r.matched, c.matched) << c.module << " " << c.order;
        EXPECT_EQ(codes(r), c.items) << c.module << " " << c.order;
        EXPECT_EQ(r.productVersion, c.version) << c.module << " " << c.order;
    }
    EXPECT_EQ(ProtocolsForOrderNumber(731, "731-1LE02").items[3].text, "DRUCKER");
}

namespace {
struct Overview : DocumentView {
    void OnInitialUpdate(CPtpDoc& doc) override { FirstUpdate(doc); }
};
struct FirstUpdateTest : ::testing::Test {
    host::RecordingMessages messages;
    host::ScopedMessageService scope{messages};
    AppSettings app;
    Overview view;
    void SetUp() override { host::setCurrentProject(host::Project::open(":memory:", true)); }
    void TearDown() override { host::setCurrentProject(nullptr); }
    std::vector<int> ids() {
        std::vector<int> v;
        for (const auto& m : messages.shown) v.push_back(m.id);
        return v;
    }
};
}  // namespace

TEST_F(FirstUpdateTest, UnknownOrderNumberEndsTheStart) {
    CPtpDoc doc(app);
    doc.SetView(&view);
    EXPECT_EQ(doc.ParseStartupString("x.sdb,CP730,0,0,CP 730,9QX4 730-1K"), -1);
    EXPECT_EQ(doc.m_nStartResult, -1);
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back().id, 613);
    EXPECT_EQ(messages.shown.back().title, "Projektierter CP ( MLFB-Nr) unbekannt");
}

TEST_F(FirstUpdateTest, StoredProtocolTheModuleDoesNotOfferFallsBack) {
    const std::string file = ::testing::TempDir() + "/ptp_view_" + std::to_string(::getpid()) + ".sdb";
    const std::string line = file + ",CP8312,66,1,CP 831,9QX4 831-2KK05";
    {   // a printer block stored for a module version that offers the printer
        CPtpDoc doc(app);
        doc.SetView(&view);
        ASSERT_EQ(doc.ParseStartupString(line), 0);
        EXPECT_EQ(doc.m_nProductVersion, 5u);
        doc.m_nProtocol = 4;
        doc.BuildDefaults(doc.m_DefParams);
        doc.m_CurParams = doc.m_DefParams;
        doc.SetModifiedFlag(true);
        ASSERT_EQ(doc.Store(), 1);
    }
    messages.shown.clear();
    CPtpDoc doc(app);
    doc.SetView(&view);
    ASSERT_EQ(doc.ParseStartupString(file + ",CP8312,66,1,CP 831,9QX4 831-2KK00"), 0);
    EXPECT_EQ(ids(), std::vector<int>{610});
    EXPECT_EQ(doc.m_nProtocol, 3);  // the CP 831-2 default protocol, RK 512
    EXPECT_EQ(doc.m_CurParams.wProtocolId, 0x20);
    EXPECT_TRUE(doc.IsModified());
    std::remove(file.c_str());
}
