// The installation check of a loadable driver, the defaults its library gives and the
// introduction of its parts, on driver files the tests write themselves.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "document/ptp_doc.h"
#include "sdb/bytes.h"
#include "sdb/driver_image.h"
#include "tests/document/driver_fixture.h"
#include "tests/support/memory_project.h"
#include "tests/support/message_recorder.h"
#include "tests/support/scratch_dir.h"

namespace {

using drvtest::Rec;

struct DriverCheck : ::testing::Test {
    support::MessageRecorder messages;
    support::MemoryProject project;
    support::ScratchDir dir{"ptp_drvcheck"};
    AppSettings app;
    std::unique_ptr<CPtpDoc> doc;

    // A module as the start-up string sets it up, configured for driver `index`.
    CPtpDoc& module(int type, const std::string& order, int interfaceNo = 1, int index = 0) {
        doc = std::make_unique<CPtpDoc>(app);
        doc->m_nModuleType = type;
        doc->m_szOrderNo = order;
        doc->m_nInterfaceNo = interfaceNo;
        doc->m_nInterfaceCode = type == kCP731 ? kIfTty : kIfHostTty;
        doc->m_nDriverParts = 5;
        doc->m_nDriverHwMask = type == kCP731 ? 256 : 2;
        doc->m_nProtocol = driverProtocol(index);
        return *doc;
    }
    CPtpDoc& cp731(int interfaceNo = 1) { return module(kCP731, "9QX4 731-1KE02-0AB0", interfaceNo); }

    int install(const drvtest::Package& p) { return drvtest::Install(app, dir.path, p); }
    int check(CPtpDoc& d, CDb& params, CPtpDoc::DriverCheck& out) { return d.CheckDriver(params, out); }
    int check(CPtpDoc& d) {
        CDb params{};
        CPtpDoc::DriverCheck out;
        return d.CheckDriver(params, out);
    }
};

std::string name8(const char* p) { return std::string(p, 8); }
std::string name8(const std::array<char, 8>& a) { return std::string(a.begin(), a.end()); }

std::array<uint8_t, 64> image(const CDbSon& son) {
    std::array<uint8_t, 64> b{};
    sdb::WriteSon(son, b);
    return b;
}

uint32_t u32(const std::array<uint8_t, 64>& b, size_t at) { return sdb::ImageReader(b).u32(at); }
uint16_t u16(const std::array<uint8_t, 64>& b, size_t at) { return sdb::ImageReader(b).u16(at); }

// The three parts, each with its own marks in bytes 42 to 53.
drvtest::Package threeParts(uint16_t codeBody = 1000, uint16_t protocolBody = 200) {
    drvtest::Package p;
    p.code = {Rec{"TSTDRV00", 1, 2, 0x1001, 0x102, codeBody}};
    p.code[0].tail = {0xC0, 0xC1, 0xC2, 0xC3, 0xC4, 0xC5, 0xC6, 0xC7, 0xC8, 0xC9, 0xCA, 0xCB};
    p.firmware = {Rec{"TSTFW000", 3, 4, 0x2001, 0x102, 300}};
    p.firmware[0].tail = {0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0xF7, 0xF8, 0xF9, 0xFA, 0xFB};
    p.protocol = {Rec{"TSTPTP00", 5, 6, 0x3001, 0x102, protocolBody}};
    p.protocol[0].tail = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB};
    p.description = "[9QX4_731_1KE02_0AB0]\nKP_TYP=1001\nKP_VERS=1.2\nSCC_TYP=2001\nSCC_VERS=3.4\nPTP_TYP=3001\nPTP_VERS=5.6\n";
    return p;
}

}  // namespace

