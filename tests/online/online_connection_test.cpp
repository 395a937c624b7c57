// COnlineConnection against the station simulator in the same process: the route lookup in the
// project, the parameter block the station receives, SZL and operating state, the direct route,
// closing; and the station's dispatch of record accesses and its faults.
#include <gtest/gtest.h>

#include <map>

#include "document/codes.h"
#include "online/codes.h"
#include "online/online_connection.h"
#include "online/record_address.h"
#include "online/y5lib.h"
#include "tests/support/memory_project.h"
#include "tests/support/module_factory.h"
#include "tools/cpsim/station.h"

namespace {

using namespace online;
using Bytes = std::vector<std::uint8_t>;

// A module side that keeps what is written per record and reads it back.
class Memory : public cpsim::RecordServer {
public:
    explicit Memory(std::vector<std::uint16_t> records, std::uint8_t mark = 0) : records_(std::move(records)), mark_(mark) {}
    std::vector<std::uint16_t> Records() const override { return records_; }
    cpsim::RecordResult Write(std::uint16_t record, std::span<const std::uint8_t> data) override {
        stored[record].assign(data.begin(), data.end());
        return {};
    }
    cpsim::RecordResult Read(std::uint16_t record, std::uint16_t length) override {
        Bytes d = stored[record];
        if (d.empty()) d = {mark_};
        if (d.size() > length) d.resize(length);
        return {0, d};
    }
    std::map<std::uint16_t, Bytes> stored;

private:
    std::vector<std::uint16_t> records_;
    std::uint8_t mark_;
};

class OnlineConnection : public ::testing::Test {
protected:
    OnlineConnection() {
        NewProject();
        module.messages.shown.clear();  // the document was made before there was a project
        doc.m_nRack = 1;
        doc.m_nSlot = 4;
        doc.m_nStationAddress = 0x0203;
        RouteAccessPoint(kDefaultAccessPoint, cpsim::InProcess(station));
    }
    ~OnlineConnection() override {
        RouteAccessPoint(kDefaultAccessPoint, {});
        RouteAccessPoint("PROJ", {});
    }

    // A project of its own: environment, station S1 and the module in it.
    void NewProject() {
        project.reset();
        project.emplace();
        doc.m_hModuleObject = project->module;
    }

    // The project route: the module and the station's online interface on subnet 7, the
    // interface linked to `accessObjects` objects of which the first holds `record`.
    void ProjectRoute(int accessObjects, const std::optional<Bytes>& record, long kind = kRouteKindOnline,
                      std::uint8_t interfaceSubnet = 7) {
        host::Project& p = project->project();
        p.setByte(project->module, kAttrRouteSubnet, 7);
        const auto other = p.create({3, 9, 0, 0, 1, 1}, "other", project->env, project->station);
        const auto iface = p.create({3, 10, 0, 0, 1, 1}, "MPI", project->env, project->station);
        p.link(project->station, 1, other);
        p.link(project->station, 1, iface);
        p.setLong(iface, kAttrRouteKind, kind);
        p.setByte(iface, kAttrRouteSubnet, interfaceSubnet);
        for (int i = 0; i < accessObjects; ++i) {
            const auto access = p.create({4, 20 + i, 0, 0, 1, 1}, "access", project->env, 0);
            p.link(iface, kLinkOnlineAccess, access);
            if (i == 0 && record) p.setBinary(access, kAttrOnlineAccess, record->data(), record->size());
        }
        RouteAccessPoint("PROJ", cpsim::InProcess(station));
    }

    static Bytes ProjectRecord() {
        std::array<std::uint8_t, kParameterBlockSize> block{};
        block[0] = 0x5A;
        auto r = OnlineAccessRecord("PROJ", block);
        return Bytes(r.begin(), r.end());
    }

    int Open(bool keepZero = true, bool direct = false) {
        return connection.OpenConnection(keepZero, direct, handle, directHandle);
    }

