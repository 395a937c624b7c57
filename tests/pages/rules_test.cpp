// Limits and cross-checks of the protocol pages.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pages/baud.h"
#include "pages/rules.h"

using namespace rules;

namespace {

using Ins = std::vector<std::string>;
constexpr std::nullopt_t kEmpty = std::nullopt;

CheckContext ctxFor(int module, unsigned pv = 2, int ext = 0, int iface = 26, bool hostNew = true) {
    return makeCheckContext(module, iface, pv, ext, hostNew, false);
}

// ---- field checks --------------------------------------------------------------

TEST(RulesField, DelayTimes3964) {
    struct Case {
        bool ack;
        int baud;
        std::optional<long> typed;
        bool ok;
        int value, message, caption;
        Ins inserts;
    };
    const Case cases[] = {
        {false, 300, 50, false, 60, 501, 400, {"300", "60"}},
        {true, 300, 50, false, 60, 502, 401, {"300", "60"}},
        {false, 600, 30, false, 40, 501, 400, {"600", "40"}},
        {false, 1200, 20, false, 30, 501, 400, {"1200", "30"}},
        {false, 9600, 20, true, 20, 0, 0, {}},
        {false, 9600, 15, false, 20, 501, 400, {"9600", "20"}},
        {false, 115200, 15, false, 20, 501, 400, {"115200", "20"}},
        {false, 9600, 225, false, 220, 523, 400, {}},
        {false, 9600, 65530, true, 65530, 0, 0, {}},
        {false, 9600, 65531, false, 65530, 513, 400, {"65530"}},
        {false, 9600, 65535, false, 65530, 513, 400, {"65530"}},
        {true, 9600, 65535, false, 65530, 514, 401, {"65530"}},
        {false, 9600, kEmpty, false, 20, 550, 400, {"20"}},
        {true, 300, kEmpty, false, 60, 550, 401, {"60"}},
        // too low comes before the raster: 55 at 300 Bit/s reports the minimum
        {false, 300, 55, false, 60, 501, 400, {"300", "60"}},
    };
    for (const auto& c : cases) {
        Verdict v = c.ack ? checkAckDelay3964(c.typed, c.baud) : checkCharDelay3964(c.typed, c.baud);
        SCOPED_TRACE(std::to_string(c.baud) + " " + std::to_string(c.typed.value_or(-1)));
        EXPECT_EQ(v.accepted, c.ok);
        EXPECT_EQ(v.value, c.value);
        EXPECT_EQ(v.messageId, c.message);
        EXPECT_EQ(v.captionId, c.caption);
        EXPECT_EQ(v.inserts, c.inserts);
    }
}

TEST(RulesField, FieldTable) {
    struct Case {
        const char* what;
        Verdict v;
        bool ok;
        int value, message, caption;
    };
    const Case cases[] = {
        {"connect tries 255", checkConnectTries(255), true, 255, 0, 0},
        {"connect tries 256", checkConnectTries(256), false, 255, 510, 402},
        {"connect tries empty", checkConnectTries(kEmpty), false, 1, 550, 402},
        {"connect tries 0 (left by backspace)", checkConnectTries(0), false, 1, 550, 402},
        {"send tries 999", checkSendTries(999), false, 255, 511, 403},
        {"data bits empty", checkDataBits(kEmpty, 7), false, 7, 550, 406},
        {"data bits empty, printer spin 8", checkDataBits(kEmpty, 8), false, 8, 550, 406},
        {"data bits empty RK 512", checkDataBits(kEmpty, 7, true), false, 8, 550, 406},
        {"data bits 8", checkDataBits(8, 7), true, 8, 0, 0},
        {"stop bits empty", checkStopBits(kEmpty), false, 1, 550, 407},
        {"stop bits 2", checkStopBits(2), true, 2, 0, 0},
        {"ascii delay empty", checkCharDelayAscii(kEmpty, 16), false, 16, 550, 400},
        {"ascii delay 65531", checkCharDelayAscii(65531, 16), false, 65530, 513, 400},
        {"ascii delay 3, no raster, minimum is the page's", checkCharDelayAscii(3, 16), true, 3, 0, 0},
        {"telegram 1025 of 1024", checkTelegramLen(1025, 1024), false, 1024, 512, 409},
        {"telegram 4096 of 4096", checkTelegramLen(4096, 4096), true, 4096, 0, 0},
        {"telegram empty", checkTelegramLen(kEmpty, 400), false, 1, 550, 409},
        {"end char empty", checkEndChar(kEmpty, Field::RecvEnd1), false, 0, 550, 408},
        {"xon empty", checkXonXoffChar(kEmpty, Field::Xon), false, 0, 550, 410},
        {"xon 0x13", checkXonXoffChar(0x13, Field::Xon), true, 0x13, 0, 0},
        {"xon wait 65535", checkXonWait(65535, false), false, 65530, 515, 411},
        {"xon wait 65535 printer: raster first", checkXonWait(65535, true), false, 65530, 523, 411},
        {"xon wait 15", checkXonWait(15, false), false, 20, 516, 411},
        {"xon wait 15 printer", checkXonWait(15, true), false, 20, 516, 411},
        {"xon wait 20", checkXonWait(20, false), true, 20, 0, 0},
        {"xon wait 25", checkXonWait(25, false), false, 20, 523, 411},
        {"xon wait empty", checkXonWait(kEmpty, true), false, 20, 550, 411},
        {"rts off 65531", checkRtsOffTime(65531), false, 65530, 525, 418},
        {"rts off 0", checkRtsOffTime(0), true, 0, 0, 0},
        {"rts off empty", checkRtsOffTime(kEmpty), false, 0, 550, 418},
        {"output wait 35", checkOutputWait(35), false, 30, 523, 419},
        {"output wait 99999", checkOutputWait(99999), false, 65530, 527, 419},
        {"buffered 251", checkBufferedTelegrams(251, 731), false, 250, 517, 412},
        {"buffered empty", checkBufferedTelegrams(kEmpty, 730), false, 1, 550, 412},
        {"buffered CP 830 empty", checkBufferedTelegrams(kEmpty, 830), false, 10, 517, 412},
        {"buffered CP 830 11", checkBufferedTelegrams(11, 830), false, 10, 517, 412},
        {"buffered CP 830 0", checkBufferedTelegrams(0, 830), false, 10, 517, 412},
        {"buffered CP 830 10", checkBufferedTelegrams(10, 830), true, 10, 0, 0},
        {"db 65531", checkRecvDbNo(65531), false, 65530, 520, 414},
        {"db empty", checkRecvDbNo(kEmpty), false, 1, 550, 414},
        {"db 0 passes the field check", checkRecvDbNo(0), true, 0, 0, 0},
        {"left margin 300", checkLeftMargin(300, 3), false, 255, 530, 421},
        {"left margin empty", checkLeftMargin(kEmpty, 3), false, 3, 550, 421},
        {"lines per page 256", checkLinesPerPage(256, 50), false, 255, 531, 422},
        {"lines per page empty", checkLinesPerPage(kEmpty, 50), false, 50, 550, 422},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.v.accepted, c.ok);
        EXPECT_EQ(c.v.value, c.value);
        EXPECT_EQ(c.v.messageId, c.message);
        EXPECT_EQ(c.v.captionId, c.caption);
    }
}

