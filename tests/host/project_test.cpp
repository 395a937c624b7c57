#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "host/aut.h"
#include "tests/support/full_disk.h"
#include "tests/support/memory_project.h"
#include "tests/support/message_recorder.h"
#include "tests/support/scratch_dir.h"

namespace {

// The project of every start: P1, station S1, the module linked to its station.
struct InMemory : ::testing::Test {
    support::MemoryProject memory;
    host::ObjectHandle env = memory.env, station = memory.station, module = memory.module;
    void SetUp() override { ASSERT_TRUE(memory.project().link(station, 1, module)); }
};

}  // namespace

TEST_F(InMemory, ObjectsIdentifiersAndRelations) {
    EXPECT_EQ(AUTGetObject(1322001, 1, 3, 1, 1, 1), module);
    EXPECT_EQ(AUTGetObject(1322001, 1, 3, 1, 1, 2), 0);
    EXPECT_EQ(AUTGetObjectType(module), 1322001);
    EXPECT_EQ(AUTGetUnitID(module), 1);
    EXPECT_EQ(AUTGetEnvID(module), 1);
    EXPECT_EQ(AUTHwGethHwStation(module), station);
    EXPECT_EQ(AUTGetEnvObject(station), env);
    std::string name;
    EXPECT_EQ(AUTGetName(station, name), 0);
    EXPECT_EQ(name, "S1");
    EXPECT_LT(AUTGetName(999, name), 0);

    AutObjectArray* arr = AUTObjectArrayCreate();
    EXPECT_EQ(AUTGetLinkedObjects(station, 0, 0, arr), 1);
    EXPECT_EQ(AUTObjectArraySize(arr), 1);
    EXPECT_EQ(AUTObjectArrayGetAt(arr, 0), module);
    EXPECT_EQ(AUTObjectArrayGetAt(arr, 5), 0);
    EXPECT_LT(AUTGetLinkedObjects(999, 0, 0, arr), 0);
    AUTObjectArrayDelete(arr);
}

TEST_F(InMemory, Attributes) {
    std::vector<uint8_t> block(65536);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7);
    EXPECT_EQ(AUTSetLongBinaryAttribute(module, kAttrParameterBlock, block.data(), 65536), 65536);
    std::vector<uint8_t> back(65536);
    EXPECT_EQ(AUTGetLongBinaryAttribute(module, kAttrParameterBlock, back.data(), 65536), 65536);
    EXPECT_EQ(back, block);
    // a smaller buffer gets only what fits
    uint8_t small[10];
    EXPECT_EQ(AUTGetLongBinaryAttribute(module, kAttrParameterBlock, small, 10), 10);
    // too long, missing object, missing attribute
    std::vector<uint8_t> big(65537);
    EXPECT_LT(AUTSetLongBinaryAttribute(module, kAttrParameterBlock, big.data(), 65537), 0);
    EXPECT_LT(AUTSetLongBinaryAttribute(999, kAttrParameterBlock, block.data(), 10), 0);
    EXPECT_LT(AUTGetLongBinaryAttribute(module, 4711, back.data(), 10), 1);
    EXPECT_LT(AUTGetLongBinaryAttribute(0, kAttrParameterBlock, back.data(), 10), 1);
    // the failed write left the old value whole
    EXPECT_EQ(AUTGetLongBinaryAttribute(module, kAttrParameterBlock, back.data(), 65536), 65536);
    EXPECT_EQ(back, block);

    long l = 0;
    EXPECT_EQ(AUTSetLongAttribute(module, 110660, 16), 0);
    EXPECT_EQ(AUTGetLongAttribute(module, 110660, l), 0);
    EXPECT_EQ(l, 16);
    uint8_t b = 0;
    EXPECT_LT(AUTGetByteAttribute(module, 110660, b), 0);  // stored as a long, not a byte
    ASSERT_TRUE(host::currentProject()->setByte(module, kAttrSubnet, 3));
    EXPECT_EQ(AUTGetByteAttribute(module, kAttrSubnet, b), 0);
    EXPECT_EQ(b, 3);
    std::string s;
    EXPECT_EQ(AUTSetStringAttribute(module, 50, "TARVIK Y5"), 0);
    EXPECT_EQ(AUTGetStringAttribute(module, 50, s), 0);
    EXPECT_EQ(s, "TARVIK Y5");
    EXPECT_LT(AUTSetStringAttribute(0, 50, "x"), 0);
    // the failed writes above are pending until the host shows them
    support::MessageRecorder rec;
    EXPECT_NE(AUTSaveObjectSet(1), 0);
    AUTFlushDelayedError(0, 1);
    EXPECT_EQ(rec.shown.size(), 1u);
    EXPECT_EQ(AUTSaveObjectSet(1), 0);
}