    std::optional<support::MemoryProject> project;
    support::ModuleDocument module{kCP731, 0, 81};
    CPtpDoc& doc = module.doc;
    cpsim::Station station;
    COnlineConnection connection{doc};
    std::uint32_t handle = 0, directHandle = 0;
};

TEST_F(OnlineConnection, DefaultRouteSendsY5OnlineAndItsParameterBlock) {
    // No byte attribute 110816 on the module: no project route.
    ASSERT_EQ(Open(), 1);
    EXPECT_EQ(connection.LastResult(), 0);
    EXPECT_NE(handle, 0u);
    EXPECT_EQ(directHandle, 0u);
    EXPECT_FALSE(connection.ProjectRoute());
    const cpsim::OpenSeen seen = station.LastOpen();
    EXPECT_EQ(seen.accessPoint, "Y5ONLINE");
    EXPECT_EQ(seen.connection, 0u);
    Bytes expected(126, 0);
    for (auto [at, v] : std::map<int, int>{{1, 2}, {2, 1}, {34, 12}, {36, 1}, {40, 3}, {46, 1}, {48, 2}, {50, 1}})
        expected[at] = static_cast<std::uint8_t>(v);
    EXPECT_EQ(seen.parameters, expected);
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
    EXPECT_EQ(connection.Handle(), 0u);
    EXPECT_EQ(station.OpenHandles(), 0u);
    EXPECT_EQ(OpenHandleCount(), 0u);
}

TEST_F(OnlineConnection, Byte51IsZeroWhenKeptElseRackAndSlot) {
    struct Case {
        bool keepZero, projectRoute;
        std::uint8_t expected;
    } cases[] = {{true, false, 0}, {false, false, 36}, {true, true, 0}, {false, true, 36}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "keep " << c.keepZero << " project " << c.projectRoute);
        if (c.projectRoute && !connection.ProjectRoute()) ProjectRoute(1, ProjectRecord());
        ASSERT_EQ(Open(c.keepZero), 1);
        EXPECT_EQ(connection.ProjectRoute(), c.projectRoute);
        EXPECT_EQ(station.LastOpen().parameters.at(51), c.expected);
        EXPECT_EQ(connection.Descriptor().parameters[51], c.expected);
        EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
    }
}

TEST_F(OnlineConnection, ProjectRouteTakesTheDescriptorOfTheOnlineAccessRecord) {
    ProjectRoute(1, ProjectRecord());
    ASSERT_EQ(Open(), 1);
    EXPECT_TRUE(connection.ProjectRoute());
    EXPECT_NE(connection.InterfaceObject(), 0);
    EXPECT_EQ(station.LastOpen().accessPoint, "PROJ");
    Bytes block(126, 0);
    block[0] = 0x5A;
    EXPECT_EQ(station.LastOpen().parameters, block);
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
}

