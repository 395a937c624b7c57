// The update files as read (profile form, encodings, the selected set) and the module version
// read through SZL 0x0011 and the identification records.
#include <gtest/gtest.h>

#include <fstream>

#include "online/firmware_version.h"
#include "online/update_files.h"
#include "tests/online/firmware_fixture.h"
#include "tests/support/scratch_dir.h"
#include "tools/cpsim/ident_records.h"

namespace {

TEST(UpdateFiles, ProfileNamesIgnoreCaseAndTheEncodingOfUmlauts) {
    const std::string text =
        "; comment\r\n[BG_ABL]\r\n  KOMP_NAME = \"bg_abl\" \r\nanzahl_eintr\xE4ge=7abc\r\n[n_Eintr\xC3\x84ge]\r\nmlfb_1=x\r\n"
        "[bg_abl]\r\nkomp_name=second\r\n";
    const auto p = online::Profile::Parse(text);
    EXPECT_EQ(p.Get("bg_abl", "komp_name", 19), "bg_abl");
    EXPECT_EQ(p.GetNumber("bg_abl", "anzahl_einträge"), 7);
    EXPECT_EQ(p.Get("n_einträge", "MLFB_1", 19), "x");
    EXPECT_EQ(p.Get("bg_abl", "missing", 19), std::nullopt);
    EXPECT_EQ(p.Get("n_einträge", "komp_name", 19), std::nullopt);
    EXPECT_EQ(p.Get("bg_abl", "komp_name", 3), "bg_");
}

TEST(UpdateFiles, VersionAndOrderNumberBytes) {
    struct Case {
        const char* text;
        std::array<std::uint8_t, 4> bytes;
    };
    const Case cases[] = {
        {"V2.1.3", {'V', 2, 1, 3}}, {"V255.0.10", {'V', 255, 0, 10}}, {"X0.0.0", {'X', 0, 0, 0}},
        {"V256.0.0", {}},           {"V2.1", {}},                     {"V2.1.3.4", {}},
        {"2.1.3", {}},              {"V2..3", {}},                    {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(online::EncodeVersion(c.text), c.bytes) << c.text;

    EXPECT_EQ(online::EncodeOrderNo("6ES7 341-1AH01-0AE0")[19], ' ') << "19 characters get a blank";
    EXPECT_EQ(online::EncodeOrderNo("6ES7 341-1AH01-0AE")[18], 0);
    EXPECT_EQ(online::EncodeOrderNo("6ES7 341-1AH01-0AE0X")[19], 'X');
}

TEST(UpdateFiles, SelectedSetFromThePathField) {
    support::ScratchDir dir("fwsel");
    std::ofstream(dir / "bg_abl.upd") << "[n_Einträge]\nVersion_Stand_1=V2.1.3 ; first\n";
    const std::string folder = dir.path.string() + "/";
    struct Case {
        std::string text;
        bool valid;
        std::string folder;
        std::string version;
    };
    std::string backslashed = folder + "header.upd";
    for (char& c : backslashed)
        if (c == '/') c = '\\';
    const Case cases[] = {
        {folder + "header.upd", true, folder, "V2.1.3"},
        {folder + "Header.upd", true, folder, "V2.1.3"},
        {backslashed, true, folder, "V2.1.3"},
        {folder + "HEADER.UPD", false, "", "- - - - - - - -"},
        {folder + "bg_abl.upd", false, "", "- - - - - - - -"},
        {"/nowhere/header.upd", true, "/nowhere/", "- - - - - - - -"},
        {std::string(120, 'x') + "header.upd", false, "", "- - - - - - - -"},
    };
    for (const auto& c : cases) {
        const auto s = online::SelectUpdateSet(c.text);
        EXPECT_EQ(s.valid, c.valid) << c.text;
        EXPECT_EQ(s.folder, c.folder) << c.text;
        EXPECT_EQ(s.version, c.version) << c.text;
    }
}

TEST(UpdateFiles, ShownVersionIsCutAtBlankTabOrSemicolon) {
    support::ScratchDir dir("fwver");
    const std::string folder = dir.path.string() + "/";
    const std::pair<const char*, const char*> cases[] = {
        {"V2.1.3\tx", "V2.1.3"}, {"V2.1.3;x", "V2.1.3"}, {"V12.100.200.5", "V12.100.200."}, {"", ""},
    };
    for (const auto& [value, shown] : cases) {
        std::ofstream(dir / "bg_abl.upd", std::ios::trunc) << "[n_Einträge]\nversion_stand_1=" << value << "\n";
        EXPECT_EQ(online::SelectUpdateSet(folder + "header.upd").version, shown) << value;
    }
}

// The module version as the dialog shows it.
TEST(ModuleVersion, ThroughRecords248AndTheSzl) {
    using Form = cpsim::IdentRecords::Form;
    cpsim::ModuleIdent ident;
    ident.firmware = {'V', 3, 0, 12};
    struct Case {
        const char* what;
        Form form;
        std::optional<std::string> version;
    };
    const Case cases[] = {
        {"identification list", Form::Long, "V3.0.12"},
        {"short identification", Form::Short, "517"},
        {"directory without an identification", Form::NoEntry, std::nullopt},
        {"no directory", Form::Missing, std::nullopt},
    };
    for (const auto& c : cases) {
        fwtest::StationLink link({}, cpsim::IdentRecords(c.form, ident, 517));
        EXPECT_EQ(online::ReadModuleVersion(*link.channel, false, fwtest::kModuleAddress), c.version) << c.what;
    }
    fwtest::StationLink link;
    EXPECT_EQ(online::ReadModuleVersion(*link.channel, true, fwtest::kModuleAddress), std::nullopt) << "no SZL 0x0011";
    link.station.SetSzl(0x0011, cpsim::ModuleIdentList(ident));
    EXPECT_EQ(online::ReadModuleVersion(*link.channel, true, fwtest::kModuleAddress), "V3.0.12");
}

TEST(ModuleVersion, IdentificationListsThatDoNotFit) {
    cpsim::ModuleIdent ident;
    const auto good = cpsim::ModuleIdentList(ident);
    ASSERT_EQ(online::VersionFromIdentList(good, true), "V2.1.3");
    struct Case {
        const char* what;
        void (*change)(std::vector<std::uint8_t>&);
        bool needLetter;
    };
    const Case cases[] = {
        {"another SZL id", [](std::vector<std::uint8_t>& l) { l[1] = 0x12; }, false},
        {"record length 27", [](std::vector<std::uint8_t>& l) { l[5] = 27; }, false},
        {"seven records", [](std::vector<std::uint8_t>& l) { l[7] = 7; }, false},
        {"count beyond the data", [](std::vector<std::uint8_t>& l) { l[7] = 6; l.resize(8 + 28 + 10); }, false},
        {"no record 7", [](std::vector<std::uint8_t>& l) { l[8 + 28 + 1] = 8; }, false},
        {"letter 0 where one is needed", [](std::vector<std::uint8_t>& l) { l[8 + 28 + 24] = 0; }, true},
        {"cut short", [](std::vector<std::uint8_t>& l) { l.resize(5); }, false},
    };
    for (const auto& c : cases) {
        auto list = good;
        c.change(list);
        EXPECT_EQ(online::VersionFromIdentList(list, c.needLetter), std::nullopt) << c.what;
    }
    struct DirCase {
        const char* what;
        std::vector<std::uint8_t> data;
        bool found;
    };
    const DirCase dirs[] = {
        {"one long entry", {0, 1, 0, 0, 0, 4, 0, 1, 0x00, 0x11, 0, 249}, true},
        {"wrong head", {0, 2, 0, 0, 0, 4, 0, 1, 0x00, 0x11, 0, 249}, false},
        {"length 0", {0, 1, 0, 0, 0, 0, 0, 1, 0x00, 0x11, 0, 249}, false},
        {"too many entries", {0, 1, 0, 0, 0, 4, 0, 50, 0x00, 0x11, 0, 249}, false},
        {"entries past the data", {0, 1, 0, 0, 0, 4, 0, 3}, false},
        {"entries too short for a record number", {0, 1, 0, 0, 0, 2, 0, 2, 0x00, 0x11, 0, 249}, false},
    };
    for (const auto& d : dirs) EXPECT_EQ(online::ParseIdentDirectory(d.data).has_value(), d.found) << d.what;
}

}  // namespace