TEST(RulesField, ReadingFieldTexts) {
    EXPECT_EQ(readNumber(""), std::nullopt);
    EXPECT_EQ(readNumber("05"), 5);
    EXPECT_EQ(readNumber("1234567"), 123456);  // at most six characters are read
    EXPECT_EQ(readHex(""), std::nullopt);
    EXPECT_EQ(readHex("d"), 0x0D);
    EXPECT_EQ(readHex("Ff"), 0xFF);
    EXPECT_EQ(readHex("1FF"), 0xFF);  // three characters, low 8 bits
}

TEST(RulesField, MessageTextsCarryTheirInserts) {
    Verdict v = checkCharDelay3964(50, 300);
    EXPECT_EQ(messageText(v),
              "Die Zeichenverzugszeit ist bei der eingestellten Baudrate von 300 Bits/s zu klein\n\n"
              "Der untere Grenzwert liegt bei 60 ms.");
    EXPECT_EQ(messageText(checkCharDelay3964(225, 9600)), "Die Zeit ist nur im 10 ms Raster eingebbar!\n");
}

// ---- tables ------------------------------------------------------------------------

TEST(RulesTable, MinimumAsciiCharDelay) {
    struct Case {
        const char* what;
        CheckContext ctx;
        int baud, data, stop, parity, minimum;
    };
    const Case cases[] = {
        {"CP 730 2400 8N1", ctxFor(730), 2400, 8, 1, 0, 16},
        {"CP 730 9600 8N1", ctxFor(730), 9600, 8, 1, 0, 4},
        {"CP 730 300 8E2", ctxFor(730), 300, 8, 2, 2, 160},
        {"CP 730 rate 0", ctxFor(730), 0, 8, 1, 0, 4},
        {"CP 731 115200 8N1 floor", ctxFor(731), 115200, 8, 1, 0, 1},
        {"CP 731 1200 8N1", ctxFor(731), 1200, 8, 1, 0, 33},
        {"CP 731 extended 115200", ctxFor(731, 2, 1), 115200, 8, 1, 0, 2},
        {"CP 731 extended 9600", ctxFor(731, 2, 1), 9600, 8, 1, 0, 4},
        {"CP 731 extended 300", ctxFor(731, 2, 1), 300, 8, 1, 0, 130},
        {"CP 831-2 pv 5 extended 115200", ctxFor(8312, 5, 1, 66), 115200, 8, 1, 0, 1},
        {"CP 831-2 pv 5 extended 9600", ctxFor(8312, 5, 1, 66), 9600, 8, 1, 0, 2},
        {"CP 831-1 pv 4 extended 115200", ctxFor(8311, 4, 1, 66), 115200, 8, 1, 0, 2},
        {"CP 831 extended rate 0", ctxFor(8311, 4, 1, 66), 0, 8, 1, 0, 1},
        // the ungated flag counts, even when an old host suite gates the baud lists
        {"CP 831-1 extended, old host", ctxFor(8311, 2, 1, 81, false), 19200, 8, 1, 0, 2},
        {"CP 830 19200", ctxFor(830), 19200, 8, 1, 0, 2},
        {"CP 830 38400", ctxFor(830), 38400, 8, 1, 0, 1},
        {"CP 830 2400", ctxFor(830), 2400, 7, 1, 2, 16},
    };
    for (const auto& c : cases)
        EXPECT_EQ(minCharDelayAscii(c.ctx, c.baud, c.data, c.stop, c.parity), c.minimum) << c.what;
}

