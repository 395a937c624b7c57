// The driver files as the installation check reads them: the record chain of the code,
// firmware and protocol files, the description file and the section name of a module.
#include <gtest/gtest.h>

#include <fstream>

#include "document/driver_files.h"
#include "tests/document/driver_fixture.h"
#include "tests/support/scratch_dir.h"

namespace {

using drvtest::Rec;

std::vector<uint8_t> chain(const std::vector<Rec>& records) {
    std::vector<uint8_t> out;
    for (const Rec& r : records) {
        const auto h = drvtest::Head(r);
        const auto b = drvtest::Body(r);
        out.insert(out.end(), h.begin(), h.end());
        out.insert(out.end(), b.begin(), b.end());
    }
    return out;
}

std::string name(const drv::DriverRecord& r) { return std::string(r.name.begin(), r.name.end()); }

}  // namespace

TEST(DriverModulePattern, OrderNumberToSection) {
    const std::pair<const char*, const char*> cases[] = {
        {"9qx4 731-1ke02-0ab0", "9QX4_731_1KE02_0AB0"},  // first blank, first two hyphens
        {"9QX4 731-1L", "9QX4_731_1L"},
        {"9QX4-731-1KE02-0AB0", "9QX4_731_1KE02-0AB0"},  // two hyphens only, no blank
        {"9QX4 831-2KK05", "9QX4_831_2KK02"},            // a CP 831-2 above version 02 reads 02
        {"9QX4 831-2KK03-0XY9", "9QX4_831_2KK02_0XY9"},
        {"9QX4 831-2KK01", "9QX4_831_2KK01"},            // below: kept
        {"9QX4 831-2KK0", "9QX4_831_2KK0"},              // no character behind the fragment
        {"9QX4 831-1KK05", "9QX4_831_1KK05"},            // only the CP 831-2
    };
    for (const auto& [order, pattern] : cases) EXPECT_EQ(drv::ModulePattern(order), pattern) << order;
}

TEST(DriverDescription, SectionsEntriesAndValues) {
    const std::string text =
        "; Beschreibung\r\n"
        "[9QX4_731_1KE02]\r\n"
        "kp_typ = 1a2b\r\n"              // compared in upper case, hexadecimal
        "KP_VERS= 2.10\r\n"
        "SCC_TYP=0x0FFF\r\n"
        "SCC_VERS=  1. 3\r\n"             // blanks before each number
        "PTP_TYP=0\r\n"
        "[9QX4_831_2KK02]\r\n"
        "KP_TYP=7777\r\n"
        "PTP_TYP=3001\r\n";
    const auto d = drv::ParseDescription(text, "9qx4_731_1ke02");
    EXPECT_TRUE(d.found);
    EXPECT_EQ(d.code.type, 0x1A2Bu);
    EXPECT_EQ(d.code.version, (drv::Version{2, 10}));
    EXPECT_EQ(d.firmware.type, 0x0FFFu);
    EXPECT_EQ(d.firmware.version, (drv::Version{1, 3}));
    EXPECT_EQ(d.protocol.type, 0u);
    EXPECT_EQ(d.partsMask, 4 | 1);  // code and firmware, no protocol part

    const auto other = drv::ParseDescription(text, "9QX4_831_2KK02");
    EXPECT_TRUE(other.found);
    EXPECT_EQ(other.code.type, 0x7777u);
    EXPECT_EQ(other.partsMask, 4 | 2);

    EXPECT_FALSE(drv::ParseDescription(text, "9QX4_730").found);
    EXPECT_EQ(drv::ParseDescription(text, "9QX4_730").partsMask, 0);
}

TEST(DriverDescription, VersionsOutOfRangeOrMalformedAreNone) {
    for (const char* v : {"256.0", "1.256", "-1.0", "1", "1,2", "x.1", ""}) {
        const auto d = drv::ParseDescription(std::string("[M]\nKP_TYP=1\nKP_VERS=") + v + "\n", "M");
        EXPECT_FALSE(d.code.version.has_value()) << v;
        EXPECT_EQ(d.code.type, 1u);
    }
    EXPECT_EQ(drv::ParseDescription("[M]\nKP_VERS=255.0\n", "M").code.version, (drv::Version{255, 0}));
}

TEST(DriverDescription, LinesAndSectionEnds) {
    // A line longer than 80 characters is read as two: an entry behind column 80 stands on a
    // line of its own, and a key cut in two is no key.
    const std::string pad(76, ' ');
    auto d = drv::ParseDescription("[M]\n" + pad + "KP_TYP=12\n" + pad + "XXXXPTP_TYP=5\n", "M");
    EXPECT_EQ(d.code.type, 0u);      // "KP_T" | "YP=12": cut
    EXPECT_EQ(d.protocol.type, 5u);  // "PTP_TYP=5" starts the second piece

    // The "[" line that ends a section is no header itself, even when it names the module;
    // the search goes on behind it.
    d = drv::ParseDescription("[M]\nKP_TYP=1\n[M again]\nKP_TYP=2\n[X]\n[M]\nSCC_TYP=3\n", "M");
    EXPECT_EQ(d.code.type, 1u);
    EXPECT_EQ(d.firmware.type, 3u);
    // A header that does not start with "[" is a header all the same.
    d = drv::ParseDescription("Modul M:\nKP_TYP=9\n", "M");
    EXPECT_TRUE(d.found);
    EXPECT_EQ(d.code.type, 9u);
    // Entries before any section and lines without "=" carry nothing.
    d = drv::ParseDescription("KP_TYP=1\n[M]\nKP_TYP\nSCC_TYP=4\n", "M");
    EXPECT_EQ(d.code.type, 0u);
    EXPECT_EQ(d.firmware.type, 4u);
}