TEST_F(DriverCheck, FileNamesOfTwelveCharacters) {
    struct Case { const char* what; std::string description, code, firmware; int error; };
    const Case cases[] = {
        // an 11-character description name counts as none: the hardware bits decide, and the
        // section that names a type no record has is never read
        {"description of 11", "DRVDESC.CPZ", "DRVCODE0.KPC", "DRVFIRM0.SCC", 0},
        {"description missing", "DRVDESC1.CPZ", "DRVCODE0.KPC", "DRVFIRM0.SCC", 10},
        {"code of 11", "", "DRVCODE.KPC", "DRVFIRM0.SCC", 10},
        {"code missing", "", "DRVCODE1.KPC", "DRVFIRM0.SCC", 10},
        {"firmware of 13", "", "DRVCODE0.KPC", "DRVFIRM00.SCC", 10},
        {"all there", "", "DRVCODE0.KPC", "DRVFIRM0.SCC", 0},
    };
    std::ofstream(dir / "DRVDESC.CPZ") << "[9QX4_731_1KE02_0AB0]\nKP_TYP=7777\nKP_VERS=1.0\n";
    install({});
    std::filesystem::copy_file(dir / "DRVCODE0.KPC", dir / "DRVCODE.KPC");
    std::filesystem::copy_file(dir / "DRVFIRM0.SCC", dir / "DRVFIRM00.SCC");
    for (const Case& c : cases) {
        app.drivers[0].descriptionFile = c.description;
        app.drivers[0].codeFile = c.code;
        app.drivers[0].firmwareFile = c.firmware;
        EXPECT_EQ(check(cp731()), c.error) << c.what;
    }
    // a protocol code of no installed driver cannot reach any file
    EXPECT_EQ(check(module(kCP731, "9QX4 731-1KE02-0AB0", 1, 5)), 10);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DriverCheck, VersionMatchingOrHardwareBits) {
    drvtest::Package p;
    p.code = {Rec{"CODEA000", 1, 0, 0x1001, 256, 10}, Rec{"CODEB000", 2, 0, 0x1002, 2, 20}, Rec{"CODEC000", 1, 1, 0x1001, 258, 30}};
    p.firmware = {Rec{"FWONE000", 1, 0, 0x2001, 2, 10}, Rec{"FWTWO000", 1, 0, 0x2001, 256, 10}};
    struct Case { const char* what; int module; std::string description; int error; const char* code; const char* firmware; };
    const Case cases[] = {
        {"CP 731 by hardware bits", kCP731, "", 0, "CODEA000", "FWTWO000"},
        {"CP 831-2 by hardware bits", kCP8312, "", 0, "CODEB000", "FWONE000"},
        {"code by type and version", kCP731, "[M_731_1KE02]\nKP_TYP=1001\nKP_VERS=1.1\nSCC_TYP=2001\nSCC_VERS=1.0\n", 0, "CODEC000", "FWTWO000"},
        // with a description the code's hardware bits do not count, the firmware's do
        {"code of other hardware", kCP731, "[M_731_1KE02]\nKP_TYP=1002\nKP_VERS=2.0\nSCC_TYP=2001\nSCC_VERS=1.0\n", 0, "CODEB000", "FWTWO000"},
        {"no code of that version", kCP731, "[M_731_1KE02]\nKP_TYP=1001\nKP_VERS=3.0\n", 20, "", ""},
        {"no firmware of that version", kCP731, "[M_731_1KE02]\nKP_TYP=1001\nKP_VERS=1.0\nSCC_TYP=2001\nSCC_VERS=1.1\n", 20, "", ""},
        {"description without the module", kCP731, "[9QX4_831_2KK02]\nKP_TYP=1002\nKP_VERS=2.0\n", 0, "CODEA000", "FWTWO000"},
    };
    for (const Case& c : cases) {
        app.drivers.clear();
        p.description = c.description;
        install(p);
        CPtpDoc& d = module(c.module, c.module == kCP731 ? "M 731-1KE02" : "9QX4 831-2KK02");
        CDb params{};
        CPtpDoc::DriverCheck out;
        ASSERT_EQ(check(d, params, out), c.error) << c.what;
        if (c.error) continue;
        EXPECT_EQ(name8(params.achDriverName), c.code) << c.what;
        EXPECT_EQ(name8(params.achSccName), c.firmware) << c.what;
    }
}

TEST_F(DriverCheck, Cp8312AboveVersion2ReadsTheSectionOfVersion2) {
    drvtest::Package p;
    p.code = {Rec{"CODEA000", 1, 0, 0x1001, 2, 10}, Rec{"CODEB000", 2, 0, 0x1002, 2, 20}};
    p.description = "[9QX4_831_2KK05]\nKP_TYP=1001\nKP_VERS=1.0\n[9QX4_831_2KK02]\nKP_TYP=1002\nKP_VERS=2.0\n";
    install(p);
    CDb params{};
    CPtpDoc::DriverCheck out;
    ASSERT_EQ(check(module(kCP8312, "9qx4 831-2kk05"), params, out), 0);
    EXPECT_EQ(+params.wProtocolId, 0x1002);
    EXPECT_EQ(out.blockMask, 0x001);  // the section names the code alone
}