TEST(RulesTable, TelegramLengthByProductVersion) {
    EXPECT_EQ(checkTelegramLen(2000, maxTelegramLen(ctxFor(731, 1))).messageId, 512);
    EXPECT_EQ(checkTelegramLen(2000, maxTelegramLen(ctxFor(731, 1))).value, 1024);
    EXPECT_TRUE(checkTelegramLen(2000, maxTelegramLen(ctxFor(731, 2))).accepted);
    EXPECT_EQ(maxTelegramLen(ctxFor(730)), 1024);
    EXPECT_EQ(maxTelegramLen(ctxFor(830)), 400);
    EXPECT_EQ(maxTelegramLen(ctxFor(8311, 0)), 4096);
}

TEST(RulesTable, BaudLists) {
    using R = std::vector<int>;
    auto tail = [](R v, size_t n) { return R(v.end() - static_cast<long>(std::min(n, v.size())), v.end()); };
    EXPECT_EQ(tail(baudRates(Sheet::CP731_3964, ctxFor(731, 2, 1, 26)), 4), (R{38400, 57600, 76800, 115200}));
    EXPECT_EQ(baudRates(Sheet::CP731_3964, ctxFor(8311, 4, 1, 81)).back(), 38400);
    EXPECT_EQ(tail(baudRates(Sheet::CP731_3964, ctxFor(8312, 5, 1, 81, false)), 2), (R{38400, 76800}));
    EXPECT_EQ(baudRates(Sheet::CP731_3964, ctxFor(731, 2, 1, 27)).back(), 19200);
    EXPECT_EQ(baudRates(Sheet::CP730_3964, ctxFor(730)), (R{2400, 4800, 9600, 19200}));
    EXPECT_EQ(baudRates(Sheet::CP731_Rk512, ctxFor(8311, 5, 1, 81)).back(), 19200);
    EXPECT_EQ(tail(baudRates(Sheet::CP731_Printer, ctxFor(731, 1, 0, 81)), 2), (R{38400, 76800}));
    EXPECT_EQ(tail(baudRates(Sheet::CP731_Printer, ctxFor(8311, 3, 1, 81)), 2), (R{38400, 57600}));
    // codes: 57600 and 76800 swap on the CP 830
    EXPECT_EQ(baudCode(731, 57600), 12);
    EXPECT_EQ(baudCode(731, 76800), 11);
    EXPECT_EQ(baudCode(830, 57600), 11);
    EXPECT_EQ(baudRateOfCode(830, 12), 76800);
}

