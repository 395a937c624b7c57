#include <gtest/gtest.h>

#include <memory>

#include "sdb/container.h"
#include "sdb/dump.h"
#include "sdb/section_file.h"
#include "sdb/text_image.h"
#include "sdb_fixtures.h"

using namespace sdb;

namespace {

bool Has(const std::string& dump, const std::string& line) { return dump.find(line + "\n") != std::string::npos; }

}  // namespace

TEST(SdbDump, RecordContainerWithTexts) {
    auto param = BuildParamImage(sdbtest::DefaultInput(kCP730, kProtPrinter, 27));
    auto store = std::make_unique<TextStore>();
    store->setText(5, "ab");
    store->setText(7, "x\x01y");
    auto text = BuildTextImage(sdbtest::Context(kCP730, kProtPrinter, 27), *store);
    ContainerBuildInput in;
    in.moduleType = kCP730;
    in.paramImage = param.image;
    in.texts = true;
    in.textImage = text.image;
    auto c = BuildContainer(in);
    ASSERT_EQ(c.status, ContainerBuildStatus::Ok);

    const std::string d = DumpDataTransferFile(c.bytes);
    for (const char* line : {"Format=Datensatz-Container", "Container.count=4", "Container.blockType=7361",
                             "Record.1=number 128, offset 62, length 240, flag 1, attribute 0",
                             "Module=CP 730", "CDbHead.wHeadLen=37", "OffsetTable=12,0,14,55,62,127",
                             "BlockLengths=2,0,41,7,65,256,0,0,0,0,0", "CDb.wRecordType=14", "CDb.byInterface=67",
                             "CDbdr.byLinesPerPage=50", "TextsPresent=1", "TextHead.wLastIndex=7", "Texts.numberCount=3",
                             "Text.5=\"ab\"", "Text.7=\"x\\x01y\""}) {
        EXPECT_TRUE(Has(d, line)) << line << "\n" << d;
    }
    EXPECT_EQ(d.find("CDb.achDriverName"), std::string::npos);  // the CP 730 image has no names
}

TEST(SdbDump, SectionFile) {
    auto in = sdbtest::DefaultInput(kCP8312, kProt3964, 66);
    auto param = BuildParamImage(in);
    SectionFileInput s;
    s.interfaceNo = 1;
    s.paramImage = param.image;
    s.protocolId = param.params.wProtocolId;
    s.interfaceByte = param.params.byInterface;
    auto file = WriteSectionFile(s);
    const std::string d = DumpDataTransferFile(file.bytes);
    for (const char* line : {"Format=Sektionsdatei", "Section.count=1", "Section.0=type 1, offset 6, length 102",
                             "OffsetTable=4,28", "BlockLengths=0,24,49,0,0,0,0,0,0,0,0", "CDb.achDriverName=KP396400",
                             "CDb.wCharDelay=22", "CDb.byTypeCode1=4"}) {
        EXPECT_TRUE(Has(d, line)) << line << "\n" << d;
    }
}

TEST(SdbDump, UnrecognisedBytes) {
    const std::vector<uint8_t> junk = {0xFF, 0xFF, 0xFF};
    EXPECT_TRUE(Has(DumpDataTransferFile(junk), "Format=nicht erkannt"));
    EXPECT_TRUE(Has(DumpDataTransferFile({}), "Format=nicht erkannt"));
}