TEST_F(DriverCheck, LongDriverRunsOnInterfaceOneOnly) {
    drvtest::Package p;
    p.code[0].longDriver = 1;
    install(p);
    EXPECT_EQ(check(cp731(1)), 0);
    ASSERT_EQ(messages.ids(), std::vector<int>{604});
    EXPECT_EQ(messages.shown[0].title, "Ladbarer Treiber");
    EXPECT_EQ(messages.shown[0].text, "Bei dem installierten Treiber handelt es sich um einen überlangen Treiber.");

    messages.shown.clear();
    EXPECT_EQ(check(cp731(2)), 30);
    EXPECT_TRUE(messages.shown.empty());
    CPtpDoc& d = cp731(2);
    const CDb before = d.m_DefParams;
    EXPECT_EQ(d.ApplyDriverDefaults(d.m_DefParams), -1);
    ASSERT_EQ(messages.ids(), std::vector<int>{599});
    EXPECT_EQ(messages.shown[0].title, "Protokoll kann nicht gewechselt werden");
    EXPECT_EQ(std::memcmp(&before, &d.m_DefParams, sizeof before), 0);
}

TEST_F(DriverCheck, TruncatedRecordIsNoMatch) {
    drvtest::Package p;
    p.code = {Rec{"OTHER000", 1, 0, 0x1001, 1, 10}, Rec{}};
    p.code[1].writtenBody = p.code[1].body - 1;  // the fitting record claims one byte more than the file holds
    install(p);
    EXPECT_EQ(check(cp731()), 20);
    CPtpDoc& d = cp731();
    EXPECT_EQ(d.ApplyDriverDefaults(d.m_DefParams), -1);
    EXPECT_EQ(messages.ids(), std::vector<int>{598});
}