TEST(ProjectFile, FailuresGiveHostResults) {
    support::ScratchDir dir("ptp_host");
    support::MessageRecorder messages;

    std::string error;
    EXPECT_FALSE(host::Project::open((dir.path / "missing.qorb").string(), false, &error));
    EXPECT_NE(error.find("missing.qorb"), std::string::npos);

    const auto garbage = dir.path / "garbage.qorb";
    std::ofstream(garbage) << "this is not a database, just some text that is long enough to be read";
    EXPECT_FALSE(host::Project::open(garbage.string(), false, &error));

    // no project at all: null handles, failed reads, failed writes, no object set
    host::setCurrentProject(nullptr);
    EXPECT_EQ(AUTOpenObjectSet(2), 0);
    EXPECT_EQ(AUTGetObject(1, 1, 0, 0, 0, 0), 0);
    uint8_t buf[4];
    EXPECT_LT(AUTGetLongBinaryAttribute(1, kAttrParameterBlock, buf, 4), 1);
    EXPECT_LT(AUTSetLongBinaryAttribute(1, kAttrParameterBlock, buf, 4), 0);
    EXPECT_NE(AUTSaveObjectSet(1), 0);
}

TEST(ProjectFile, LockedDatabaseFailsTheWriteAndKeepsTheOldValue) {
    support::ScratchDir dir("ptp_host");
    support::MessageRecorder messages;
    const std::string path = (dir.path / "p.qorb").string();
    {
        auto p = host::Project::open(path, true);
        ASSERT_TRUE(p);
        auto m = p->create({5, 5, 0, 0, 0, 0}, "M", 0, 0);
        const uint8_t old[] = {1, 2, 3};
        ASSERT_TRUE(p->setBinary(m, kAttrParameterBlock, old, 3));
    }
    host::setCurrentProject(host::Project::open(path, false));
    HAUTOBJ m = AUTGetObject(5, 5, 0, 0, 0, 0);
    ASSERT_NE(m, 0);

    // another program holds the write lock
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    const uint8_t neu[] = {9, 9};
    EXPECT_LT(AUTSetLongBinaryAttribute(m, kAttrParameterBlock, neu, 2), 0);
    AUTFlushDelayedError(0, 1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].text.find("Projekt"), std::string::npos);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    uint8_t back[8] = {};
    EXPECT_EQ(AUTGetLongBinaryAttribute(m, kAttrParameterBlock, back, 8), 3);
    EXPECT_EQ(back[2], 3);
    host::setCurrentProject(nullptr);
}

namespace {

// A project file with one object and a stored block, and a second connection to it that can
// play the other program.
struct ProjectOnDisk : ::testing::Test {
    support::ScratchDir dir{"ptp_host"};
    support::MessageRecorder messages;
    std::string path = (dir.path / "p.qorb").string();
    sqlite3* other = nullptr;

