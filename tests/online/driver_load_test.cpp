// Loading the sample driver onto a simulated module through data record 200, and reading the
// module's driver identification: what the module receives, block by block, and every answer
// of a module that is slow, silent, confused or refusing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "document/ptp_doc.h"
#include "online/driver_info.h"
#include "online/driver_jobs.h"
#include "online/driver_load.h"
#include "online/online_connection.h"
#include "tools/cpsim/station.h"
#include "tests/online/driver_fixture.h"
#include "tests/support/memory_project.h"
#include "tests/support/message_recorder.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;
using online::DriverLoadJob;
using End = online::DriverLoadJob::End;

namespace {

driverpkg::Options lengths(std::uint16_t code, std::uint16_t firmware, std::uint16_t protocol) {
    driverpkg::Options o;
    o.codeLength = code;
    o.firmwareLength = firmware;
    o.protocolLength = protocol;
    return o;
}

struct Load : ::testing::Test {
    support::MessageRecorder messages;
    support::MemoryProject project;
    support::ScratchDir dir{"ptp_drvload"};
    std::unique_ptr<drvonline::SampleDriverModule> module;
    cpsim::DriverRecords server;
    drvonline::SimChannel channel{server};
    std::vector<int> waits;  // what the job asked to wait before each next step

    CPtpDoc& install(const driverpkg::Options& o) {
        module = std::make_unique<drvonline::SampleDriverModule>(dir.path, o);
        EXPECT_TRUE(module->ready);
        module->doc->m_hModuleObject = project.module;
        for (const auto& m : messages.shown) ADD_FAILURE() << "setting up: " << m.id << " " << m.title << ": " << m.text;
        return *module->doc;
    }
    End run(const online::DriverComponents& components) {
        DriverLoadJob job(channel, online::DriverModuleAddress(*module->doc), components);
        // a load that never ends is a fault of its own: a generous bound instead of a hang
        for (int steps = 0; steps < 200000; ++steps) {
            const auto step = job.Next();
            if (step.done) {
                EXPECT_EQ(job.messages(), messages.ids());
                return job.end();
            }
            waits.push_back(step.waitMs);
        }
        ADD_FAILURE() << "the load does not end";
        return End::Running;
    }
    End run() { return run(online::DriverComponentsOf(*module->doc)); }
    fs::path file(const char* name) const { return dir / name; }
};

}  // namespace

