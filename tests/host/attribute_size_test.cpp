// A binary attribute far larger than any buffer a caller has (another program may have put it
// there) is read only as far as the buffer reaches.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <vector>

#include "host/aut.h"
#include "tests/support/scratch_dir.h"

namespace {

constexpr long kAttr = 110706;
constexpr int kStored = 16 * 1024 * 1024;

}  // namespace

TEST(ProjectFile, OversizedBinaryAttributeIsReadOnlyAsFarAsTheBuffer) {
    support::ScratchDir dir("ptp_attr");
    const std::string path = (dir.path / "P1.qorb").string();
    host::ObjectHandle module = 0;
    {
        auto p = host::Project::open(path, true);
        ASSERT_TRUE(p);
        module = p->create({1322001, 1, 3, 1, 1, 1}, "CP", 0, 0);
        ASSERT_NE(module, 0);
    }
    // 16 MiB, written as another program would, past the limit the project itself keeps to
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const std::string insert = "INSERT INTO attributes (handle, attr, kind, value) VALUES (" +
                                   std::to_string(module) + ", " + std::to_string(kAttr) + ", " +
                                   std::to_string(static_cast<int>(host::AttrKind::Binary)) + ", zeroblob(" +
                                   std::to_string(kStored) + "))";
        ASSERT_EQ(sqlite3_exec(db, insert.c_str(), nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
        sqlite3_blob* blob = nullptr;
        ASSERT_EQ(sqlite3_blob_open(db, "main", "attributes", "value", sqlite3_last_insert_rowid(db), 1, &blob), SQLITE_OK);
        const uint8_t head[] = {0x70, 0x71, 0x72};
        ASSERT_EQ(sqlite3_blob_write(blob, head, sizeof head, 0), SQLITE_OK);
        ASSERT_EQ(sqlite3_blob_write(blob, head, sizeof head, kStored - 3), SQLITE_OK);
        sqlite3_blob_close(blob);
        sqlite3_close(db);
    }
    host::setCurrentProject(host::Project::open(path, false));
    ASSERT_TRUE(host::currentProject());
    if (sqlite3_memory_used() == 0) GTEST_SKIP() << "SQLite keeps no memory figures";

    struct Case {
        long capacity;
        std::vector<uint8_t> head;
    };
    const Case cases[] = {
        {65536, {0x70, 0x71, 0x72}},
        {2, {0x70, 0x71}},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> buffer(static_cast<size_t>(c.capacity), 0xEE);
        sqlite3_memory_highwater(1);
        const sqlite3_int64 before = sqlite3_memory_used();
        EXPECT_EQ(AUTGetLongBinaryAttribute(module, kAttr, buffer.data(), c.capacity), c.capacity);
        EXPECT_LT(sqlite3_memory_highwater(0) - before, 4 * 1024 * 1024);
        EXPECT_TRUE(std::equal(c.head.begin(), c.head.end(), buffer.begin()));
    }
    // the project's own reading keeps to the same limit
    sqlite3_memory_highwater(1);
    const sqlite3_int64 before = sqlite3_memory_used();
    const auto value = host::currentProject()->binary(module, kAttr);
    EXPECT_LT(sqlite3_memory_highwater(0) - before, 4 * 1024 * 1024);
    ASSERT_TRUE(value);
    EXPECT_EQ(value->size(), host::Project::kMaxBinary);
    host::setCurrentProject(nullptr);
}