// Where the lookup finds no single online-access object, the default route is taken.
TEST_F(OnlineConnection, LookupWithoutOneAccessObjectUsesTheDefaultRoute) {
    struct Case {
        const char* what;
        int accessObjects;
        long kind;
        std::uint8_t subnet;
    } cases[] = {
        {"two linked access objects", 2, kRouteKindOnline, 7},
        {"no linked access object", 0, kRouteKindOnline, 7},
        {"interface of another kind", 1, 15, 7},
        {"interface on another subnet", 1, kRouteKindOnline, 8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewProject();
        ProjectRoute(c.accessObjects, ProjectRecord(), c.kind, c.subnet);
        ASSERT_EQ(Open(), 1);
        EXPECT_FALSE(connection.ProjectRoute());
        EXPECT_EQ(station.LastOpen().accessPoint, "Y5ONLINE");
        EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
    }
}

TEST_F(OnlineConnection, UnusableOnlineAccessRecordLeavesTheConnectionClosed) {
    Bytes outside = ProjectRecord();
    outside[172] = 0xC8;  // the parameter block would run past the record's end
    Bytes unterminated = ProjectRecord();
    std::fill(unterminated.begin() + 136, unterminated.begin() + 156, 'A');
    struct Case {
        const char* what;
        std::optional<Bytes> record;
        std::int32_t result;
    } cases[] = {
        {"no record", std::nullopt, kRecordMissing},
        {"record without its descriptor", Bytes(100, 0), kRecordUnreadable},
        {"parameter block outside the record", outside, kRecordUnreadable},
        {"access point without its end", unterminated, kRecordUnreadable},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        NewProject();
        ProjectRoute(1, c.record);
        EXPECT_EQ(Open(), 0);
        EXPECT_EQ(connection.Connected(), 0);
        EXPECT_EQ(connection.LastResult(), c.result);
        EXPECT_EQ(handle, 0u);
        EXPECT_EQ(station.OpenHandles(), 0u);
    }
}

TEST_F(OnlineConnection, RefusedOpenGivesTheLibraryCode) {
    station.SetFaults({.openResult = 0x1234});
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(connection.LastResult(), 0x1234);
    EXPECT_EQ(handle, 0u);
    // An access point that leads nowhere: no endpoint in the registry to reach.
    RouteAccessPoint(kDefaultAccessPoint, [](std::int32_t& e) { e = kNoStation; return nullptr; });
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(connection.LastResult(), kNoStation);
}

TEST_F(OnlineConnection, OperatingStateFromSzl0424) {
    ASSERT_EQ(Open(), 1);
    for (int bits = 0; bits < 16; ++bits) {
        station.SetState(bits);
        int state = -1;
        ASSERT_EQ(connection.ReadCpuState(state), 0) << bits;
        EXPECT_EQ(state, CpuStateCode(bits)) << bits;
        EXPECT_EQ(connection.Head().id, 0x0424);
        EXPECT_EQ(connection.Head().recordCount, 1);
    }
    station.SetState(5);
    int state = -1;
    EXPECT_EQ(connection.ReadCpuState(state), 0);
    EXPECT_EQ(state, 0);
    EXPECT_NE(state, kStateStop);
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
}

// A state answer without a record would leave the buffer's fill (0x78: state 8) as the state.
TEST_F(OnlineConnection, StateAnswerWithoutRecordIsAnError) {
    ASSERT_EQ(Open(), 1);
    station.SetSzl(kSzlCpuState, {0x04, 0x24, 0, 0, 0, 20, 0, 0});
    int state = -1;
    EXPECT_EQ(connection.ReadCpuState(state), kSzlLengthMismatch);
    EXPECT_EQ(state, 0);
    station.SetSzl(kSzlCpuState, {});
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
    EXPECT_EQ(connection.ReadCpuState(state), kUnknownHandle);  // closed: the handle is gone
}

TEST_F(OnlineConnection, SzlHeadInHostOrderAndUnknownCountComputed) {
    ASSERT_EQ(Open(), 1);
    Bytes answer{0x00, 0x11, 0x00, 0x01, 0x00, 0x1C, 0xFF, 0xFF};
    answer.resize(8 + 3 * 28, 0x20);
    station.SetSzl(kSzlModuleIdent, answer);
    ASSERT_EQ(connection.ReadSzl(kSzlModuleIdent), 0);
    const SzlHead h = connection.Head();
    EXPECT_EQ(h.id, 0x0011);
    EXPECT_EQ(h.index, 1);
    EXPECT_EQ(h.recordLength, 28);
    EXPECT_EQ(h.recordCount, 3);
    EXPECT_EQ(connection.SzlLength(), 8u + 3 * 28);
    EXPECT_EQ(connection.SzlBuffer()[8], 0x20);
    EXPECT_EQ(connection.SzlBuffer()[8 + 3 * 28], 0x78);  // the fill after the response

    answer.resize(8 + 3 * 28 - 1);
    station.SetSzl(kSzlModuleIdent, answer);
    EXPECT_EQ(connection.ReadSzl(kSzlModuleIdent), kSzlLengthMismatch);
    EXPECT_EQ(connection.Head().recordCount, 0);
    EXPECT_EQ(connection.ReadSzl(0x0F0F), kNoSuchSzl);
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
}

TEST_F(OnlineConnection, DirectRouteOpensAndClosesTheDirectConnection) {
    ASSERT_EQ(Open(true, true), 1);
    EXPECT_NE(directHandle, 0u);
    EXPECT_NE(handle, 0u);
    EXPECT_TRUE(station.LastOpen().direct);
    EXPECT_EQ(station.LastOpen().moduleObject, static_cast<std::uint64_t>(project->module));
    int state = -1;
    EXPECT_EQ(connection.ReadCpuState(state), 0);
    EXPECT_EQ(state, kStateStop);
    EXPECT_EQ(connection.CloseConnection(handle, directHandle), 0);
    EXPECT_EQ(station.OpenHandles(), 0u);
    EXPECT_EQ(OpenHandleCount(), 0u);
    EXPECT_EQ(y5db_close(handle, 0, 0), kUnknownHandle);  // gone with its direct connection
}

// The direct route counts as opened even when no module could be reached; the first job then
// fails on handle 0.
TEST_F(OnlineConnection, UnreachableDirectRouteIsLoggedAndStillCountsAsOpen) {
    RouteAccessPoint(kDefaultAccessPoint, [](std::int32_t& e) { e = kNoStation; return nullptr; });
    ASSERT_EQ(Open(true, true), 1);
    EXPECT_EQ(connection.LastResult(), 0);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(directHandle, 0u);
    ASSERT_EQ(module.messages.ids(), std::vector<int>{552});
    EXPECT_EQ(module.messages.shown[0].inserts, std::vector<std::string>{"Error -30 on DSOpenConnection, whats going on?"});
    Bytes response;
    EXPECT_EQ(connection.Channel()->ReadRecord(RecordAddress(4, 200, 0x150), response, 8), kUnknownHandle);
}

TEST_F(OnlineConnection, ChannelWritesAndReadsRecordsOfTheAddressedModule) {
    auto first = std::make_shared<Memory>(std::vector<std::uint16_t>{200, 248}, 0xA0);
    auto second = std::make_shared<Memory>(std::vector<std::uint16_t>{200}, 0xB0);
    auto anyModule = std::make_shared<Memory>(std::vector<std::uint16_t>{239}, 0xC0);
    station.AddRecordServer(anyModule);
    station.AddRecordServer(first, 0x150);
    station.AddRecordServer(second, 0x160);
    ASSERT_EQ(Open(), 1);
    auto channel = connection.Channel();

    EXPECT_EQ(channel->WriteRecord(RecordWriteRequest(200, 0x160, Bytes{1, 2, 3})), 0);
    EXPECT_EQ(second->stored[200], (Bytes{1, 2, 3}));
    EXPECT_TRUE(first->stored.empty());

    Bytes response{0x55, 0x55};
    ASSERT_EQ(channel->ReadRecord(RecordAddress(3, 200, 0x160), response, 7), 0);
    EXPECT_EQ(response, (Bytes{0x00, 0x09, 0x00, 0x03, 1, 2, 3}));
    ASSERT_EQ(channel->ReadRecord(RecordAddress(3, 200, 0x160), response, 5), 0);
    EXPECT_EQ(response, (Bytes{0x00, 0x09, 0x00, 0x03, 1}));  // cut at the response size
    ASSERT_EQ(channel->ReadRecord(RecordAddress(1, 248, 0x150), response, 5), 0);
    EXPECT_EQ(response[4], 0xA0);
    ASSERT_EQ(channel->ReadRecord(RecordAddress(1, 239, 0x777), response, 5), 0);
    EXPECT_EQ(response[4], 0xC0);  // the server for every module address

    struct Refused {
        const char* what;
        Bytes request;
        std::int32_t result;
    } refused[] = {
        {"record nobody serves", RecordWriteRequest(201, 0x150, Bytes{1}), kNoSuchRecord},
        {"record of another module", RecordWriteRequest(248, 0x160, Bytes{1}), kNoSuchRecord},
        {"data head that does not count the data", [] {
             Bytes b = RecordWriteRequest(200, 0x150, Bytes{1, 2});
             b[15] = 3;
             return b;
         }(),
         kBadRequest},
    };
    for (const Refused& r : refused) EXPECT_EQ(channel->WriteRecord(r.request), r.result) << r.what;
    EXPECT_EQ(channel->ReadRecord(Bytes(11, 0x12), response, 8), kBadRequest);

    Bytes szl;
    ASSERT_EQ(channel->ReadSzl(kSzlCpuState, 0, szl, 108), 0);
    EXPECT_EQ(szl.size(), 8u + cpsim::Station::kStateRecordLength);
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);
}