// What the module receives equals the driver files: the introduction data, then the body of the
// part's record in blocks of 198 code bytes numbered from 2, the last one padded with 0xFF.
TEST_F(Load, ModuleReceivesThePartsByteForByte) {
    struct Case {
        std::uint16_t code, firmware, protocol;
        std::vector<std::size_t> codeBlocks;  // code bytes per data block of the code part
    };
    const Case cases[] = {
        {198, 300, 200, {198}},             // one full block, nothing to pad
        {199, 300, 200, {198, 1}},          // the second block holds 1 byte and 197 bytes of 0xFF
        {0, 1, 16, {}},                     // the introduction alone
        {1000, 396, 397, {198, 198, 198, 198, 198, 10}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        server = cpsim::DriverRecords{};
        CPtpDoc& doc = install(lengths(c.code, c.firmware, c.protocol));
        const auto components = online::DriverComponentsOf(doc);
        ASSERT_EQ(run(components), End::Loaded);
        EXPECT_TRUE(messages.shown.empty());
        ASSERT_EQ(server.received().size(), 3u);
        const char* files[] = {driverpkg::kCodeFile, driverpkg::kFirmwareFile, driverpkg::kProtocolFile};
        const std::uint16_t bodies[] = {c.code, c.firmware, c.protocol};
        for (size_t part = 0; part < 3; ++part) {
            SCOPED_TRACE(files[part]);
            const auto& r = server.received()[part];
            EXPECT_EQ(r.introduction, components[part].introduction);
            const auto expected = drvonline::ExpectedCode(file(files[part]), r.introduction);
            ASSERT_TRUE(expected);
            ASSERT_EQ(expected->size(), bodies[part]);
            EXPECT_EQ(r.code, *expected);
            ASSERT_EQ(r.blocks.size(), (bodies[part] + 197u) / 198u);
            for (size_t b = 0; b < r.blocks.size(); ++b) {
                const auto& block = r.blocks[b];
                ASSERT_EQ(block.size(), 206u);
                EXPECT_EQ(block[0], 4);
                EXPECT_EQ(block[4] << 8 | block[5], static_cast<int>(b + 2)) << "block numbers follow the introduction's 1";
                const size_t count = block[6] << 8 | block[7];
                EXPECT_EQ(count, std::min<size_t>(198, bodies[part] - b * 198));
                if (part == 0) {
                    EXPECT_EQ(count, c.codeBlocks[b]);
                }
                EXPECT_TRUE(std::all_of(block.begin() + 8 + count, block.end(), [](std::uint8_t v) { return v == 0xFF; }))
                    << "block " << b + 2 << " is padded with 0xFF";
            }
        }
        // every component: the idle job, the introduction, its data blocks
        std::vector<std::uint8_t> jobs;
        for (std::uint16_t body : bodies) {
            jobs.insert(jobs.end(), {0, 8});
            jobs.insert(jobs.end(), (body + 197u) / 198u, 4);
        }
        EXPECT_EQ(server.jobs(), jobs);
        // the module address of the document, or the one of its rack and slot
        EXPECT_EQ(channel.addresses.front(), online::DriverModuleAddress(doc));
        EXPECT_TRUE(std::all_of(channel.addresses.begin(), channel.addresses.end(),
                                [&](std::uint16_t a) { return a == channel.addresses.front(); }));
        channel.addresses.clear();
        messages.shown.clear();
    }
}

TEST_F(Load, IdleJobIsFollowedByAPauseOf100Milliseconds) {
    install(lengths(0, 0, 0));
    ASSERT_EQ(run(), End::Loaded);
    // state read, then per component: idle (100 ms), introduction, the answer that ends it
    EXPECT_EQ(waits, (std::vector<int>{0, 100, 0, 0, 100, 0, 0, 100, 0, 0}));
}

// How the module answers, and how the load ends: the messages in order, and what was written.
TEST_F(Load, ModuleAnswers) {
    using Opt = cpsim::DriverRecords::Options;
    struct Case {
        const char* what;
        std::function<void(Opt&)> module;
        End end;
        std::vector<int> messages;
        std::vector<std::uint8_t> jobs;  // nullopt-like: empty means "not checked"
        driverpkg::Options parts = lengths(199, 1, 1);
    };
    const std::vector<std::uint8_t> all = {0, 8, 4, 4, 0, 8, 4, 0, 8, 4};
    const Case cases[] = {
        {"answers for the block before are read again", [](Opt& o) { o.staleAnswers = 3; }, End::Loaded, {}, all},
        {"busy 100 times in a row", [](Opt& o) { o.busyAnswers = 100; }, End::Loaded, {}, all},
        {"busy 101 times in a row", [](Opt& o) { o.busyAnswers = 101; }, End::Failed, {2005, 2016}, {0, 8}},
        {"driver already present: nothing after the code part", [](Opt& o) { o.driverPresent = true; }, End::AlreadyPresent,
         {2013}, {0, 8}},
        {"refused", [](Opt& o) { o.status = 18; }, End::Failed, {2014, 2016}, {0, 8}},
        {"wrong driver", [](Opt& o) { o.status = 19; }, End::Failed, {2038, 2016}, {0, 8}},
        {"undefined status", [](Opt& o) { o.status = 7; }, End::Failed, {2006, 2016}, {0, 8}},
        {"status 1 for another job", [](Opt& o) { o.echo = 6; }, End::Failed, {2012, 2016}, {0, 8}},
        {"never the block sent: the re-reads end", [](Opt& o) { o.wrongBlock = 77; }, End::Failed, {2016}, {0, 8, 4}},
        {"read fails", [](Opt& o) { o.failRead = 1; }, End::Failed, {2011, 2016}, {0, 8}},
        {"idle job not written", [](Opt& o) { o.failWrite = 1; }, End::Failed, {2010}, {}},
        {"introduction not written", [](Opt& o) { o.failWrite = 2; }, End::Failed, {2010}, {0}},
        {"data block not written", [](Opt& o) { o.failWrite = 3; }, End::Failed, {2010, 2016}, {0, 8}},
        // untouched answers count over the whole component: 101 pass, the 102nd ends it
        {"101 untouched", [](Opt& o) { o.untouchedAnswers = 101; }, End::Loaded, {}, {0, 8, 0, 8, 0, 8}, lengths(0, 0, 0)},
        {"102 untouched", [](Opt& o) { o.untouchedAnswers = 102; }, End::Failed, {2004, 2016}, {0, 8}, lengths(0, 0, 0)},
        {"51 untouched after each of two jobs", [](Opt& o) { o.untouchedAnswers = 51; }, End::Failed, {2004, 2016},
         {0, 8, 4}, lengths(1, 0, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Opt o;
        c.module(o);
        server = cpsim::DriverRecords(o);
        install(c.parts);
        EXPECT_EQ(run(), c.end);
        EXPECT_EQ(messages.ids(), c.messages);
        EXPECT_EQ(server.jobs(), c.jobs);
        messages.shown.clear();
    }
}

// Nothing is written unless the controller is in STOP.
TEST_F(Load, ControllerNotInStop) {
    struct Case {
        std::uint8_t bits;
        bool szlFails;
        std::vector<int> messages;
    };
    const Case cases[] = {
        {8, false, {2003}},   // RUN
        {5, false, {2003}},   // state code 0
        {6, false, {2003}},
        {3, true, {2037}},    // the state cannot be read
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.bits));
        server = cpsim::DriverRecords{};
        channel.stateBits = c.bits;
        channel.szlFails = c.szlFails;
        install(lengths(10, 10, 10));
        EXPECT_EQ(run(), End::Failed);
        EXPECT_EQ(messages.ids(), c.messages);
        EXPECT_EQ(server.writes(), 0);
        messages.shown.clear();
    }
}

TEST_F(Load, StateCodes) {
    const std::pair<int, int> cases[] = {{1, 4}, {2, 4}, {3, 4}, {4, 4}, {6, 6}, {7, 6}, {8, 8}, {10, 10}, {13, 13},
                                         {0, 0}, {5, 0}, {9, 0}, {11, 0}, {12, 0}, {14, 0}, {15, 0}, {0xF3, 4}};
    for (const auto& [bits, code] : cases)
        EXPECT_EQ(online::driver::OperatingStateCode(static_cast<std::uint8_t>(bits)), code) << bits;
}

TEST_F(Load, ComponentFileMissing) {
    struct Case {
        const char* file;
        std::vector<int> messages;
        size_t loaded;
    };
    const Case cases[] = {{driverpkg::kCodeFile, {2007}, 0}, {driverpkg::kFirmwareFile, {2008}, 1}, {driverpkg::kProtocolFile, {2009}, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        server = cpsim::DriverRecords{};
        CPtpDoc& doc = install(lengths(10, 10, 10));
        const auto components = online::DriverComponentsOf(doc);
        fs::remove(file(c.file));
        EXPECT_EQ(run(components), End::Failed);
        EXPECT_EQ(messages.ids(), c.messages);
        EXPECT_EQ(server.received().size(), c.loaded);
        messages.shown.clear();
    }
}

TEST_F(Load, WithoutACodePartNothingIsWritten) {
    CPtpDoc& doc = install(lengths(10, 10, 10));
    auto components = online::DriverComponentsOf(doc);
    components[0] = {};
    EXPECT_EQ(run(components), End::NothingToLoad);
    EXPECT_TRUE(messages.shown.empty());
    EXPECT_EQ(server.writes(), 0);
}

TEST_F(Load, AbsentFirmwareAndProtocolPartsAreSkipped) {
    CPtpDoc& doc = install(lengths(10, 10, 10));
    doc.m_nDrvBlockMask = 0x001;
    const auto components = online::DriverComponentsOf(doc);
    EXPECT_FALSE(components[1].present());
    EXPECT_FALSE(components[2].present());
    EXPECT_EQ(run(components), End::Loaded);
    EXPECT_EQ(server.jobs(), (std::vector<std::uint8_t>{0, 8, 4}));
}

// A driver file that ends before the code its head announces ends the load instead of
// sending empty blocks for ever.
TEST_F(Load, CodeFileEndingEarly) {
    CPtpDoc& doc = install(lengths(1000, 10, 10));
    const auto components = online::DriverComponentsOf(doc);
    fs::resize_file(file(driverpkg::kCodeFile), components[0].codeOffset + 500);
    EXPECT_EQ(run(components), End::Failed);
    EXPECT_EQ(messages.ids(), (std::vector<int>{2016}));
    ASSERT_EQ(server.received().size(), 1u);
    EXPECT_EQ(server.received()[0].code.size(), 396u);
}

TEST(LoadPercent, OfTheCodeSent) {
    struct Case {
        std::uint32_t total, remaining;
        std::uint16_t percent;
    };
    const Case cases[] = {{0, 0, 0}, {199, 199, 0}, {199, 1, 99}, {199, 0, 100}, {65535, 6554, 89}, {65535, 0, 100}};
    for (const auto& c : cases) EXPECT_EQ(online::LoadPercent(c.total, c.remaining), c.percent) << c.total << " " << c.remaining;
}

// ---- driver information ------------------------------------------------------------------------

namespace {

struct Info : ::testing::Test {
    support::MessageRecorder messages;
    cpsim::DriverRecords server;
    drvonline::SimChannel channel{server};
    std::array<std::uint8_t, online::kDriverInfoArea> area{};
    std::vector<int> pumped;
    std::size_t read(std::uint16_t requested = 64) {
        return online::ReadDriverInfo(channel, 272, requested, area, [this](int ms) { pumped.push_back(ms); });
    }
};

}  // namespace

TEST_F(Info, ModuleAnswers) {
    using Opt = cpsim::DriverRecords::Options;
    struct Case {
        const char* what;
        std::function<void(Opt&)> module;
        std::size_t delivered;
        std::vector<int> messages;
    };
    auto driver = [](Opt& o) {
        o.driverName = "SAMPK731";
        o.verHi = 1, o.verLo = 3;
    };
    const Case cases[] = {
        {"identification", driver, 64, {}},
        {"no loadable driver (0x31)", [](Opt&) {}, 0, {}},
        {"length 193", [&](Opt& o) { driver(o), o.identLength = 193; }, 0, {2011}},
        {"length 192", [&](Opt& o) { driver(o), o.identLength = 192; }, 192, {}},
        {"length 0", [&](Opt& o) { driver(o), o.identLength = 0; }, 0, {}},
        {"untouched: no second read", [&](Opt& o) { driver(o), o.untouchedAnswers = 1; }, 0, {2004}},
        {"busy 100 times", [&](Opt& o) { driver(o), o.busyAnswers = 100; }, 64, {}},
        {"busy 101 times", [&](Opt& o) { driver(o), o.busyAnswers = 101; }, 0, {2005}},
        {"answer for another job", [&](Opt& o) { driver(o), o.echo = 4; }, 0, {2006}},
        {"idle job not written", [&](Opt& o) { driver(o), o.failWrite = 1; }, 0, {2010}},
        {"read job not written", [&](Opt& o) { driver(o), o.failWrite = 2; }, 0, {2010}},
        {"read fails", [&](Opt& o) { driver(o), o.failRead = 1; }, 0, {2011}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Opt o;
        c.module(o);
        server = cpsim::DriverRecords(o);
        area.fill(0);
        EXPECT_EQ(read(), c.delivered);
        EXPECT_EQ(messages.ids(), c.messages);
        if (c.delivered >= 10) {
            EXPECT_EQ(std::string(area.begin(), area.begin() + 8), "SAMPK731");
            EXPECT_EQ(area[8], 1);
            EXPECT_EQ(area[9], 3);
        }
        messages.shown.clear();
    }
}

TEST_F(Info, JobsAndPause) {
    server.options().driverName = "SAMPK731";
    EXPECT_EQ(read(100), 100u);
    EXPECT_EQ(server.jobs(), (std::vector<std::uint8_t>{0, 2}));
    EXPECT_EQ(pumped, (std::vector<int>{100}));
    EXPECT_TRUE(std::all_of(channel.addresses.begin(), channel.addresses.end(), [](std::uint16_t a) { return a == 272; }));
}

// ---- what the driver dialogs show and record --------------------------------------------------

namespace {

struct Dialogs : Load {
    online::Pump pump = [](int) {};
};

}  // namespace

TEST_F(Dialogs, StartWithoutConnection) {
    CPtpDoc& doc = install(lengths(10, 10, 10));
    doc.m_bDriverPending = 1;
    doc.m_bDriverLoaded = 1;
    const auto start = online::StartDriverDialog(doc, nullptr, pump);
    EXPECT_EQ(messages.ids(), (std::vector<int>{2002}));
    EXPECT_FALSE(start.loadEnabled);
    EXPECT_EQ(start.module.name, "- - - -");
    EXPECT_EQ(start.module.version, "- - - -");
    EXPECT_EQ(start.installed.name, "SAMPK731");
    EXPECT_EQ(doc.m_byModuleDrvVerHi, 0);
    EXPECT_EQ(doc.m_byModuleDrvVerLo, 0);
    EXPECT_EQ(doc.m_bDriverPending, 0);
    EXPECT_EQ(doc.m_bDriverLoaded, 0);
    EXPECT_EQ(server.writes(), 0);
}

TEST_F(Dialogs, StartComparesTheModulesDriverWithTheInstalledOne) {
    struct Case {
        std::optional<std::string> moduleDriver;
        std::uint8_t hi, lo;
        const char* version;
        int known, pending;
    };
    CPtpDoc& probe = install(lengths(10, 10, 10));
    const std::uint8_t hi = probe.m_DriverInfo.driverVerHi, lo = probe.m_DriverInfo.driverVerLo;
    const Case cases[] = {
        {"SAMPK731", hi, lo, nullptr, 1, 0},
        {"SAMPK731", hi, static_cast<std::uint8_t>(lo + 1), nullptr, 0, 1},
        {std::nullopt, 0, 0, "- - - -", 0, 0},   // status 0x31: nothing shown, no message
    };
    for (const auto& c : cases) {
        CPtpDoc& doc = install(lengths(10, 10, 10));
        cpsim::DriverRecords::Options o;
        o.driverName = c.moduleDriver;
        o.verHi = c.hi, o.verLo = c.lo;
        server = cpsim::DriverRecords(o);
        const auto start = online::StartDriverDialog(doc, &channel, pump);
        EXPECT_TRUE(messages.shown.empty());
        EXPECT_TRUE(start.loadEnabled);
        EXPECT_EQ(start.installed.version, online::VersionText(hi, lo));
        const std::string version = c.version ? c.version : online::VersionText(c.hi, c.lo);
        EXPECT_EQ(start.module.version, version);
        EXPECT_EQ(start.module.name, c.moduleDriver ? "SAMPK731" : "- - - -");
        EXPECT_EQ(doc.m_bModuleDrvKnown, c.known) << version;
        EXPECT_EQ(doc.m_bDriverPending, c.pending) << version;
        if (c.moduleDriver) {
            EXPECT_EQ(doc.m_byModuleDrvVerHi, c.hi);
            EXPECT_EQ(doc.m_byModuleDrvVerLo, c.lo);
        }
    }
}

TEST_F(Dialogs, ReadBackAfterALoadRecordsTheNewDriver) {
    CPtpDoc& doc = install(lengths(300, 10, 10));
    doc.m_byModuleDrvVerHi = 0, doc.m_byModuleDrvVerLo = 0;
    doc.SetModifiedFlag(false);
    ASSERT_EQ(run(), End::Loaded);
    const auto back = online::ReadBackAfterLoad(doc, channel, pump);
    // the module's driver is now the code part it received
    EXPECT_EQ(back.module.name, online::InstalledDriver(doc).name);
    EXPECT_EQ(back.module.version, online::InstalledDriver(doc).version);
    EXPECT_TRUE(back.documentChanged);
    EXPECT_EQ(doc.m_bDriverLoaded, 1);
    EXPECT_TRUE(doc.IsModified());
    // the same version again changes nothing
    doc.m_bDriverLoaded = 0;
    doc.SetModifiedFlag(false);
    EXPECT_FALSE(online::ReadBackAfterLoad(doc, channel, pump).documentChanged);
    EXPECT_EQ(doc.m_bDriverLoaded, 0);
    EXPECT_FALSE(doc.IsModified());
}

TEST_F(Dialogs, ReadBackOfFewerThan64BytesShowsNothing) {
    CPtpDoc& doc = install(lengths(10, 10, 10));
    doc.m_byModuleDrvVerHi = 1, doc.m_byModuleDrvVerLo = 2;
    server.options().driverName = "SAMPK731";
    server.options().identLength = 63;
    const auto back = online::ReadBackAfterLoad(doc, channel, pump);
    EXPECT_EQ(back.module.name, "- - - -");
    EXPECT_EQ(back.module.version, "- - - -");
    EXPECT_EQ(doc.m_byModuleDrvVerHi, 0);
    EXPECT_EQ(doc.m_byModuleDrvVerLo, 0);
    EXPECT_TRUE(messages.shown.empty());
}

TEST(DriverShown, ProjectDriverOfABlockWithoutDriver) {
    support::MessageRecorder messages;
    AppSettings app;
    CPtpDoc doc(app);
    EXPECT_EQ(online::ProjectDriver(doc).name, "- - - -");
    std::copy_n("MBMASTER", 8, doc.m_StoredDriver.name.begin());
    doc.m_StoredDriver.verHi = 2, doc.m_StoredDriver.verLo = 10;
    EXPECT_EQ(online::ProjectDriver(doc).name, "MBMASTER");
    EXPECT_EQ(online::ProjectDriver(doc).version, "2.10");
}

// ---- through the connection to the station ----------------------------------------------------

namespace {

// The same load through COnlineConnection and the online library to the station simulator in
// this process, the module's record 200 served at the document's module address.
struct ThroughStation : Load {
    cpsim::Station station;
    std::shared_ptr<cpsim::DriverRecords> records = std::make_shared<cpsim::DriverRecords>();
    ThroughStation() { online::RouteAccessPoint(online::kDefaultAccessPoint, cpsim::InProcess(station)); }
    ~ThroughStation() override { online::RouteAccessPoint(online::kDefaultAccessPoint, {}); }
    End load(CPtpDoc& doc, std::vector<int>& shown) {
        station.AddRecordServer(records, online::DriverModuleAddress(doc));
        online::COnlineConnection connection(doc);
        std::uint32_t handle = 0, direct = 0;
        EXPECT_EQ(connection.OpenConnection(true, false, handle, direct), 1);
        auto channel = connection.Channel();
        online::DriverLoadJob job(*channel, online::DriverModuleAddress(doc), online::DriverComponentsOf(doc));
        for (int steps = 0; steps < 200000; ++steps)
            if (job.Next().done) break;
        shown = job.messages();
        EXPECT_EQ(connection.CloseConnection(handle, direct), 0);
        return job.end();
    }
};

}  // namespace

TEST_F(ThroughStation, LoadReachesTheModuleByteForByte) {
    CPtpDoc& doc = install(lengths(199, 198, 1));
    const auto components = online::DriverComponentsOf(doc);
    std::vector<int> shown;
    ASSERT_EQ(load(doc, shown), End::Loaded);
    EXPECT_TRUE(shown.empty());
    ASSERT_EQ(records->received().size(), 3u);
    const char* files[] = {driverpkg::kCodeFile, driverpkg::kFirmwareFile, driverpkg::kProtocolFile};
    for (size_t part = 0; part < 3; ++part) {
        EXPECT_EQ(records->received()[part].introduction, components[part].introduction) << files[part];
        EXPECT_EQ(records->received()[part].code, drvonline::ExpectedCode(file(files[part]), components[part].introduction))
            << files[part];
    }
}

TEST_F(ThroughStation, ControllerInRunGets2003AndNothingIsWritten) {
    CPtpDoc& doc = install(lengths(10, 10, 10));
    station.SetState(cpsim::kRun);
    std::vector<int> shown;
    EXPECT_EQ(load(doc, shown), End::Failed);
    EXPECT_EQ(shown, (std::vector<int>{2003}));
    EXPECT_EQ(records->writes(), 0);
}