TEST_F(DriverCheck, DescriptorsAndPaddedOffsets) {
    struct Case { uint16_t codeBody, protocolBody; uint32_t protocolAt, firmwareAt; };
    // a part of r bytes takes r + 16 - r % 16: one that ends on a multiple of 16 gets 16 filler bytes
    const Case cases[] = {{1000, 200, 1072, 1072 + 272}, {960, 208, 1040, 1040 + 288}, {0, 15, 80, 80 + 80}};
    for (const Case& c : cases) {
        app.drivers.clear();
        install(threeParts(c.codeBody, c.protocolBody));
        CPtpDoc& d = cp731();
        CDb params{};
        CPtpDoc::DriverCheck out;
        ASSERT_EQ(check(d, params, out), 0);
        const auto code = image(out.sons[CPtpDoc::kPartCode]);
        const auto fw = image(out.sons[CPtpDoc::kPartFirmware]);
        const auto ptp = image(out.sons[CPtpDoc::kPartProtocol]);
        SCOPED_TRACE(c.codeBody);
        EXPECT_EQ(std::string(code.begin(), code.begin() + 8), "TSTDRV00");
        EXPECT_EQ(code[22], 7);  // parts mask
        EXPECT_EQ(code[23], 4);
        EXPECT_EQ(u16(code, 24), 0x1001);
        EXPECT_EQ(u16(code, 26), 0x3001);
        EXPECT_EQ(u16(code, 28), 0x2001);
        EXPECT_EQ(u32(code, 30), 0u);
        EXPECT_EQ(u32(code, 34), c.protocolAt);
        EXPECT_EQ(u32(code, 38), c.firmwareAt);
        EXPECT_EQ(u32(code, 42), 0xC0C1C2C3u);  // unchanged
        EXPECT_EQ(u32(code, 46), 0xA4A5A6A7u);  // from the protocol record
        EXPECT_EQ(u32(code, 50), 0xF8F9FAFBu);  // from the firmware record
        EXPECT_EQ(code[54], 0);

        // the firmware takes the code's 8-11, 22, 24-49 and 54 and keeps its own 50-53
        EXPECT_EQ(std::string(fw.begin(), fw.begin() + 8), "TSTFW000");
        EXPECT_TRUE(std::equal(fw.begin() + 8, fw.begin() + 12, code.begin() + 8));
        EXPECT_EQ(fw[8], 1);  // the code's version
        EXPECT_EQ(fw[22], 7);
        EXPECT_EQ(fw[23], 1);
        EXPECT_TRUE(std::equal(fw.begin() + 24, fw.begin() + 50, code.begin() + 24));
        EXPECT_EQ(u32(fw, 50), 0xF8F9FAFBu);
        EXPECT_EQ(u16(fw, 12), 0x2001);  // type and length stay its own
        EXPECT_EQ(u16(fw, 14), 300);

        // the protocol part takes 8-11, 22, 24-45 and 50-54 and keeps its own 46-49
        EXPECT_TRUE(std::equal(ptp.begin() + 8, ptp.begin() + 12, code.begin() + 8));
        EXPECT_EQ(ptp[22], 7);
        EXPECT_EQ(ptp[23], 2);
        EXPECT_TRUE(std::equal(ptp.begin() + 24, ptp.begin() + 46, code.begin() + 24));
        EXPECT_EQ(u32(ptp, 46), 0xA4A5A6A7u);
        EXPECT_TRUE(std::equal(ptp.begin() + 50, ptp.begin() + 55, code.begin() + 50));
        EXPECT_EQ(u16(ptp, 14), c.protocolBody);

        EXPECT_EQ(out.blockMask, 0x111);
        EXPECT_EQ(out.blockCount, 4);
        EXPECT_EQ(out.fileOffsets, (std::array<int64_t, 3>{0, 0, 0}));

        // the record and the identification
        EXPECT_EQ(name8(params.achDriverName), "TSTDRV00");
        EXPECT_EQ(params.byDriverVerHi, 1);
        EXPECT_EQ(params.byDriverVerLo, 2);
        EXPECT_EQ(+params.wProtocolId, 0x1001);
        EXPECT_EQ(params.byInterface, kIfTty);
        EXPECT_EQ(name8(params.achSccName), "TSTFW000");
        EXPECT_EQ(params.bySccVerHi, 1);  // the code's version
        EXPECT_EQ(params.bySccVerLo, 2);
        EXPECT_EQ(+params.wDriverWord, 0x2001);
        const PtpDriverInfo& i = out.info;
        EXPECT_EQ(name8(i.driverName), "TSTDRV00");
        EXPECT_EQ(i.codeLength, c.codeBody);
        EXPECT_EQ(i.codeType, 0x1001);
        EXPECT_EQ(i.protocolNumber, 4096);
        EXPECT_EQ(name8(i.firmwareName), "TSTFW000");
        EXPECT_EQ(i.firmwareVerHi, 3);
        EXPECT_EQ(i.firmwareLength, 300u);
        EXPECT_EQ(name8(i.protocolName), "TSTPTP00");
        EXPECT_EQ(i.protocolVerLo, 6);
        EXPECT_EQ(i.protocolLength, c.protocolBody);
        EXPECT_EQ(i.protocolType, 0x3001);
        EXPECT_STREQ(i.moduleName, "CP 731");
        EXPECT_EQ(i.interfaceNo, 1);
    }
    // message texts make one section more
    CPtpDoc& d = cp731();
    d.m_bTextPresent = 1;
    CDb params{};
    CPtpDoc::DriverCheck out;
    ASSERT_EQ(check(d, params, out), 0);
    EXPECT_EQ(out.blockCount, 5);
}

TEST_F(DriverCheck, RecordOffsetsInTheirFiles) {
    drvtest::Package p = threeParts();
    p.code.insert(p.code.begin(), Rec{"OTHER000", 9, 9, 0x1009, 0x102, 36});
    p.protocol.insert(p.protocol.begin(), 2, Rec{"OTHER000", 9, 9, 0x3009, 0x102, 0});
    install(p);
    CDb params{};
    CPtpDoc::DriverCheck out;
    ASSERT_EQ(check(cp731(), params, out), 0);
    EXPECT_EQ(out.fileOffsets, (std::array<int64_t, 3>{100, 0, 128}));
}

