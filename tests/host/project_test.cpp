#include <gtest/gtest.h>
#include <sqlite3.h>

#include <fstream>

#include "host/aut.h"
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
