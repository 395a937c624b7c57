#include <gtest/gtest.h>

#include "app/startup_string.h"

using namespace startup;

TEST(Tokenize, CommasOnlyAndEmptyFieldsSkipped) {
    struct Case { const char* text; std::vector<std::string> tokens; };
    const Case cases[] = {
        {"0,,CP730", {"0", "CP730"}},
        {",,a, b ,c,", {"a", " b ", "c"}},
        {"a;b c\td", {"a;b c\td"}},   // only the comma separates
        {"", {}},
        {",,,", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(Tokenize(c.text), c.tokens) << c.text;
}

TEST(Tokenize, CutsAtTheWorkingBuffer) {
    std::string longText(400, 'x');
    auto t = Tokenize(longText);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].size(), kBufferSize - 1);
}

TEST(ReadNumber, LikeTheModuleReadsIt) {
    struct Case { const char* text; int value; };
    const Case cases[] = {{"12", 12}, {"  7", 7}, {"-3x", -3}, {"+4", 4}, {"abc", 0}, {"", 0},
                          {"5 6", 5}, {"99999999999", 2147483647}, {"-99999999999", -2147483647 - 1}};
    for (const auto& c : cases) EXPECT_EQ(ReadNumber(c.text), c.value) << c.text;
}

TEST(Parse, FirstExampleString) {
    auto id = Parse("0,CP731,81,0,CP 731,9QX4 731-1L,TARVIK,0,4,0,0,2,1,2,3,4,5,6");
    EXPECT_EQ(id.moduleType, 731);
    EXPECT_EQ(id.protocol, 1);
    EXPECT_EQ(id.interfaceCode, 27);  // the order number overrides token 3
    EXPECT_EQ(id.interfaceName, "TTY");
    EXPECT_EQ(id.driverParts, 5);
    EXPECT_EQ(id.driverHwMask, 256);
    EXPECT_EQ(id.rackText, "0");
    EXPECT_EQ(id.slotText, "4");
    EXPECT_EQ(id.fromProject, 1);
    EXPECT_EQ(id.stationAddress, 2);
    EXPECT_EQ(id.moduleName, "CP 731");
    const long ids[6] = {1, 2, 3, 4, 5, 6};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(id.objectIds[i], ids[i]);
}

TEST(Parse, DefaultsOfMissingTokens) {
    auto id = Parse("x.sdb,CP730");
    EXPECT_EQ(id.transferFile, "x.sdb");
    EXPECT_EQ(id.fromProject, 0);
    EXPECT_EQ(id.interfaceCode, 0);
    EXPECT_EQ(id.interfaceName, "Kein Modul");
    EXPECT_EQ(id.moduleName, "CP    ");
    EXPECT_EQ(id.orderNo, "9QX4 ...");
    EXPECT_EQ(id.stationName, "TARVIK");
    EXPECT_EQ(id.rackText, "0");
    EXPECT_EQ(id.slotText, "0");
    EXPECT_EQ(id.online, 0);
    for (long v : id.objectIds) EXPECT_EQ(v, 0);

    auto empty = Parse("");
    EXPECT_EQ(empty.transferFile, "ptpsdb.sdb");
    EXPECT_EQ(empty.moduleType, 730);
}

TEST(Parse, ModuleTokens) {
    struct Case { const char* token; int type; int protocol; };
    const Case cases[] = {{"CP730", 730, 1}, {"CP731", 731, 1}, {"CP830", 830, 2}, {"CP8311", 8311, 1},
                          {"cp8312", 8312, 3}, {"CP 730", 0, 9}, {"CP7300", 0, 9}};
    for (const auto& c : cases) {
        auto id = Parse(std::string("0,") + c.token, 9);
        EXPECT_EQ(id.moduleType, c.type) << c.token;
        EXPECT_EQ(id.protocol, c.protocol) << c.token;
    }
}

TEST(Parse, ProjectModeOnlyForZero) {
    EXPECT_EQ(Parse("0,CP730").fromProject, 1);
    EXPECT_EQ(Parse("00,CP730").fromProject, 0);
    EXPECT_EQ(Parse(" 0,CP730").fromProject, 0);  // blanks belong to the token
}

TEST(OrderNumber, InterfaceAndDriverRules) {
    struct Case { const char* model; int iface; const char* order; int code; const char* name; int parts; int mask; };
    const Case cases[] = {
        {"CP730", 81, "9QX4 730-1K", 26, "RS 232", 0, 0},
        {"CP730", 81, "9qx4 730-1l", 27, "TTY", 0, 0},
        {"CP730", 81, "730-1K 730-1N", 28, "RS 422/485 (X27)", 0, 0},  // a later match overrides
        {"CP730", 67, "9QX4 731-1K", 67, "TTY", 5, 256},               // CP 731 fragment on a CP 730
        {"CP731", 0, "9QX4 731-1N", 28, "RS 422/485 (X27)", 5, 256},
        {"CP830", 81, "anything", 28, "RS 422/485 (X27)", 0, 0},        // CP 830 always RS 422/485
        {"CP8311", 12, "9QX4 831-1", 12, "xxx", 0, 0},                  // CP 831 keeps token 3
        {"CP8312", 66, "9QX4 831-2KK04", 66, "RS 422/485 (X27)", 5, 2},
        {"CP8312", 81, "9QX4 831-2KK01", 81, "RS 232", 0, 0},
    };
    for (const auto& c : cases) {
        auto id = Parse(std::string("0,") + c.model + "," + std::to_string(c.iface) + ",0,CP," + c.order);
        EXPECT_EQ(id.interfaceCode, c.code) << c.model << " " << c.order;
        EXPECT_EQ(id.interfaceName, c.name) << c.model << " " << c.order;
        EXPECT_EQ(id.driverParts, c.parts) << c.order;
        EXPECT_EQ(id.driverHwMask, c.mask) << c.order;
    }
}

TEST(Parse, LongTextsAreCutToTheirFields) {
    std::string name(100, 'N');
    auto id = Parse("0,CP731,0,0," + name + "," + std::string(60, 'O') + "," + std::string(80, 'S'));
    EXPECT_EQ(id.moduleName.size(), 29u);
    EXPECT_EQ(id.orderNo.size(), 29u);
    EXPECT_EQ(id.stationName.size(), 49u);
}

TEST(Identification, ExtendedObjectTypes) {
    struct Case { long type; bool extended; };
    const Case cases[] = {{1322004, false}, {1322005, true}, {1322009, true}, {1322010, false},
                          {2363921, true}, {2363923, false}, {2365013, true}, {2366919, true}, {2366922, false}};
    for (const auto& c : cases) EXPECT_EQ(IsExtendedObjectType(c.type), c.extended) << c.type;
}

TEST(Identification, Title) {
    EXPECT_EQ(DocumentTitle("CP 731", "0", "5", "P1\\S1"), "CP 731  (R0/S5)  -- P1\\S1");
}