TEST(RulesTable, StoredBaudCodeOnOpening) {
    auto s = selectBaud(Sheet::CP731_3964, ctxFor(731), 2);
    EXPECT_EQ(s.index, 5);
    EXPECT_EQ(s.baudRate, 9600);
    EXPECT_EQ(s.verdict.messageId, 557);
    EXPECT_EQ(s.verdict.captionId, 404);
    auto cp730 = selectBaud(Sheet::CP730_Ascii, ctxFor(730), 9);  // 19200 is not on the ASCII list
    EXPECT_EQ(cp730.index, -1);
    EXPECT_EQ(cp730.verdict.messageId, 0);
    auto tty = selectBaud(Sheet::CP731_Printer, ctxFor(8312, 5, 1, 67), 11);
    EXPECT_EQ(tty.baudRate, 19200);
    EXPECT_EQ(tty.verdict.messageId, 0);
}

// ---- page checks -----------------------------------------------------------------

ProtocolPage3964 page3964(int baud = 9600) {
    ProtocolPage3964 p;
    p.charDelay = 220;
    p.ackDelay = 2000;
    p.connectTries = 6;
    p.sendTries = 6;
    p.dataBits = 8;
    p.stopBits = 1;
    p.parity = 2;
    p.baudRate = baud;
    return p;
}

TEST(RulesPage, Protocol3964) {
    struct Case {
        const char* what;
        int module;
        std::function<void(ProtocolPage3964&)> edit;
        int message;
        Field focus;
    };
    const Case cases[] = {
        {"defaults pass", 731, [](auto&) {}, 0, Field::None},
        {"baud lowered to 300 after 20 ms was accepted", 731,
         [](auto& p) { p.charDelay = 20; p.baudRate = 300; }, 501, Field::CharDelay},
        {"ack delay too small at 600", 731, [](auto& p) { p.ackDelay = 20; p.baudRate = 600; }, 502, Field::AckDelay},
        {"attempts come first", 731, [](auto& p) { p.charDelay = 5; p.connectTries = 300; }, 510, Field::ConnectTries},
        {"CP 730 8E2 is 12 bits", 730, [](auto& p) { p.stopBits = 2; }, 503, Field::DataBits},
        {"CP 730 7N1 is 9 bits", 730, [](auto& p) { p.dataBits = 7; p.parity = 0; }, 503, Field::DataBits},
        {"CP 730 7E1 is 10 bits", 730, [](auto& p) { p.dataBits = 7; }, 0, Field::None},
        {"CP 731 has no frame rule", 731, [](auto& p) { p.stopBits = 2; }, 0, Field::None},
        {"CP 830 parity none with 7 bits", 830, [](auto& p) { p.dataBits = 7; p.parity = 0; }, 559, Field::None},
        {"empty stop bits", 731, [](auto& p) { p.stopBits.reset(); }, 550, Field::StopBits},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto p = page3964();
        c.edit(p);
        Verdict v = checkProtocolPage3964(ctxFor(c.module), p);
        EXPECT_EQ(v.accepted, c.message == 0);
        EXPECT_EQ(v.messageId, c.message);
        EXPECT_EQ(v.focus, c.focus);
    }
}