TEST(DriverDescription, FileReadsAsText) {
    support::ScratchDir dir("ptp_desc");
    EXPECT_FALSE(drv::ReadDescriptionFile((dir / "missing.cpz").string(), "M").has_value());
    const std::string pad(90, '-');
    std::ofstream(dir / "d.cpz", std::ios::binary) << "[M]\n" << pad << "\nKP_TYP=ab\r\nKP_VERS=1.2";
    const auto d = drv::ReadDescriptionFile((dir / "d.cpz").string(), "M");
    ASSERT_TRUE(d.has_value());
    EXPECT_EQ(d->code.type, 0xABu);
    EXPECT_EQ(d->code.version, (drv::Version{1, 2}));  // the last line without its newline
}

TEST(DriverRecords, WalkFindsTheFirstMatchByTheChain) {
    const std::vector<Rec> records = {{"AAAAAAAA", 1, 0, 0x10, 1, 0}, {"BBBBBBBB", 2, 3, 0x20, 2, 17}, {"CCCCCCCC", 4, 5, 0x20, 4, 300}};
    const auto file = chain(records);
    std::vector<uint64_t> seen;
    auto r = drv::FindRecord(file, [&](const drv::DriverRecord& rec) {
        seen.push_back(rec.offset);
        return rec.type == 0x20 && rec.hwBits == 4;
    });
    ASSERT_EQ(r.result, drv::WalkResult::Found);
    EXPECT_EQ(seen, (std::vector<uint64_t>{0, 64, 64 + 64 + 17}));
    EXPECT_EQ(name(r.record), "CCCCCCCC");
    EXPECT_EQ(r.record.verHi, 4);
    EXPECT_EQ(r.record.verLo, 5);
    EXPECT_EQ(r.record.bodyLength, 300);
    EXPECT_EQ(r.record.offset, 145u);

    EXPECT_EQ(drv::FindRecord(file, [](const drv::DriverRecord&) { return false; }).result, drv::WalkResult::NoMatch);
    EXPECT_EQ(drv::FindRecord(std::span<const uint8_t>{}, [](const drv::DriverRecord&) { return true; }).result,
              drv::WalkResult::NoMatch);
}

TEST(DriverRecords, ARecordBeyondTheFileEndsTheWalk) {
    // the record that would match claims one byte more than the file holds: no match, and the
    // matcher never sees it
    Rec cut{"CUTCUTCU", 1, 0, 0x20, 1, 50};
    cut.writtenBody = 49;
    auto file = chain({{"FIRST000", 1, 0, 0x10, 1, 10}, cut});
    int asked = 0;
    auto all = [&](const drv::DriverRecord&) { return ++asked == 2; };
    EXPECT_EQ(drv::FindRecord(file, all).result, drv::WalkResult::NoMatch);
    EXPECT_EQ(asked, 1);
    // a head cut short behind a whole record
    file = chain({{"FIRST000", 1, 0, 0x10, 1, 10}});
    file.resize(file.size() + 63, 0);
    asked = 0;
    EXPECT_EQ(drv::FindRecord(file, all).result, drv::WalkResult::NoMatch);
    EXPECT_EQ(asked, 1);
    // the largest body length walks past the end without wrapping round
    Rec huge{"HUGEHUGE", 1, 0, 0x10, 1, 0xFFFF};
    huge.writtenBody = 0;
    file = chain({huge});
    EXPECT_EQ(drv::FindRecord(file, [](const drv::DriverRecord&) { return true; }).result, drv::WalkResult::NoMatch);
}

TEST(DriverRecords, FileWalkAndBody) {
    support::ScratchDir dir("ptp_records");
    const std::vector<Rec> records = {{"AAAAAAAA", 1, 0, 0x10, 1, 5}, {"BBBBBBBB", 2, 3, 0x20, 2, 70}};
    drvtest::WriteDriverFile(dir / "f.kpc", records);
    const std::string path = (dir / "f.kpc").string();
    EXPECT_FALSE(drv::FindRecordInFile((dir / "none").string(), [](const drv::DriverRecord&) { return true; }).has_value());
    auto r = drv::FindRecordInFile(path, [](const drv::DriverRecord& rec) { return rec.type == 0x20; });
    ASSERT_TRUE(r.has_value());
    ASSERT_EQ(r->result, drv::WalkResult::Found);
    EXPECT_EQ(r->record.offset, 69u);

    EXPECT_EQ(drv::ReadRecordBody(path, 69, 70), drvtest::Body(records[1]));
    EXPECT_FALSE(drv::ReadRecordBody(path, 69, 71).has_value());  // the head names another length
    EXPECT_FALSE(drv::ReadRecordBody(path, 70, 70).has_value());  // no record there
    EXPECT_FALSE(drv::ReadRecordBody(path, 1u << 20, 0).has_value());
}
