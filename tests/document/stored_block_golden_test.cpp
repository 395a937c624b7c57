// The stored block of every module, protocol and interface, byte for byte, and its listing
// by `ptpcfg show` and `ptpcfg sdb`, against files kept under tests/sdb/golden/.
//
// PTP_WRITE_GOLDEN=1 writes the files instead of comparing (only when the bytes are meant to
// change). The build time in the parameter and text heads comes from the clock and is zeroed
// before the comparison; the driver images are built with a fixed clock and keep theirs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/cli.h"
#include "document/ptp_doc.h"
#include "sdb/container.h"
#include "sdb/driver_image.h"
#include "sdb/dump.h"
#include "tests/support/memory_project.h"
#include "tests/support/module_factory.h"
#include "tests/support/scratch_dir.h"

namespace fs = std::filesystem;

namespace {

const fs::path kGoldenDir = PTP_GOLDEN_DIR;

bool writing() {
    const char* v = std::getenv("PTP_WRITE_GOLDEN");
    return v && std::string(v) == "1";
}

std::string hexLines(const std::vector<uint8_t>& bytes) {
    std::string out;
    char buf[8];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(buf, sizeof buf, "%02X", bytes[i]);
        out += buf;
        out += (i % 16 == 15 || i + 1 == bytes.size()) ? "\n" : " ";
    }
    return out;
}

std::string readText(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Writes the file under PTP_WRITE_GOLDEN=1, compares with it otherwise.
void golden(const std::string& name, const std::string& actual) {
    const fs::path file = kGoldenDir / name;
    if (writing()) {
        fs::create_directories(kGoldenDir);
        std::ofstream(file, std::ios::binary) << actual;
        return;
    }
    ASSERT_TRUE(fs::exists(file)) << file << " is missing; PTP_WRITE_GOLDEN=1 writes it";
    EXPECT_EQ(readText(file), actual) << name;
}

void zeroTime(std::vector<uint8_t>& bytes, size_t headAt) {
    for (size_t i = headAt + 16; i < headAt + 22 && i < bytes.size(); ++i) bytes[i] = 0;
}

// Zeroes the clock's bytes in the parameter and text heads of a record container.
void zeroContainerTimes(std::vector<uint8_t>& bytes) {
    SdbRecordList* raw = nullptr;
    const int n = SdbUnpackRecords(bytes.data(), bytes.size(), &raw);
    SdbRecordListPtr list(raw);
    ASSERT_GT(n, 0);
    for (int i = 0; i < n; ++i) {
        const SdbRecord& r = list->pEntries[i];
        if (r.byNumber == 128 || r.byNumber == 135) zeroTime(bytes, static_cast<size_t>(r.pData - bytes.data()));
    }
}

// The same in the parameter and text sections of a section file.
void zeroSectionTimes(std::vector<uint8_t>& bytes) {
    size_t at = 6;
    for (int i = 0; i < bytes[1] && at + 5 <= bytes.size(); ++i) {
        const size_t len = (size_t{bytes[at + 1]} << 24) | (size_t{bytes[at + 2]} << 16) | (size_t{bytes[at + 3]} << 8) | bytes[at + 4];
        if (bytes[at] == 1 || bytes[at] == 2) zeroTime(bytes, at + 5);
        at += 5 + len;
    }
}

// What `ptpcfg show` lists of the records (the identification lines name temporary files).
std::string recordLines(CPtpDoc& d) {
    d.m_CurHead.abyTime = {};
    d.m_TextHead.abyTime = {};
    std::istringstream in(cli::ShowDocument(d));
    std::string out, line;
    while (std::getline(in, line))
        if (line.rfind("CDb", 0) == 0 || line.rfind("TextHead.", 0) == 0 || line.rfind("BlockLengths=", 0) == 0)
            out += line + "\n";
    return out;
}

// Driver part images as a loadable driver's files give them, with every descriptor field set.
std::vector<uint8_t> driverPart(int kind) {
    sdb::BuildContext ctx;
    ctx.moduleType = kCP8312;
    ctx.interfaceNo = 2;
    ctx.releaseVersion = "5.1.2.3";
    ctx.clock = [] { return sdb::LocalTime{24, 12, 2023, 13, 45, 59}; };
    CDbHead param;
    SetHeadDefault(param, HeadDefault::CP831);
    CDbSon son;
    SetSonDefault(son, kind == 3 ? SonDefault::Ptp : SonDefault::Scc);
    son.byVerHi = 2;
    son.byVerLo = static_cast<uint8_t>(kind);
    son.wZero = 0x0102;
    son.wBodyLen = 40;
    son.wWord = 0x0A0B;
    son.dwHwBits = 0x80000001;
    son.byB22 = 22;
    son.byB23 = 23;
    son.awWords = {0x1001, 0, 0xFFFF};
    son.adwValues = {0, 0xFFFFFFFF, 0x10, 0x01020304, 5, 0xA0B0C0D0};
    son.abyBytes = {1, 2, 3, 4, 5, 255};
    son.dwValue = 0xCAFEF00D;
    std::vector<uint8_t> body(40);
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(kind * 16 + i);
    const CDbHead h = sdb::MakeDriverHead(ctx, static_cast<sdb::ImageKind>(kind), param, CDbHead{}, 40);
    return sdb::BuildDriverImage(h, son, body);
}

struct Case {
    const char* model;
    int iface;
    const char* order;
    int protocol;
    enum Extra { None, Texts, Drivers } extra = None;
};

std::string caseName(const Case& c) {
    std::string n = std::string(c.model) + "_p" + std::to_string(c.protocol) + "_if" + std::to_string(c.iface);
    if (std::string(c.order).find("AA02") != std::string::npos) n += "_v2";
    if (c.extra == Case::Texts) n += "_texts";
    if (c.extra == Case::Drivers) n += "_drivers";
    return n;
}

std::vector<Case> cases() {
    std::vector<Case> out;
    const struct { const char* model; const char* order; std::vector<int> protocols; std::vector<int> ifaces; } modules[] = {
        {"CP730", "9QX4 730-1KM00", {kProt3964, kProtAscii, kProtPrinter}, {kIfRs232, kIfTty, kIfRs422}},
        {"CP731", "9QX4 731-1L", {kProt3964, kProtAscii, kProtRk512, kProtPrinter}, {kIfRs232, kIfTty, kIfRs422}},
        {"CP830", "9QX4 830", {kProt3964, kProtAscii}, {kIfRs232, kIfTty, kIfRs422}},
        {"CP8311", "9QX4 831-1KK00", {kProt3964, kProtAscii, kProtPrinter}, {kIfHostRs232, kIfHostTty, kIfHostRs422}},
        {"CP8312", "9QX4 831-2KK02", {kProt3964, kProtAscii, kProtRk512, kProtPrinter}, {kIfHostRs232, kIfHostTty, kIfHostRs422}},
    };
    for (const auto& m : modules)
        for (int p : m.protocols)
            for (int i : m.ifaces) out.push_back({m.model, i, m.order, p});
    // a CP 731 of version 2 marks its head
    out.push_back({"CP731", kIfRs232, "9QX4 731-1AA02-0AE3", kProt3964});
    // printer blocks with page-layout lines, another control table and message texts
    out.push_back({"CP730", kIfTty, "9QX4 730-1KM00", kProtPrinter, Case::Texts});
    out.push_back({"CP731", kIfRs422, "9QX4 731-1L", kProtPrinter, Case::Texts});
    out.push_back({"CP8311", kIfHostTty, "9QX4 831-1KK00", kProtPrinter, Case::Texts});
    out.push_back({"CP8312", kIfHostRs422, "9QX4 831-2KK02", kProtPrinter, Case::Texts});
    // a section file that carries the three parts of a loadable driver
    out.push_back({"CP8312", kIfHostRs232, "9QX4 831-2KK02", kProt3964, Case::Drivers});
    return out;
}

void fillPrinter(CPtpDoc& d) {
    CDbdr& p = d.m_CurPrinter;
    p.byEmulation = 2;
    p.byCtrlLength = static_cast<uint8_t>(BuildCtrlTableIbm(p.abyCtrlTable.data(), p.abyCtrlTable.size()));
    p.byLeftMargin = 7;
    p.byHeaderLines = 1;
    p.byFooterLines = 2;
    p.abyCharTable[0x41] = 0x61;
    const char* lines[] = {"Kopfzeile \x01 mit Steuerzeichen", "zweite", "", "Fusszeile"};
    for (int i = 0; i < CDbdr::kTextLines; ++i) {
        p.achTextLine[i].fill(' ');
        std::copy_n(lines[i], std::strlen(lines[i]), p.achTextLine[i].begin());
    }
    d.BlockLengths[4] = static_cast<uint16_t>(p.byCtrlLength + 2);
    d.BlockLengths[6] = 60;
    d.BlockLengths[7] = 6;
    d.BlockLengths[8] = 0;
    d.BlockLengths[9] = 60;
    d.m_CurTextName.achName = {'M', 'E', 'L', 'D', 'U', 'N', 'G', '1'};
    d.m_CurTextName.byVerHi = 3;
    d.m_CurTextName.byVerLo = 7;
    d.m_pTexts->setText(5, "Kessel");
    d.m_pTexts->setText(7, "leer\x7F");
    d.m_pTexts->setText(12, "Druck zu hoch");
    d.m_bTextPresent = 1;
    d.m_nBlockCount = 2;
}

struct Golden : ::testing::Test {
    support::MessageRecorder messages;
    AppSettings app;
    support::MemoryProject project;
    support::ScratchDir dir{"ptp_golden"};

    void SetUp() override { app.releaseVersion = "5.1.2.3"; }
};

}  // namespace