TEST_F(DriverCheck, FirmwareFromTheDescriptionAlone) {
    drvtest::Package p = threeParts();
    p.description = "[9QX4_731_1KE02_0AB0]\nKP_TYP=1001\nKP_VERS=1.2\nSCC_TYP=0FFF\nSCC_VERS=7.8\n";
    install(p);
    app.drivers[0].firmwareFile = "no such file";  // never opened
    CPtpDoc& d = cp731();
    CDb params{};
    CPtpDoc::DriverCheck out;
    SetSonDefault(out.sons[CPtpDoc::kPartFirmware], SonDefault::Scc);
    out.sons[CPtpDoc::kPartFirmware].dwValue = 0x12345678;  // left as it was
    ASSERT_EQ(check(d, params, out), 0);
    EXPECT_EQ(name8(params.achSccName), "00000000");
    EXPECT_EQ(+params.wDriverWord, 0x0FFF);
    EXPECT_EQ(params.bySccVerHi, 1);
    EXPECT_EQ(name8(out.info.firmwareName), "        ");
    EXPECT_EQ(out.info.firmwareVerHi, 7);
    EXPECT_EQ(out.info.firmwareVerLo, 8);
    EXPECT_EQ(out.info.firmwareType, 0x0FFF);
    EXPECT_EQ(out.info.firmwareLength, 0u);
    EXPECT_EQ(out.sons[CPtpDoc::kPartFirmware].dwValue, 0x12345678u);
    EXPECT_EQ(name8(out.sons[CPtpDoc::kPartProtocol].achName), "PTP00000");  // no protocol part named
    const auto code = image(out.sons[CPtpDoc::kPartCode]);
    EXPECT_EQ(code[22], 5);
    EXPECT_EQ(u16(code, 28), 0x0FFF);
    EXPECT_EQ(u32(code, 34), 0xFFFFFFFFu);
    EXPECT_EQ(u32(code, 38), 0xFFFFFFFFu);  // no firmware record
    EXPECT_EQ(u32(code, 46), 0u);
    EXPECT_EQ(u32(code, 50), 0u);
    EXPECT_EQ(out.blockMask, 0x001);
    EXPECT_EQ(out.blockCount, 2);
}

TEST_F(DriverCheck, CodeAlone) {
    drvtest::Package p = threeParts();
    p.description.clear();
    install(p);
    CPtpDoc& d = cp731();
    d.m_nDriverParts = 4;
    CDb params{};
    std::memcpy(params.achSccName, "KEEPNOT0", 8);
    params.wDriverWord = 60;
    CPtpDoc::DriverCheck out;
    out.sons[CPtpDoc::kPartFirmware].dwValue = 7;
    ASSERT_EQ(check(d, params, out), 0);
    EXPECT_EQ(name8(params.achSccName), "00000000");
    EXPECT_EQ(params.bySccVerHi, 0);
    EXPECT_EQ(+params.wDriverWord, 0);
    CDbSon scc, ptp;
    SetSonDefault(scc, SonDefault::Scc);
    SetSonDefault(ptp, SonDefault::Ptp);
    EXPECT_EQ(image(out.sons[CPtpDoc::kPartFirmware]), image(scc));
    EXPECT_EQ(image(out.sons[CPtpDoc::kPartProtocol]), image(ptp));
    EXPECT_EQ(out.info.firmwareLength, 0u);
    EXPECT_EQ(out.info.protocolType, 0);
    EXPECT_EQ(out.blockMask, 1);
    EXPECT_EQ(out.blockCount, 2);
}