TEST(RulesPage, RefusalWritesTheCorrectionBack) {
    auto p = page3964(300);
    p.charDelay = 50;
    Verdict v = checkProtocolPage3964(ctxFor(731), p);
    EXPECT_EQ(v.inserts, (Ins{"300", "60"}));
    EXPECT_EQ(p.charDelay, 60);
    EXPECT_TRUE(checkProtocolPage3964(ctxFor(731), p).accepted);
}

TEST(RulesPage, Cp830ParityRuleUsesAPlainBoxWithItsOwnWording) {
    auto p = page3964();
    p.dataBits = 7;
    p.parity = 0;
    Verdict v = checkProtocolPage3964(ctxFor(830), p);
    EXPECT_EQ(messageText(v),
              "Sie haben bei Parität \"keine\" und bei Datenbit \"7 Bit\" eingestellt. \nDies ist nicht möglich.\n"
              "Bitte ändern Sie die Einstellung bei Parität oder Datenbit.");
}

AsciiPage asciiPage() {
    AsciiPage p;
    p.charDelay = 100;
    p.telegramLen = 240;
    p.dataBits = 8;
    p.stopBits = 1;
    p.recvEnd1 = 3;
    p.recvEnd2 = 0;
    p.sendEnd1 = 3;
    p.sendEnd2 = 0;
    p.parity = 2;
    return p;
}