TEST_F(OnlineConnection, DroppedOrSilentStationEndsTheConnectionWithACode) {
    struct Case {
        cpsim::Faults faults;
        std::int32_t result;
    } cases[] = {{{.dropAfter = 2}, kConnectionLost}, {{.silentAfter = 2}, kTimeout}};
    for (const Case& c : cases) {
        station.SetFaults(c.faults);
        ASSERT_EQ(Open(), 1);  // request 1
        int state = -1;
        EXPECT_EQ(connection.ReadCpuState(state), 0);  // request 2
        EXPECT_EQ(connection.ReadCpuState(state), c.result);
        EXPECT_EQ(connection.ReadCpuState(state), kConnectionLost);  // the transport stays failed
        EXPECT_EQ(connection.CloseConnection(handle, 0), kConnectionLost);
        EXPECT_EQ(OpenHandleCount(), 0u);  // the library lets go of a lost connection
    }
}

// The wait indicator is on while the station is reached and off again after the open, whether
// it succeeded, was refused or stopped at the project record.
TEST_F(OnlineConnection, WaitIndicatorCoversTheWholeOpen) {
    std::vector<bool> calls;
    SetWaitIndicator([&](bool busy) { calls.push_back(busy); });
    bool busyWhileConnecting = false;
    RouteAccessPoint(kDefaultAccessPoint, [&](std::int32_t& e) {
        busyWhileConnecting = !calls.empty() && calls.back();
        e = 0;
        return ConnectInProcess(station.Connect());
    });
    ASSERT_EQ(Open(), 1);
    EXPECT_TRUE(busyWhileConnecting);
    EXPECT_EQ(calls, (std::vector<bool>{true, false}));
    EXPECT_EQ(connection.CloseConnection(handle, 0), 0);

    station.SetFaults({.openResult = 7});
    EXPECT_EQ(Open(), 0);
    ProjectRoute(1, std::nullopt);
    EXPECT_EQ(Open(), 0);
    EXPECT_EQ(connection.LastResult(), kRecordMissing);
    EXPECT_EQ(calls, (std::vector<bool>{true, false, true, false, true, false}));
    SetWaitIndicator({});
}

TEST(CpsimState, NamesAndNumbers) {
    struct Case {
        const char* name;
        std::optional<int> bits;
    } cases[] = {{"STOP", 4}, {"run", 8}, {"Startup", 6}, {"HOLD", 10}, {"DEFECT", 13}, {"5", 5},
                 {"15", 15},  {"16", std::nullopt}, {"", std::nullopt}, {"RUNNING", std::nullopt}, {"-1", std::nullopt}};
    for (const Case& c : cases) EXPECT_EQ(cpsim::StateFromName(c.name), c.bits) << c.name;
}

}  // namespace