TEST_F(Golden, StoredBlocksAndTheirListings) {
    for (const Case& c : cases()) {
        const std::string name = caseName(c);
        SCOPED_TRACE(name);
        const bool cp831 = std::string(c.model).rfind("CP831", 0) == 0;
        const std::string file = cp831 ? (dir / (name + ".sdb")).string() : "0";
        auto d = std::make_unique<CPtpDoc>(app);
        ASSERT_EQ(d->ParseStartupString(support::StartupString(file, c.model, c.iface, c.order)), 0);
        d->m_nProtocol = c.protocol;
        d->BuildDefaults(d->m_DefParams);
        d->m_CurParams = d->m_DefParams;
        d->m_CurPrinter = d->m_DefPrinter;
        d->m_CurTextName = d->m_DefTextName;
        if (c.extra == Case::Texts) fillPrinter(*d);
        if (c.extra == Case::Drivers) {
            for (int i = 0; i < 3; ++i) d->m_DriverSections[static_cast<size_t>(i)] = driverPart(3 + i);
            d->m_nBlockCount = 4;
        }

        std::string problem;
        std::vector<uint8_t> block = d->BuildStoredBlock(&problem);
        ASSERT_FALSE(block.empty()) << problem;
        if (cp831) zeroSectionTimes(block);
        else zeroContainerTimes(block);

        golden(name + ".hex", hexLines(block));
        golden(name + ".sdb.txt", sdb::DumpDataTransferFile(block));
        golden(name + ".show.txt", recordLines(*d));
    }
}