TEST(RulesPage, Ascii) {
    struct Case {
        const char* what;
        CheckContext ctx;
        std::function<void(AsciiPage&)> edit;
        int message;
        Field focus;
        int value;
    };
    const Case cases[] = {
        {"defaults pass", ctxFor(731), [](auto&) {}, 0, Field::None, 0},
        {"CP 730 below the formula", ctxFor(730), [](auto& p) { p.baudRate = 2400; p.parity = 0; p.charDelay = 15; },
         509, Field::CharDelay, 16},
        {"CP 730 frame", ctxFor(730), [](auto& p) { p.stopBits = 2; }, 503, Field::DataBits, 8},
        {"CP 731 extended 300 Bit/s", ctxFor(731, 2, 1), [](auto& p) { p.baudRate = 300; }, 509, Field::CharDelay, 130},
        {"CP 731 telegram 2000, version 1", ctxFor(731, 1), [](auto& p) { p.telegramLen = 2000; }, 512,
         Field::TelegramLen, 1024},
        {"CP 731 end character 0x8D with 7 bits", ctxFor(731),
         [](auto& p) { p.endCriterion = 2; p.dataBits = 7; p.recvEnd1 = 0x8D; }, 508, Field::RecvEnd1, 0x8D},
        {"the same with criterion delay time", ctxFor(731),
         [](auto& p) { p.dataBits = 7; p.recvEnd1 = 0x8D; }, 0, Field::None, 0},
        {"second end character only when two are used", ctxFor(731),
         [](auto& p) { p.endCriterion = 2; p.dataBits = 7; p.recvEnd2 = 0x90; }, 0, Field::None, 0},
        {"sender end character in mode 0x23", ctxFor(731, 2, 1),
         [](auto& p) { p.endCriterion = 2; p.dataBits = 7; p.sendMode = 0x23; p.sendEnd1 = 0xFF; }, 508,
         Field::SendEnd1, 0xFF},
        {"sender end character not used in mode 0x22", ctxFor(731, 2, 1),
         [](auto& p) { p.endCriterion = 2; p.dataBits = 7; p.sendMode = 0x22; p.sendEnd1 = 0xFF; }, 0, Field::None, 0},
        {"CP 830 parity none with 7 bits", ctxFor(830), [](auto& p) { p.dataBits = 7; p.parity = 0; }, 559,
         Field::Parity, 0},
        {"CP 830 telegram 401", ctxFor(830), [](auto& p) { p.telegramLen = 401; }, 512, Field::TelegramLen, 400},
        {"emptied end character", ctxFor(731), [](auto& p) { p.sendEnd2.reset(); }, 550, Field::SendEnd2, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto p = asciiPage();
        c.edit(p);
        Verdict v = checkAsciiPage(c.ctx, p);
        EXPECT_EQ(v.messageId, c.message);
        EXPECT_EQ(v.focus, c.focus);
        if (c.message) {
            EXPECT_EQ(v.value, c.value);
        }
    }
}

TEST(RulesPage, Cp830OneEndCharacterIsCopiedIntoTheSecond) {
    auto p = asciiPage();
    p.endCriterion = 2;
    p.recvEndCount = 1;
    p.recvEnd1 = 0x0D;
    p.recvEnd2 = 0x0A;
    p.sendMode = 0x21;
    p.sendEndCount = 1;
    p.sendEnd1 = 0x03;
    p.sendEnd2 = 0x55;
    EXPECT_TRUE(checkAsciiPage(ctxFor(830), p).accepted);
    EXPECT_EQ(p.recvEnd2, 0x0D);
    EXPECT_EQ(p.sendEnd2, 0x03);
}

TEST(RulesPage, TransmissionReceivePrinter) {
    TransmissionPage t;
    t.flow = kFlowRtsCts;
    t.xon = t.xoff = 0x11;
    t.xonWait = 200;
    t.rtsOffTime = t.outputWait = 10;
    EXPECT_EQ(checkTransmissionPage(ctxFor(731), t).messageId, 504);  // any flow control but "Keine"
    EXPECT_TRUE(checkTransmissionPage(ctxFor(730), t).accepted);       // CP 730 only with XON/XOFF
    t.flow = kFlowXonXoff;
    EXPECT_EQ(checkTransmissionPage(ctxFor(730), t).focus, Field::Xon);
    t.xoff = 0x13;
    t.outputWait = 15;
    Verdict v = checkTransmissionPage(ctxFor(731), t);
    EXPECT_EQ(v.messageId, 523);
    EXPECT_EQ(t.outputWait, 10);
    EXPECT_TRUE(checkTransmissionPage(ctxFor(830), t).accepted);

    ReceivePage r;
    r.ascii = false;
    r.useCpuBox = true;
    r.dbNo = 0;
    v = checkReceivePage(ctxFor(8311), r);
    EXPECT_EQ(v.messageId, 518);
    EXPECT_EQ(v.captionId, 413);
    EXPECT_EQ(r.dbNo, 0);  // "0" stays written
    r = ReceivePage{};
    r.bufferedTelegrams.reset();
    v = checkReceivePage(ctxFor(830), r);
    EXPECT_EQ(v.messageId, 517);
    EXPECT_EQ(r.bufferedTelegrams, 10);
    r.wholeBuffer = true;
    r.bufferedTelegrams.reset();
    EXPECT_TRUE(checkReceivePage(ctxFor(830), r).accepted);

    PrinterPage pr;
    pr.dataBits = 8;
    pr.stopBits = 1;
    pr.parity = 2;
    pr.xon = pr.xoff = 0x11;
    pr.xonWait = 2000;
    EXPECT_EQ(checkPrinterPage(ctxFor(731), pr).messageId, 504);  // whatever the flow control
    pr.xoff = 0x13;
    pr.stopBits = 2;
    EXPECT_EQ(checkPrinterPage(ctxFor(730), pr).messageId, 503);
    EXPECT_TRUE(checkPrinterPage(ctxFor(731), pr).accepted);
    pr.dataBits.reset();
    pr.dataBitsSpin = 7;
    v = checkPrinterPage(ctxFor(731), pr);
    EXPECT_EQ(v.messageId, 550);
    EXPECT_EQ(pr.dataBits, 7);
}

// ---- sheet checks ------------------------------------------------------------------

TEST(RulesSheet, AsciiSheet) {
    struct Case {
        const char* what;
        CheckContext ctx;
        int endCriterion, flow, end1, xon, dataBits, buffered;
        bool noOverwrite;
        int opMode;
        int message;
        Field focus;
    };
    const Case cases[] = {
        {"end character equal to XON", ctxFor(731), 2, kFlowXonXoff, 0x11, 0x11, 8, 250, true, 0, 505, Field::RecvEnd1},
        {"same values, criterion delay time", ctxFor(731), 1, kFlowXonXoff, 0x11, 0x11, 8, 250, true, 0, 0, Field::None},
        {"CP 830 multipoint master with XON/XOFF", ctxFor(830), 1, kFlowXonXoff, 3, 0x11, 8, 10, true, 2, 2043,
         Field::FlowControl},
        {"CP 830 point to point with XON/XOFF", ctxFor(830), 1, kFlowXonXoff, 3, 0x11, 8, 10, true, 0, 0, Field::None},
        {"CP 831 half duplex on RS 422/485", ctxFor(8311, 2, 0, 66), 1, kFlowXonXoff, 3, 0x11, 8, 250, true, 1, 2043,
         Field::FlowControl},
        {"CP 731 mode 1 on RS 232 is no half duplex", ctxFor(731, 2, 0, 26), 1, kFlowXonXoff, 3, 0x11, 8, 250, true, 1,
         0, Field::None},
        {"XON from 0x80 with 7 data bits", ctxFor(731), 1, kFlowXonXoff, 3, 0x91, 7, 250, true, 0, 506, Field::DataBits},
        {"one telegram, overwrite allowed, RTS/CTS", ctxFor(731), 1, kFlowRtsCts, 3, 0x11, 8, 1, false, 0, 522,
         Field::FlowControl},
        {"the same without flow control", ctxFor(731), 1, kFlowNone, 3, 0x11, 8, 1, false, 0, 0, Field::None},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        AsciiPage a = asciiPage();
        a.endCriterion = c.endCriterion;
        a.recvEnd1 = c.end1;
        a.dataBits = c.dataBits;
        TransmissionPage t;
        t.flow = c.flow;
        t.xon = c.xon;
        t.xoff = 0x13;
        ReceivePage r;
        r.bufferedTelegrams = c.buffered;
        r.noOverwrite = c.noOverwrite;
        Verdict v = checkAsciiSheet(c.ctx, a, t, r, c.opMode);
        EXPECT_EQ(v.messageId, c.message);
        EXPECT_EQ(v.focus, c.focus);
        if (c.message == 505 || c.message == 506 || c.message == 2043) {
            EXPECT_EQ(v.captionId, 410);
        }
        if (c.message == 522) {
            EXPECT_EQ(v.captionId, 416);
        }
    }
}

// ---- immediate rules -------------------------------------------------------------

TEST(RulesImmediate, ReceivePageNumberAndOverwrite) {
    auto c = onBufferedTelegramsChanged(ctxFor(731, 2), 5, false);
    EXPECT_EQ(c.verdict.messageId, 519);
    EXPECT_EQ(c.verdict.captionId, 412);
    EXPECT_EQ(c.number, 1);
    EXPECT_TRUE(c.clearUnchecked);
    c = onBufferedTelegramsChanged(ctxFor(731, 2), 5, true);
    EXPECT_EQ(c.verdict.messageId, 0);
    EXPECT_TRUE(c.clearEnabled);
    EXPECT_FALSE(onBufferedTelegramsChanged(ctxFor(731, 1), 5, true).clearEnabled);
    EXPECT_FALSE(onBufferedTelegramsChanged(ctxFor(8312, 5), 5, true).clearEnabled);
    EXPECT_TRUE(onBufferedTelegramsChanged(ctxFor(730), 5, true).clearEnabled);
    EXPECT_TRUE(onBufferedTelegramsChanged(ctxFor(730), std::nullopt, true).clearEnabled);
    EXPECT_TRUE(onBufferedTelegramsChanged(ctxFor(731, 2), std::nullopt, true).clearUnchecked);

    auto o = onNoOverwriteClicked(false, 3);
    EXPECT_TRUE(o.noOverwrite);
    EXPECT_EQ(o.verdict.messageId, 524);
    EXPECT_EQ(o.verdict.captionId, 417);
    o = onNoOverwriteClicked(false, 1);
    EXPECT_FALSE(o.noOverwrite);
    EXPECT_FALSE(o.numberEnabled);

    EXPECT_EQ(onCpuBoxClicked(true, 0).dbNo, 1);
    EXPECT_EQ(onCpuBoxClicked(true, 17).dbNo, 17);
    EXPECT_EQ(storedRecvDbNo(false, 17), 0);
}

TEST(RulesImmediate, WholeBufferStandardValuesPriority) {
    EXPECT_EQ(onWholeBufferClicked(true, 4).stored, 255);
    EXPECT_FALSE(onWholeBufferClicked(true, 4).shownNumber);
    EXPECT_EQ(onWholeBufferClicked(false, 255).stored, 10);
    EXPECT_EQ(onWholeBufferClicked(false, 0).stored, 1);
    EXPECT_EQ(onWholeBufferClicked(false, 7).stored, 7);

    EXPECT_EQ(standardValues(true).ackDelay, 2000);
    EXPECT_EQ(standardValues(false).ackDelay, 550);
    EXPECT_EQ(standardValues(false).charDelay, 220);

    Verdict high = priorityHint(ctxFor(731), 1);
    EXPECT_TRUE(high.accepted);
    EXPECT_EQ(high.captionId, 564);
    EXPECT_EQ(messageText(high),
              "Es wurde die Priorität:  - hoch -  eingestellt.\n\nHinweis:  Beim Partner muß daher die Priorität  "
              "- niedrig -  gewählt werden!");
    EXPECT_EQ(priorityHint(ctxFor(731), 0).inserts, (Ins{"niedrig", "hoch"}));
    EXPECT_FALSE(priorityHint(makeCheckContext(731, 26, 2, 0, true, true), 1).hasMessage());
}

TEST(RulesImmediate, InterfacePresets) {
    auto s = onOperatingMode(InterfacePage::CP730Ascii, 1, 1);
    EXPECT_EQ(s.preset, 2);
    EXPECT_FALSE(s.fiveVoltEnabled);
    EXPECT_EQ(s.breakMonitoring, false);
    s = onOperatingMode(InterfacePage::CP731, 1, 1);
    EXPECT_EQ(s.preset, 2);
    EXPECT_FALSE(s.breakMonitoring.has_value());
    s = onOperatingMode(InterfacePage::CP731, 0, 2);
    EXPECT_EQ(s.preset, 2);  // full duplex enables 5 V but keeps the choice
    EXPECT_TRUE(s.fiveVoltEnabled);
    s = onOperatingMode(InterfacePage::CP830Ascii, 2, 0);
    EXPECT_EQ(s.preset, 2);
    EXPECT_FALSE(s.noneEnabled);
    EXPECT_FALSE(s.fiveVoltEnabled);
    EXPECT_EQ(onOperatingMode(InterfacePage::CP830Ascii, 0, 2).preset, 1);
    EXPECT_EQ(onOperatingMode(InterfacePage::CP830Ascii, 3, 2).preset, 0);
    EXPECT_EQ(breakMonitoringForPreset(ctxFor(730, 0, 0, 28), 1), true);
    EXPECT_EQ(breakMonitoringForPreset(ctxFor(730, 0, 0, 28), 2), false);
    EXPECT_FALSE(breakMonitoringForPreset(ctxFor(730, 0, 0, 26), 1).has_value());
}

TEST(RulesImmediate, PageLayout) {
    struct Case {
        int lines;
        bool h1, h2, f1, f2;
        int message, headers, footers;
    };
    const Case cases[] = {
        {2, true, true, true, false, 542, 2, 1},
        {2, true, false, true, false, 0, 1, 1},
        {0, false, false, false, false, 0, 0, 0},
        {0, true, false, false, false, 542, 1, 0},
        {3, false, true, false, false, 0, 2, 0},  // an empty first header line still counts
    };
    for (const auto& c : cases) {
        auto r = checkPageLayout(c.lines, c.h1, c.h2, c.f1, c.f2);
        EXPECT_EQ(r.verdict.messageId, c.message);
        EXPECT_EQ(r.headerLines, c.headers);
        EXPECT_EQ(r.footerLines, c.footers);
        if (c.message) {
            EXPECT_EQ(r.verdict.captionId, 422);
            EXPECT_EQ(r.verdict.focus, Field::LinesPerPage);
        }
    }
    EXPECT_EQ(checkHeaderFooterLength(60, 60).messageId, 532);
    EXPECT_EQ(checkHeaderFooterLength(59, 60).messageId, 0);
}

}  // namespace
