// The firmware transfer through record 239 against the simulated module: blocks, answers,
// faults, the checks of the update set, and what the module received.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <optional>

#include "online/firmware_transfer.h"
#include "tests/online/firmware_fixture.h"
#include "tests/support/memory_registry.h"
#include "tests/support/scratch_dir.h"
#include "tools/sample_firmware/sample_firmware.h"

namespace {

using fwtest::RecordingView;
using fwtest::RunToEnd;
using fwtest::StationLink;
using online::FirmwareTransfer;

online::FirmwareTarget target(bool cp731) {
    online::FirmwareTarget t;
    t.smallRecord = cp731;
    t.moduleAddress = fwtest::kModuleAddress;
    return t;
}

struct UpdateSetDir {
    explicit UpdateSetDir(const samplefw::Options& o = {}) : dir("fw") { samplefw::WriteUpdateSet(dir.path.string(), o); }
    std::string header() const { return (dir.path / "header.upd").string(); }
    support::ScratchDir dir;
};

std::vector<std::uint8_t> dataJobs(const cpsim::FirmwareRecords& m, std::vector<std::uint16_t>* blocks = nullptr) {
    std::vector<std::uint8_t> commands;
    for (const auto& j : m.Jobs()) {
        commands.push_back(j.command);
        if (blocks && j.command == 4) blocks->push_back(j.block);
    }
    return commands;
}

void writeFile(const support::ScratchDir& d, const char* name, const std::string& text) {
    std::ofstream(d / name, std::ios::binary | std::ios::trunc) << text;
}

TEST(FirmwareTransfer, Cp731SendsA400ByteImageInBlocks2To4) {
    samplefw::Options o;
    o.size = 400;
    UpdateSetDir set(o);
    StationLink link;
    RecordingView view;
    support::MemoryRegistry registry;
    FirmwareTransfer transfer(link.channel.get(), target(true), set.header(), view, &registry);
    const auto run = RunToEnd(transfer);

    EXPECT_EQ(view.ids(), std::vector<int>{2035});
    EXPECT_EQ(view.asked, std::vector<int>{2033});
    EXPECT_TRUE(run.outcome.success);
    EXPECT_FALSE(run.outcome.firmwareMissing);
    std::vector<std::uint16_t> blocks;
    EXPECT_EQ(dataJobs(*link.firmware, &blocks), (std::vector<std::uint8_t>{0, 8, 4, 4, 4, 9}));
    EXPECT_EQ(blocks, (std::vector<std::uint16_t>{2, 3, 4}));
    const auto& jobs = link.firmware->Jobs();
    for (const auto& j : jobs) EXPECT_EQ(j.data.size(), j.command == 0 || j.command == 9 ? 6u : 206u);
    EXPECT_EQ(jobs[2].count, 198);
    EXPECT_EQ(jobs[3].count, 198);
    EXPECT_EQ(jobs[4].count, 4);
    const auto& last = jobs[4].data;
    EXPECT_TRUE(std::all_of(last.begin() + 12, last.end(), [](std::uint8_t b) { return b == 0xFF; }))
        << "the rest of the last chunk is 0xFF";
    EXPECT_EQ(link.firmware->Image(), samplefw::MakeImage(400));
    EXPECT_EQ(view.progress, (std::vector<int>{49, 99, 100}));
    EXPECT_EQ(registry.read(host::Hive::CurrentUser, online::kFwRegistryKey, online::kFwRegistryValue),
              set.dir.path.string() + "/header.upd");
    EXPECT_TRUE(run.waits.empty()) << "a module that answers at once costs no fixed waits";
}

// What the module received equals the image byte for byte, for both job sizes and the lengths
// around a chunk.
TEST(FirmwareTransfer, ModuleReceivesTheImageByteForByte) {
    struct Case {
        bool cp731;
        std::size_t size;
        std::size_t blocks;
    };
    const Case cases[] = {
        {true, 0, 0},   {true, 1, 1},    {true, 198, 1},   {true, 199, 2},
        {false, 232, 1}, {false, 233, 2}, {false, 10000, 44}, {true, 10000, 51},
    };
    for (const auto& c : cases) {
        samplefw::Options o;
        o.size = c.size;
        UpdateSetDir set(o);
        StationLink link;
        RecordingView view;
        FirmwareTransfer transfer(link.channel.get(), target(c.cp731), set.header(), view, nullptr);
        const auto run = RunToEnd(transfer);
        EXPECT_EQ(view.ids(), std::vector<int>{2035}) << c.size;
        EXPECT_EQ(link.firmware->Image(), samplefw::MakeImage(c.size)) << c.size;
        EXPECT_EQ(transfer.BlocksWritten().size(), c.blocks) << c.size;
        EXPECT_EQ(run.outcome.bytesSent, c.size);
        EXPECT_EQ(link.firmware->Resets(), 1);
        const auto& intro = link.firmware->Introduction();
        ASSERT_EQ(intro.size(), c.cp731 ? 206u : 240u);
        EXPECT_EQ(intro[6] << 24 | intro[7] << 16 | intro[8] << 8 | intro[9], static_cast<int>(c.size));
    }
}

TEST(FirmwareTransfer, IntroductionCarriesTheDescriptionEntries) {
    samplefw::Options o;
    o.entries = {{7, "6ES7 341-1AH01-0AE", "V2.1.3"},      // 18 characters: zero-filled
                 {0x1234, "6ES7 341-1AH01-0AE0", "V10.0.255"},  // 19: completed with a blank
                 {3, "6ES7 341-1AH01-0AE0X", "2.1"}};       // 20; a version without three numbers
    o.structureSelector = 200;
    UpdateSetDir set(o);
    StationLink link;
    RecordingView view;
    FirmwareTransfer transfer(link.channel.get(), target(false), set.header(), view, nullptr);
    RunToEnd(transfer);
    const auto& intro = link.firmware->Introduction();
    ASSERT_EQ(intro.size(), 240u);
    EXPECT_EQ(intro[0], 8);
    EXPECT_EQ(intro[4] << 8 | intro[5], 1);
    EXPECT_EQ(intro[10], 3);
    EXPECT_EQ(intro[11], 200);
    auto entry = [&intro](int k) { return std::vector<std::uint8_t>(intro.begin() + 12 + 26 * k, intro.begin() + 38 + 26 * k); };
    const auto e1 = entry(0), e2 = entry(1), e3 = entry(2);
    EXPECT_EQ(e1[0] << 8 | e1[1], 7);
    EXPECT_EQ(std::string(e1.begin() + 2, e1.begin() + 22), std::string("6ES7 341-1AH01-0AE\0\0", 20));
    EXPECT_EQ((std::vector<std::uint8_t>(e1.begin() + 22, e1.end())), (std::vector<std::uint8_t>{'V', 2, 1, 3}));
    EXPECT_EQ(e2[0] << 8 | e2[1], 0x1234);
    EXPECT_EQ(std::string(e2.begin() + 2, e2.begin() + 22), "6ES7 341-1AH01-0AE0 ");
    EXPECT_EQ((std::vector<std::uint8_t>(e2.begin() + 22, e2.end())), (std::vector<std::uint8_t>{'V', 10, 0, 255}));
    EXPECT_EQ(std::string(e3.begin() + 2, e3.begin() + 22), "6ES7 341-1AH01-0AE0X");
    EXPECT_EQ((std::vector<std::uint8_t>(e3.begin() + 22, e3.end())), (std::vector<std::uint8_t>{0, 0, 0, 0}));
    EXPECT_TRUE(std::all_of(intro.begin() + 12 + 78, intro.end(), [](std::uint8_t b) { return b == 0; }));
}

// The update set is checked before anything is written; each refusal is followed by 2034.
TEST(FirmwareTransfer, UpdateSetChecks) {
    struct Case {
        const char* what;
        void (*change)(samplefw::Options&);
        const char* pathTail;  // appended to the folder instead of "header.upd"
        void (*damage)(const support::ScratchDir&);
        std::vector<int> messages;
        std::size_t entriesSent;  // when the set is taken
    };
    const Case cases[] = {
        {"path without header.upd", nullptr, "bg_abl.upd", nullptr, {2019, 2034}, 0},
        {"eight entries", [](samplefw::Options& o) {
             o.entries.clear();
             for (int k = 1; k <= 8; ++k) o.entries.push_back({k, "6ES7 341-1AH01-0AE" + std::to_string(k), "V1.0.0"});
         }, nullptr, nullptr, {2026, 2035}, 6},
        {"mlfb_2 of 11 characters", [](samplefw::Options& o) { o.entries[1].orderNo = "6ES7 341-1A"; }, nullptr, nullptr,
         {2020, 2034}, 0},
        {"mlfb_1 of 11 characters", [](samplefw::Options& o) { o.entries[0].orderNo = "6ES7 341-1A"; }, nullptr, nullptr,
         {2020, 2034}, 0},
        {"no entries", [](samplefw::Options& o) { o.declaredEntries = 0; }, nullptr, nullptr, {2020, 2034}, 0},
        {"fewer entries than declared", [](samplefw::Options& o) { o.declaredEntries = 3; }, nullptr, nullptr,
         {2020, 2034}, 0},
        {"selector out of range", [](samplefw::Options& o) { o.structureSelector = 256; }, nullptr, nullptr,
         {2020, 2034}, 0},
        {"header in another case", nullptr, "Header.upd", [](const support::ScratchDir& d) {
             std::filesystem::rename(d / "header.upd", d / "Header.upd");
         }, {2021, 2034}, 0},
        {"index file missing", nullptr, nullptr, [](const support::ScratchDir& d) { std::filesystem::remove(d / "header.upd"); },
         {2021, 2034}, 0},
        {"no reference to the description", nullptr, nullptr, [](const support::ScratchDir& d) {
             writeFile(d, "header.upd", "[BG_ABL]\nfile_name_1=other\n[komp_1]\nfile_name_1=cpfw01\n");
         }, {2024, 2034}, 0},
        {"image name of five characters", nullptr, nullptr, [](const support::ScratchDir& d) {
             writeFile(d, "header.upd", "[bg_abl]\nFILE_NAME_1=bg_abl\n[komp_1]\nfile_name_1=cpfw1\n");
         }, {2025, 2034}, 0},
        {"description missing", nullptr, nullptr, [](const support::ScratchDir& d) { std::filesystem::remove(d / "bg_abl.upd"); },
         {2022, 2034}, 0},
        {"description of another component", nullptr, nullptr, [](const support::ScratchDir& d) {
             writeFile(d, "bg_abl.upd", "[bg_abl]\nkomp_name=other\nanzahl_einträge=1\nstrukturselektor=1\n");
         }, {2020, 2034}, 0},
        {"image missing", nullptr, nullptr, [](const support::ScratchDir& d) { std::filesystem::remove(d / "cpfw01.upd"); },
         {2023, 2034}, 0},
    };
    for (const auto& c : cases) {
        samplefw::Options o;
        if (c.change) c.change(o);
        UpdateSetDir set(o);
        if (c.damage) c.damage(set.dir);
        StationLink link;
        RecordingView view;
        support::MemoryRegistry registry;
        const std::string path = c.pathTail ? (set.dir.path / c.pathTail).string() : set.header();
        FirmwareTransfer transfer(link.channel.get(), target(true), path, view, &registry);
        const auto run = RunToEnd(transfer);
        EXPECT_EQ(view.ids(), c.messages) << c.what;
        EXPECT_TRUE(run.outcome.closeDialog) << c.what;
        if (c.entriesSent == 0) {
            EXPECT_TRUE(link.firmware->Jobs().empty()) << c.what << ": nothing is written before the set is taken";
            EXPECT_TRUE(registry.values.empty()) << c.what;
            EXPECT_EQ(view.sendingStarts, 0) << c.what;
        } else {
            EXPECT_EQ(link.firmware->Introduction()[10], c.entriesSent) << c.what;
            EXPECT_EQ(link.firmware->Image(), samplefw::MakeImage(o.size)) << c.what;
        }
    }
}

TEST(FirmwareTransfer, NoToTheQuestionSendsNothing) {
    UpdateSetDir set;
    StationLink link;
    RecordingView view;
    view.answerYes = false;
    FirmwareTransfer transfer(link.channel.get(), target(true), set.header(), view, nullptr);
    const auto run = RunToEnd(transfer);
    EXPECT_EQ(view.ids(), std::vector<int>{2034});
    EXPECT_TRUE(link.firmware->Jobs().empty());
    EXPECT_FALSE(run.outcome.firmwareMissing);
}

// The controller's state and the connection decide whether anything starts.
TEST(FirmwareTransfer, ConnectionAndControllerState) {
    UpdateSetDir set;
    struct Case {
        const char* what;
        bool connected;
        int stateBits;
        bool moduleWithoutFirmware;
        std::vector<int> messages;
        bool closeDialog;
    };
    const Case cases[] = {
        {"not connected", false, cpsim::kStop, true, {2002}, true},
        {"RUN", true, cpsim::kRun, false, {2003}, false},
        {"no known state", true, 5, true, {2003}, false},
        {"STOP by bits 1", true, 1, false, {2035}, true},
    };
    for (const auto& c : cases) {
        StationLink link;
        link.station.SetState(c.stateBits);
        RecordingView view;
        online::FirmwareTarget t = target(true);
        t.moduleWithoutFirmware = c.moduleWithoutFirmware;
        FirmwareTransfer transfer(c.connected ? link.channel.get() : nullptr, t, set.header(), view, nullptr);
        const auto run = RunToEnd(transfer);
        EXPECT_EQ(view.ids(), c.messages) << c.what;
        EXPECT_EQ(run.outcome.closeDialog, c.closeDialog) << c.what;
        if (c.messages.front() != 2035) {
            EXPECT_EQ(run.outcome.firmwareMissing, c.moduleWithoutFirmware) << c.what;
            EXPECT_TRUE(link.firmware->Jobs().empty()) << c.what;
        }
    }
}

TEST(FirmwareTransfer, UnreadableControllerStateEndsWith2037) {
    UpdateSetDir set;
    StationLink link;
    link.station.SetSzl(0x0424, {0x04, 0x24, 0, 0});  // too short to hold the state
    RecordingView view;
    FirmwareTransfer transfer(link.channel.get(), target(true), set.header(), view, nullptr);
    RunToEnd(transfer);
    EXPECT_EQ(view.ids(), std::vector<int>{2037});
}

// How the module answers decides how the transfer ends; every end with bytes left says 2034,
// writes the idle job and marks the module as possibly without firmware.
TEST(FirmwareTransfer, ModuleAnswers) {
    using Opt = cpsim::FirmwareRecords::Options;
    struct Case {
        const char* what;
        Opt options;
        std::vector<int> messages;
        bool complete;
        bool missing;  // the module may be without firmware afterwards
        std::vector<int> waits;
    };
    auto opt = [](auto set) {
        Opt o;
        set(o);
        return o;
    };
    const std::vector<int> tenWaits(10, 1000);
    const Case cases[] = {
        {"untouched answers", opt([](Opt& o) { o.untouchedAnswers = -1; }), {2004, 2034}, false, false, tenWaits},
        // the count runs over the idle job and the introduction, and starts again with every block
        {"five untouched answers per job", opt([](Opt& o) { o.untouchedAnswers = 5; }), {2035}, true, false,
         std::vector<int>(5 * 8, 1000)},
        {"busy 100 times per job", opt([](Opt& o) { o.busyAnswers = 100; }), {2035}, true, false, {}},
        {"busy 101 times", opt([](Opt& o) { o.busyAnswers = 101; }), {2005, 2034}, false, false, {}},
        {"not responding", opt([](Opt& o) { o.introStatus = 2; }), {2005, 2034}, false, true, {}},
        {"wrong module type", opt([](Opt& o) { o.introStatus = 18; }), {2028, 2034}, false, true, {}},
        {"wrong module state", opt([](Opt& o) { o.introStatus = 34; }), {2029, 2034}, false, true, {}},
        {"wrong mode", opt([](Opt& o) { o.introStatus = 66; }), {2030, 2034}, false, true, {}},
        {"undefined status", opt([](Opt& o) { o.blockStatus = 5; }), {2006, 2034}, false, true, {}},
        {"wrong block number", opt([](Opt& o) { o.wrongBlock = 7; }), {2040, 2034}, false, true, {}},
        {"one stale acknowledgement", opt([](Opt& o) { o.staleAnswers = 1; }), {2035}, true, false, {}},
        {"three stale acknowledgements", opt([](Opt& o) { o.staleAnswers = 3; }), {2018, 2035}, true, false, {}},
        {"stale acknowledgements without end", opt([](Opt& o) { o.staleAnswers = 100000; }), {2018, 2005, 2034}, false, true, {}},
        {"reset first", opt([](Opt& o) { o.resetFirst = true; }), {2035}, true, false, {1000, 1000}},
        {"idle job not taken", opt([](Opt& o) { o.failWrite = 1; }), {2018}, false, true, {}},
        {"first data block not taken", opt([](Opt& o) { o.failWrite = 3; }), {2018, 2034}, false, true, {}},
        {"answer unreadable", opt([](Opt& o) { o.failRead = 2; }), {2017, 2034}, false, true, {}},
    };
    for (const auto& c : cases) {
        samplefw::Options o;
        o.size = 1000;
        UpdateSetDir set(o);
        StationLink link(c.options);
        RecordingView view;
        FirmwareTransfer transfer(link.channel.get(), target(true), set.header(), view, nullptr);
        const auto run = RunToEnd(transfer);
        EXPECT_EQ(view.ids(), c.messages) << c.what;
        EXPECT_EQ(run.outcome.success, c.complete) << c.what;
        EXPECT_EQ(run.outcome.firmwareMissing, c.missing) << c.what;
        EXPECT_EQ(run.waits, c.waits) << c.what;
        if (c.complete) {
            EXPECT_EQ(link.firmware->Image(), samplefw::MakeImage(o.size)) << c.what;
        }
        if (!c.complete && c.messages.back() == 2034) {
            EXPECT_EQ(link.firmware->Jobs().back().command, 0) << c.what;
        }
    }
}

TEST(FirmwareTransfer, WrongBlockNamesBothNumbers) {
    cpsim::FirmwareRecords::Options options;
    options.wrongBlock = 7;
    UpdateSetDir set;
    StationLink link(options);
    RecordingView view;
    FirmwareTransfer transfer(link.channel.get(), target(false), set.header(), view, nullptr);
    RunToEnd(transfer);
    ASSERT_FALSE(view.shown.empty());
    EXPECT_EQ(view.shown[0].inserts, (std::vector<std::string>{"2", "7"}));
    EXPECT_EQ(transfer.BlocksWritten(), std::vector<std::uint16_t>{2}) << "nothing more is sent after a wrong number";
}

TEST(FirmwareTransfer, CancelEndsAtTheNextPoll) {
    samplefw::Options o;
    o.size = 2000;
    UpdateSetDir set(o);
    StationLink link;
    RecordingView view;
    FirmwareTransfer transfer(link.channel.get(), target(true), set.header(), view, nullptr);
    while (transfer.BlocksWritten().size() < 2) ASSERT_FALSE(transfer.Next().done);
    transfer.Cancel();
    const auto run = RunToEnd(transfer);
    EXPECT_EQ(view.ids(), std::vector<int>{2034});
    EXPECT_TRUE(run.outcome.firmwareMissing);
    EXPECT_FALSE(run.outcome.success);
    EXPECT_EQ(link.firmware->Jobs().back().command, 0) << "the idle job after a cancel";
    EXPECT_EQ(transfer.BlocksWritten().size(), 2u);
}

TEST(FirmwareTransfer, DiagnosticFieldsWhenTheSetAsksForThem) {
    samplefw::Options o;
    o.diagnostics = true;
    o.size = 10;
    UpdateSetDir set(o);
    StationLink link;
    RecordingView view;
    online::FirmwareTarget t = target(true);
    t.mpiAddress = 3;
    FirmwareTransfer transfer(link.channel.get(), t, set.header(), view, nullptr);
    RunToEnd(transfer);
    auto has = [&view](int control, const std::string& text) {
        return std::find(view.diagnostics.begin(), view.diagnostics.end(), std::make_pair(control, text)) != view.diagnostics.end();
    };
    EXPECT_TRUE(has(1440, "MPI-Adr.:"));
    EXPECT_TRUE(has(1442, "3"));
    EXPECT_TRUE(has(1443, std::to_string(fwtest::kModuleAddress)));
    EXPECT_TRUE(has(1436, "BG-Idle      0"));
    EXPECT_TRUE(has(1436, "Typ Select  8"));
    EXPECT_TRUE(has(1436, "BG_Daten    4"));
    EXPECT_TRUE(has(1436, "BG-Reset   9"));

    RecordingView quiet;
    UpdateSetDir plain;
    StationLink link2;
    FirmwareTransfer transfer2(link2.channel.get(), t, plain.header(), quiet, nullptr);
    RunToEnd(transfer2);
    EXPECT_TRUE(quiet.diagnostics.empty());
}

}  // namespace