TEST_F(DriverCheck, DefaultsFromTheLibrary) {
    install(threeParts());
    CPtpDoc& d = cp731();
    d.m_bTextPresent = 1;
    d.m_nBlockCount = 5;
    d.m_DriverSections[0] = std::vector<uint8_t>{1, 2, 3};
    ASSERT_EQ(d.ApplyDriverDefaults(d.m_DefParams), 0);
    EXPECT_TRUE(messages.shown.empty());
    // DoDefault wrote into the record and the data area
    EXPECT_EQ(+d.m_DefParams.wRecvDbNo, 4711);
    EXPECT_EQ(name8(d.m_DefParams.achDriverName), "TSTDRV00");
    ASSERT_EQ(d.m_nDriverDataLen, 40u);
    EXPECT_EQ(std::string(d.m_pDriverData->begin(), d.m_pDriverData->begin() + 8), "TSTDRV00");
    EXPECT_EQ((*d.m_pDriverData)[11], 0);  // protocol number 4096: low byte
    EXPECT_EQ((*d.m_pDriverData)[10], 0x10);
    EXPECT_EQ((*d.m_pDriverData)[40], 0);  // the rest cleared
    EXPECT_EQ(d.BlockLengths, (std::array<uint16_t, 11>{2, 24, 49, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(d.m_nDrvBlockMask, 0x111);
    EXPECT_EQ(d.m_bTextPresent, 0);
    EXPECT_EQ(d.m_nBlockCount, 4);
    EXPECT_EQ(name8(d.m_DriverInfo.protocolName), "TSTPTP00");
    EXPECT_EQ(d.m_nDriverProtocol, driverProtocol(0));
    EXPECT_FALSE(d.m_DriverSections[0].has_value());
    EXPECT_EQ(d.m_CurHead.byModuleCode, 3);  // the CP 731 head default

    // a driver with texts on the CP 831-2: the printer-output and text defaults as well
    app.drivers.clear();
    drvtest::Package p = threeParts();
    p.texts = true;
    p.description = "[9QX4_831_2KK02]\nKP_TYP=1001\nKP_VERS=1.2\n";
    install(p);
    CPtpDoc& e = module(kCP8312, "9QX4 831-2KK02");
    ASSERT_EQ(e.ApplyDriverDefaults(e.m_DefParams), 0);
    EXPECT_EQ(e.BlockLengths, (std::array<uint16_t, 11>{0, 24, 49, 7, 65, 256, 0, 0, 0, 0, 0}));
    EXPECT_EQ(e.m_DefPrinter.byLinesPerPage, 50);
    EXPECT_EQ(e.m_nBlockCount, 2);
    EXPECT_STREQ(e.m_DriverInfo.moduleName, "CP 831-2");
}

TEST_F(DriverCheck, DefaultsRefusedLeaveTheDocumentAlone) {
    drvtest::Package p = threeParts();
    p.library = false;
    install(p);
    CPtpDoc& d = cp731();
    d.BlockLengths = {2, 24, 49, 7, 65, 256};
    const CDb before = d.m_DefParams;
    EXPECT_EQ(d.ApplyDriverDefaults(d.m_DefParams), -1);
    ASSERT_EQ(messages.ids(), std::vector<int>{597});
    EXPECT_EQ(messages.shown[0].title, "Protokoll kann nicht gewechselt werden");
    EXPECT_EQ(std::memcmp(&before, &d.m_DefParams, sizeof before), 0);
    EXPECT_EQ(d.BlockLengths[3], 7);
    EXPECT_EQ(d.m_nDrvBlockMask, 0);

    // no driver module or no driver protocol: refused without a message
    messages.shown.clear();
    EXPECT_EQ(module(kCP8311, "9QX4 831-1KK02").ApplyDriverDefaults(doc->m_DefParams), -1);
    EXPECT_EQ(module(kCP830, "x").ApplyDriverDefaults(doc->m_DefParams), -1);
    CPtpDoc& e = cp731();
    e.m_nProtocol = kProtAscii;
    EXPECT_EQ(e.ApplyDriverDefaults(e.m_DefParams), -1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(DriverCheck, PartIntroductions) {
    install(threeParts());
    CPtpDoc& d = cp731();
    d.m_CurHead.byB6 = 9;
    ASSERT_EQ(d.ApplyDriverDefaults(d.m_DefParams), 0);
    d.m_CurHead.byModuleCode = 2;
    d.m_CurHead.byB6 = 9;
    struct Case { int part; int kind; int length; };
    for (const Case c : {Case{CPtpDoc::kPartCode, 3, 1000}, Case{CPtpDoc::kPartFirmware, 4, 300}, Case{CPtpDoc::kPartProtocol, 5, 200}}) {
        std::array<uint8_t, 100> out{};
        ASSERT_EQ(d.BuildDriverPartIntro(c.part, out), 89 + c.length) << c.part;
        const CDbHead h = *sdb::ReadHead(out);
        EXPECT_EQ(h.byKind, c.kind);
        EXPECT_EQ(h.wHeadLen, 89);
        EXPECT_EQ(h.wBodyLen, c.length);
        EXPECT_EQ(h.byModuleCode, 2);
        EXPECT_EQ(h.byB6, 9);
        EXPECT_EQ(h.byVariant1, 1);  // interface 1
        EXPECT_EQ(image(*sdb::ReadSon(std::span<const uint8_t>(out).subspan(25))), image(d.m_DrvSon[static_cast<size_t>(c.part)]));
        EXPECT_EQ(out[89], 0);  // nothing behind the descriptor
        EXPECT_EQ(h.byKind, d.m_DrvHead[static_cast<size_t>(c.part)].byKind);
    }
    std::array<uint8_t, 88> small{};
    EXPECT_EQ(d.BuildDriverPartIntro(CPtpDoc::kPartCode, small), 0);
    d.m_nDrvBlockMask = 0x101;
    std::array<uint8_t, 89> out{};
    EXPECT_EQ(d.BuildDriverPartIntro(CPtpDoc::kPartFirmware, out), 0);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(d.BuildDriverPartIntro(CPtpDoc::kPartProtocol, out), 89 + 200);
}