    void SetUp() override {
        auto p = host::Project::open(path, true);
        ASSERT_TRUE(p);
        auto m = p->create({5, 5, 0, 0, 0, 0}, "M", 0, 0);
        const uint8_t old[] = {1, 2, 3};
        ASSERT_TRUE(p->setBinary(m, kAttrParameterBlock, old, 3));
        ASSERT_EQ(sqlite3_open(path.c_str(), &other), SQLITE_OK);
    }
    void TearDown() override {
        sqlite3_close(other);
        host::setCurrentProject(nullptr);
    }
    void otherRuns(const char* sql) { ASSERT_EQ(sqlite3_exec(other, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sql; }
};

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

// Locked, damaged and not a project at all are told apart when the project is opened.
TEST_F(ProjectOnDisk, OpeningTellsLockedFromDamaged) {
    const auto garbage = dir.path / "garbage.qorb";
    std::ofstream(garbage) << "this is not a database, just some text that is long enough to be read";
    const auto foreign = (dir.path / "foreign.qorb").string();
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(foreign.c_str(), &db), SQLITE_OK);
        sqlite3_exec(db, "CREATE TABLE t(x)", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    struct Case {
        std::string what, path;
        bool lock;
        const char* says;
        const char* never;
    };
    const Case cases[] = {
        {"another program writes", path, true, "ist gesperrt", "beschädigt"},
        {"text file", garbage.string(), false, "ist keine Projektdatei oder beschädigt", "gesperrt"},
        {"database of something else", foreign, false, "ist keine Projektdatei oder beschädigt", "gesperrt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.lock) otherRuns("BEGIN EXCLUSIVE");
        std::string error;
        EXPECT_FALSE(host::Project::open(c.path, false, &error));
        if (c.lock) otherRuns("ROLLBACK");
        EXPECT_EQ(error.rfind("Projekt " + c.path + " ", 0), 0u) << error;
        EXPECT_TRUE(has(error, c.says)) << error;
        EXPECT_FALSE(has(error, c.never)) << error;
    }
    // once the other program is done, the same project opens
    EXPECT_TRUE(host::Project::open(path, false));
}

// A failed write reports why it failed, never what the clean-up after it said; and the old
// value stays whole.
TEST_F(ProjectOnDisk, FailedWriteNamesItsFirstCause) {
    struct Case {
        const char* what;
        bool fill;         // the disk is full
        const char* lock;  // what the other program holds, or null
        host::ProjectFault fault;
        const char* says;
    };
    const Case cases[] = {
        {"disk full", true, nullptr, host::ProjectFault::Full, "kein Platz mehr auf dem Datenträger"},
        {"another program writes", false, "BEGIN IMMEDIATE", host::ProjectFault::Locked, "gesperrt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        support::FullDisk disk;
        host::setCurrentProject(host::Project::open(path, false));
        ASSERT_NE(host::currentProject(), nullptr);
        HAUTOBJ m = AUTGetObject(5, 5, 0, 0, 0, 0);
        ASSERT_NE(m, 0);
        if (c.fill) disk.fill();
        if (c.lock) otherRuns(c.lock);

        std::vector<uint8_t> neu(20000, 0x55);  // more than one page, so it cannot fit in place
        EXPECT_LT(AUTSetLongBinaryAttribute(m, kAttrParameterBlock, neu.data(), static_cast<long>(neu.size())), 0);
        host::Project& p = *host::currentProject();
        EXPECT_EQ(p.lastFault(), c.fault) << p.lastError();
        EXPECT_TRUE(has(p.lastError(), c.says)) << p.lastError();
        EXPECT_FALSE(has(p.lastError(), "rollback")) << p.lastError();
        AUTFlushDelayedError(0, 1);
        ASSERT_EQ(messages.shown.size(), 1u);
        EXPECT_TRUE(has(messages.shown[0].text, c.says)) << messages.shown[0].text;
        messages.shown.clear();

        if (c.lock) otherRuns("ROLLBACK");
        disk.clear();
        uint8_t back[8] = {};
        EXPECT_EQ(AUTGetLongBinaryAttribute(m, kAttrParameterBlock, back, 8), 3);
        EXPECT_EQ(back[2], 3);
        host::setCurrentProject(nullptr);
    }
}
