// The parameter printout: its header, the section of each protocol family in its line
// layouts, the loadable driver's own lines, and how many lines go on a page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/cli.h"
#include "document/codes.h"
#include "sdb/text_image.h"
#include "tests/support/message_recorder.h"
#include "tests/support/module_factory.h"
#include "tests/support/scratch_dir.h"
#include "view/printout.h"

namespace {

using Lines = std::vector<std::string>;

// A document with the module's default record and its identification filled in.
struct Module : support::ModuleDocument {
    Module(int type, int protocol, int interfaceCode, unsigned productVersion = 0)
        : ModuleDocument(type, protocol, interfaceCode, productVersion) {
        doc.m_CurParams = support::DefaultRecord(type, protocol);
        doc.m_szModuleName = "CP";
        doc.m_strModuleObjectName = "CP 730 (R0/S4)";
        doc.m_szOrderNo = "9QX4 730-1KM02";
        doc.m_szInterfaceName = "RS 232";
        doc.m_strStationPath = "P1\\S1";
        doc.m_strRack = "0";
        doc.m_strSlot = "4";
    }
    Lines print() const { return printout::BuildPrintout(doc); }
};

// The lines after the header (which ends with two empty lines after "Steckplatz").
Lines section(const Lines& all) {
    const auto slot = std::find_if(all.begin(), all.end(), [](const std::string& l) { return l.rfind("  Steckplatz", 0) == 0; });
    EXPECT_NE(slot, all.end());
    return slot == all.end() ? Lines{} : Lines(slot + 3, all.end());
}

// The lines from the first one that starts with `head`, `count` of them.
Lines from(const Lines& all, const std::string& head, size_t count) {
    const auto at = std::find_if(all.begin(), all.end(), [&](const std::string& l) { return l.rfind(head, 0) == 0; });
    if (at == all.end()) return {"<no line " + head + ">"};
    return Lines(at, at + std::min<size_t>(count, all.end() - at));
}

bool has(const Lines& all, const std::string& head) {
    return std::any_of(all.begin(), all.end(), [&](const std::string& l) { return l.rfind(head, 0) == 0; });
}

std::string pad(const std::string& s, size_t width) { return printout::PadRight(s, width); }

}  // namespace

TEST(PrintoutHeader, IdentifiesTheModuleWithAnUnderlineAsLongAsTheTitle) {
    Module m(kCP730, kProt3964, kIfRs232);
    m.doc.m_strStationPath = "P1\\Prüfstand";
    const Lines l = m.print();
    const Lines expected = {
        "Punkt-zu-Punkt-Kopplung parametrieren  CP 730 (R0/S4) - P1\\Prüfstand",
        std::string(68, '='),
        "",
        "Eigenschaften",
        "  Baugruppe                                  CP 730 (R0/S4)",
        "  Bestell-Nr. (MLFB)                         9QX4 730-1KM02",
        "  Schnittstelle                              RS 232",
        "  Baugruppenträger (Rack)                    0",
        "  Steckplatz                                 4",
        "",
        "",
    };
    ASSERT_GE(l.size(), expected.size());
    EXPECT_EQ(Lines(l.begin(), l.begin() + expected.size()), expected);
    EXPECT_EQ(printout::CharCount(l[0]), 68u);
}

TEST(PrintoutHeader, NumberedInterfaceAddsItsModuleAndAnUnnamedModuleObjectTakesTheModuleName) {
    Module m(kCP8312, kProt3964, kIfHostRs232);
    m.doc.m_strModuleObjectName.clear();
    m.doc.m_szModuleName = "CP 831-2";
    m.doc.m_nInterfaceNo = 2;
    m.doc.m_szInterfaceName = "RS 232";
    const Lines l = m.print();
    EXPECT_EQ(l[0], "Punkt-zu-Punkt-Kopplung parametrieren  CP 831-2 - P1\\S1");
    EXPECT_EQ(l[4], "  Baugruppe                                  CP 831-2");
    EXPECT_EQ(l[6], "  Schnittstelle                              2");
    EXPECT_EQ(l[7], "  Modul                                      RS 232");
}

TEST(Printout3964, Cp730DefaultsOnRs232) {
    Module m(kCP730, kProt3964, kIfRs232);
    const Lines expected = {
        "Protokoll                                    3964(R)",
        "",
        "  Protokoll-Modus                            Standardwerte",
        "                                             mit Blockcheck",
        "  Protokoll-Parameter",
        "    Zeichenverzugszeit                       220 ms",
        "    Quittungsverzugszeit                     2000 ms",
        "    Aufbauversuche                           6",
        "    Übertragungsversuche                     6",
        "",
        "  Geschwindigkeit",
        "    Baudrate                                 9600 Bits/s",
        "",
        "  Zeichenrahmen",
        "    Datenbits                                8",
        "    Stopbits                                 1",
        "    Parität                                  gerade",
        "    Priorität                                hoch",
        "",
        "  BREAK Überwachung aktivieren               ja",
        "",
        "  Empfangspuffer auf CP",
        "    CP-Empfangspuffer im Anlauf löschen      ja",
        "",
    };
    EXPECT_EQ(section(m.print()), expected);
}

TEST(Printout3964, Cp730OnRs422ShowsOperatingModeAndPreset) {
    Module m(kCP730, kProt3964, kIfRs422);
    m.doc.m_CurParams.byLinePreset = 1;
    m.doc.m_CurParams.byBreakOff = 1;
    const Lines l = section(m.print());
    EXPECT_EQ(from(l, "  BREAK", 1), Lines{"  BREAK Überwachung aktivieren               nein"});
    const Lines expected = {
        "  Betriebsart                                Vollduplex (RS422)",
        "",
        "  Vorbelegung der Empfangsleitungen          Signal R(A) 5 Volt (Breakerkennung)",
        "  " + std::string(61 - 18, ' ') + "Signal R(B) 0 Volt",
        "",
    };
    EXPECT_EQ(from(l, "  Betriebsart", 10), expected);
}

TEST(Printout3964, ProtocolModeLinesFollowTheStoredMode) {
    const struct {
        int mode;
        const char* standard;
        const char* check;
    } cases[] = {
        {1, "Standardwerte", "ohne Blockcheck"},       {2, "Standardwerte", "mit Blockcheck"},
        {3, "keine Standardwerte", "ohne Blockcheck"}, {4, "keine Standardwerte", "mit Blockcheck"},
        {0, "Standardwerte", "ohne Blockcheck"},
    };
    for (const auto& c : cases) {
        Module m(kCP731, kProt3964, kIfRs232);
        m.doc.m_CurParams.byMode = static_cast<uint8_t>(c.mode);
        const Lines l = section(m.print());
        EXPECT_EQ(from(l, "  Protokoll-Modus", 2),
                  (Lines{"  " + pad("Protokoll-Modus", 42) + " " + c.standard, std::string(45, ' ') + c.check}))
            << "byMode " << c.mode;
    }
}

TEST(Printout3964, Rk512ReactionWaitOnlyWhereTheModuleHasIt) {
    const struct {
        int module;
        unsigned version;
        uint16_t wait;
        Lines lines;  // empty: no reaction-wait lines
    } cases[] = {
        {kCP731, 2, 0,
         {"  Wartezeit auf Reaktionstelegramme          Standardwerte", "    maximale Wartezeit                       20000 ms"}},
        {kCP731, 2, 500,
         {"  Wartezeit auf Reaktionstelegramme          baudratenabhängig", "    maximale Wartezeit                       500 ms"}},
        {kCP731, 1, 0, {}},
        {kCP8312, 5, 0,
         {"  Wartezeit auf Reaktionstelegramme          Standardwerte", "    maximale Wartezeit                       20000 ms"}},
        {kCP8312, 4, 0, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.module << " version " << c.version << " wait " << c.wait);
        Module m(c.module, kProtRk512, kIfHostRs232, c.version);
        m.doc.m_CurParams.wReactionWait = c.wait;
        const Lines l = section(m.print());
        EXPECT_EQ(l[0], "Protokoll                                    RK512");
        if (c.lines.empty()) {
            EXPECT_FALSE(has(l, "  Wartezeit auf Reaktionstelegramme"));
            EXPECT_EQ(l[2].rfind("  Protokoll-Modus", 0), 0u);
        } else {
            EXPECT_EQ(Lines(l.begin() + 2, l.begin() + 5), (Lines{c.lines[0], c.lines[1], ""}));
        }
        // RK 512 has no receive box on the CPU
        EXPECT_FALSE(has(l, "  Empfangsfach auf CPU"));
    }
}

TEST(Printout3964, Cp831ReceiveBoxAndRs422Tail) {
    Module m(kCP8311, kProt3964, kIfHostRs422);
    m.doc.m_CurParams.wRecvDbNo = 12;
    const Lines expected = {
        "  Empfangspuffer auf CP",
        "    CP-Empfangspuffer im Anlauf löschen      " + std::string(m.doc.m_CurParams.byClearRecvBuf ? "ja" : "nein"),
        "",
        "  Empfangsfach auf CPU",
        "    CPU-Empfangsfach vorhanden               ja",
        "    DB-Nummer                                12",
        "",
        "  Betriebsart                                Vollduplex (RS422)",
        "",
        "  Vorbelegung der Empfangsleitungen          keine",
        "  " + std::string(60, ' ') + " ",
    };
    const Lines l = section(m.print());
    EXPECT_EQ(from(l, "  Empfangspuffer auf CP", 20), expected);  // no empty line at the end on a CP 831

    m.doc.m_CurParams.wRecvDbNo = 0;
    EXPECT_EQ(from(section(m.print()), "  Empfangsfach auf CPU", 3),
              (Lines{"  Empfangsfach auf CPU", "    CPU-Empfangsfach vorhanden               nein", ""}));
}

TEST(Printout3964, Cp830ShowsItsOwnModeAttemptsAndMilliseconds) {
    Module m(kCP830, kProt3964, kIfRs422);
    CDb& p = m.doc.m_CurParams;
    p.wCharDelay = 300;  // the CP 830 keeps this time in ms
    p.aby830Ext1[3] = 2;
    p.aby830Ext1[4] = 4;
    p.aby830Ext1[6] = 3;
    p.byBufferedTelegrams = 255;
    const Lines l = section(m.print());
    EXPECT_EQ(from(l, "  Protokoll-Modus", 7),
              (Lines{"  Protokoll-Modus                            keine Standardwerte",
                     "                                             mit Blockcheck", "  Protokoll-Parameter",
                     "    Zeichenverzugszeit                       300 ms",
                     "    Quittungsverzugszeit                     " + std::to_string(p.wAckDelay * 10) + " ms",
                     "    Aufbauversuche                           2", "    Übertragungsversuche                     4"}));
    EXPECT_EQ(from(l, "    gesamten Puffer", 2),
              (Lines{"    gesamten Puffer ausnutzen                ja", "    Gepufferte Empfangstelegramme            -"}));
    EXPECT_TRUE(has(l, "  Betriebsart                                Vollduplex (RS422)"));
    EXPECT_FALSE(has(l, "  BREAK"));
}

TEST(PrintoutAscii, Cp830EndCharactersWithAppendedSendEnd) {
    Module m(kCP830, kProtAscii, kIfRs422);
    CDb& p = m.doc.m_CurParams;
    p.byEndCrit830 = 34;
    p.wCharDelay = 12;
    p.byRecvEndCount = 2;
    p.byRecvEnd1 = 0x0D;
    p.byRecvEnd2 = 0x0A;
    p.byEndLink830 = 33;
    p.bySendEndCount = 1;
    p.bySendEnd1 = 0x3;
    const Lines expected = {
        "Protokoll                                    ASCII",
        "",
        "  Endeerkennung eines Empfangstelegramms     Endezeichen",
        "    Zeichenverzugszeit                       12 ms",
        "    Anzahl der Endezeichen                   2",
        "      1." + pad("Endezeichen Empfänger", 37) + "D " + pad("Hex", 22),
        "      2." + pad("Endezeichen Empfänger", 37) + "A " + pad("Hex", 22),
        "      Verknüpfung von 1. und 2. Endezeichen  ODER",
        "",
        "    Senden mit Endezeichen                   Senden bis zur am FB parametrierten Länge",
        std::string(39, ' ') + "und automatisches Anhängen der/des Endezeichens",
        "      Anzahl der Endezeichen                 1",
        "        1." + pad("Endezeichen Sender", 35) + "3 " + pad("Hex", 22),
        "",
    };
    const Lines l = section(m.print());
    ASSERT_GE(l.size(), expected.size());
    EXPECT_EQ(Lines(l.begin(), l.begin() + expected.size()), expected);
    // the CP 830's operating mode by its own code
    p.byOpMode830 = 2;
    EXPECT_TRUE(has(section(m.print()), "  Betriebsart                                Vollduplex (RS 422)  Mehrpunkt Master"));
}

TEST(PrintoutAscii, Cp830OtherCriteria) {
    const struct {
        int criterion;
        Lines lines;
    } cases[] = {
        {16, {"  Endeerkennung eines Empfangstelegramms     nach Ablauf der Zeichenverzugszeit",
              "    Zeichenverzugszeit                       7 ms", ""}},
        {33, {"  Endeerkennung eines Empfangstelegramms     Endezeichen"}},
        {48, {"  Endeerkennung eines Empfangstelegramms     nach Empfang einer festen Zeichenanzahl",
              "    Zeichenverzugszeit                       7 ms", "    Telegrammlänge                           64 Bytes",
              "    Sendepause zwischen den Telegrammen in Höhe der ZVZ    ja", ""}},
        {49, {"  Endeerkennung eines Empfangstelegramms     nach Empfang einer festen Zeichenanzahl",
              "    Zeichenverzugszeit                       7 ms", "    Telegrammlänge                           64 Bytes",
              "    Sendepause zwischen den Telegrammen in Höhe der ZVZ    nein", ""}},
        {5, {""}},  // no criterion: no lines
    };
    for (const auto& c : cases) {
        Module m(kCP830, kProtAscii, kIfRs422);
        m.doc.m_CurParams.byEndCrit830 = static_cast<uint8_t>(c.criterion);
        m.doc.m_CurParams.wCharDelay = 7;
        m.doc.m_CurParams.wTelegramLen = 64;
        m.doc.m_CurParams.byRecvEndCount = 1;
        const Lines l = section(m.print());
        EXPECT_EQ(Lines(l.begin() + 2, l.begin() + 2 + c.lines.size()), c.lines) << "criterion " << c.criterion;
    }
    Module send(kCP830, kProtAscii, kIfRs422);
    send.doc.m_CurParams.byEndCrit830 = 33;
    EXPECT_EQ(from(section(send.print()), "    Senden mit", 2),
              (Lines{"    Senden mit Endezeichen                   Senden bis einschließlich Endezeichen",
                     "      Anzahl der Endezeichen                 " + std::to_string(send.doc.m_CurParams.bySendEndCount)}));
}

TEST(PrintoutAscii, Cp731EndCharactersXonXoffAndRs485) {
    Module m(kCP731, kProtAscii, kIfRs422, 2);
    CDb& p = m.doc.m_CurParams;
    p.byMode = 2;
    p.wCharDelay = 9;
    p.byRecvEndCount = 2;
    p.byRecvEnd1 = 0x1B;
    p.byRecvEnd2 = 0xFF;
    p.bySendMode = 33;
    p.bySendEndCount = 2;
    p.bySendEnd1 = 0x0D;
    p.bySendEnd2 = 0x0A;
    p.byFlowCtrl = 1;
    p.byXonChar = 0x11;
    p.byXoffChar = 0x13;
    p.wXonWait = 2000;
    p.byBufferedTelegrams = 8;
    p.byNoOverwrite = 0;
    p.byConnectTries = 1;  // RS 485
    p.byLinePreset = 2;
    p.byExtErrDisplay = 1;
    const Lines expected = {
        "Protokoll                                    ASCII",
        "",
        "  Endeerkennung eines Empfangstelegramms     Endezeichen",
        "    Zeichenverzugszeit                       9 ms",
        "    Anzahl der Endezeichen                   2",
        "      1." + pad("Endezeichen Empfänger", 37) + "1B " + pad("Hex", 22),
        "      2." + pad("Endezeichen Empfänger", 37) + "FF " + pad("Hex", 22),
        "",
        "    Senden mit Endezeichen                   Senden bis einschließlich Endezeichen",
        "      Anzahl der Endezeichen                 2",
        "        1." + pad("Endezeichen Sender", 35) + "D " + pad("Hex", 22),
        "        2." + pad("Endezeichen Sender", 35) + "A " + pad("Hex", 22),
        "",
        "  Geschwindigkeit",
        "    Baudrate                                 9600 Bits/s",
        "",
        "  Zeichenrahmen",
        "    Datenbits                                8",
        "    Stopbits                                 1",
        "    Parität                                  gerade",
        "",
        "  Datenflusskontrolle                        XON / XOFF",
        "",
        "  Datenflusskontroll-Parameter",
        "    XON-Zeichen                              11 Hex",
        "    XOFF-Zeichen                             13 Hex",
        "    Warten auf XON nach XOFF                 20000 ms",
        "",
        "  Empfangspuffer auf CP",
        "    CP-Empfangspuffer im Anlauf löschen      " + std::string(p.byClearRecvBuf ? "ja" : "nein"),
        "    Gepufferte Empfangstelegramme            8",
        "    Überschreiben verhindern                 nein",
        "",
        "  erweiterte Fehleranzeige am Empfangs FB    ja",
        "",
        "  Betriebsart                                Halbduplex (RS485)",
        "",
        "  Vorbelegung der Empfangsleitungen          Signal R(A) 0 Volt",
        "  " + std::string(61 - 18, ' ') + "Signal R(B) 5 Volt",
        "",
    };
    EXPECT_EQ(section(m.print()), expected);
}

TEST(PrintoutAscii, Cp730LabelsAndV24Signals) {
    Module m(kCP730, kProtAscii, kIfRs232);
    CDb& p = m.doc.m_CurParams;
    p.byMode = 2;
    p.byRecvEndCount = 1;
    p.byRecvEnd1 = 3;
    p.bySendMode = 32;  // no send-mode lines
    p.byFlowCtrl = 0;
    p.byV24Signals = 1;
    p.wRtsOffTime = 2;
    p.wOutputWait = 3;
    const Lines l = section(m.print());
    EXPECT_EQ(l[2], "  Endeerkennung eines Empfangstelegramms     nach Empfang der/des Endezeichen(s)");
    EXPECT_EQ(l[5], "      1." + pad("Zeichen", 37) + "3 " + pad("Hex", 22));
    EXPECT_EQ(l[6], "");
    EXPECT_FALSE(has(l, "    Senden mit Endezeichen"));
    EXPECT_TRUE(has(l, "  BREAK Überwachung aktivieren"));
    EXPECT_EQ(from(l, "  Datenflusskontrolle", 7),
              (Lines{"  Datenflusskontrolle                        keine", "    Bedienung der V24-Signale                ja", "",
                     "  Datenflusskontroll-Parameter", "    RTS-Wegnahmezeit                         20 ms",
                     "    Datenausgabe-Wartezeit                   30 ms", ""}));
}

TEST(PrintoutAscii, FixedLengthSendPauseOnlyWithASendMode) {
    const struct {
        int sendMode;
        const char* pause;  // nullptr: no line
    } cases[] = {{0, nullptr}, {48, "ja"}, {49, "nein"}};
    for (const auto& c : cases) {
        Module m(kCP8311, kProtAscii, kIfHostRs232);
        m.doc.m_CurParams.byMode = 3;
        m.doc.m_CurParams.bySendMode = static_cast<uint8_t>(c.sendMode);
        const Lines l = section(m.print());
        EXPECT_EQ(l[2], "  Endeerkennung eines Empfangstelegramms     nach Empfang einer festen Zeichenanzahl");
        EXPECT_EQ(l[5], c.pause ? std::string("    Sendepause zwischen den Telegrammen in Höhe der ZVZ    ") + c.pause : "")
            << "send mode " << c.sendMode;
    }
}

TEST(PrintoutPrinter, PageLayoutCharacterSetEmulationAndMessages) {
    Module m(kCP731, kProtPrinter, kIfRs232, 2);
    CDbdr& dr = m.doc.m_CurPrinter;
    dr.byLeftMargin = 3;
    dr.byLinesPerPage = 0;
    dr.byLineEnd = 4;
    dr.byHeaderLines = 1;
    dr.byFooterLines = 2;
    dr.byCharSet = 255;
    dr.byEmulation = 1;
    m.doc.m_bTextPresent = 1;
    std::memcpy(m.doc.m_CurTextName.achName.data(), "TEXTE01 ", 8);
    m.doc.m_CurTextName.byVerHi = 1;
    m.doc.m_CurTextName.byVerLo = 12;
    const std::string t76(76, 'x'), t77 = std::string(76, 'y') + "ü";
    ASSERT_TRUE(m.doc.m_pTexts->setText(5, "Kessel leer"));
    ASSERT_TRUE(m.doc.m_pTexts->setText(7, t76));
    ASSERT_TRUE(m.doc.m_pTexts->setText(120, t77));
    const Lines expected = {
        "Seitenlayout",
        "  Linker Rand (Anzahl Zeichen)               3",
        "  Zeilen pro Seite                           endlos",
        "  Trennzeichen/Zeilenabschluß                LF CR",
        "  Anzahl Kopfzeilen                          1",
        "  Anzahl Fußzeilen                           2",
        "",
        "",
        "Zeichensatz                                  User-Defined",
        "",
        "",
        "Steuerzeichen (Druckeremulation)             HP-LaserJet",
        "",
        "",
        "Meldungen (Text-SDB) vorhanden               ja",
        "  Name Text-SDB/Text-Datei                   TEXTE01 ",
        "  Versionsnummer                             1.12",
        "",
        "  Nr.  " + pad("Text", 140),
        "  " + std::string(81, '-'),
        "    5  " + pad("Kessel leer", 80),
        "    7  " + pad(t76, 80),
        "  120  " + pad(std::string(76, 'y'), 80),
        "       " + pad("ü", 80),
        "",
    };
    EXPECT_EQ(from(m.print(), "Seitenlayout", 100), expected);
}

TEST(PrintoutPrinter, TransmissionPartAndNoTexts) {
    Module m(kCP730, kProtPrinter, kIfRs422, 2);
    CDb& p = m.doc.m_CurParams;
    p.byFlowCtrl = 2;
    p.wXonWait = 100;
    p.byBaud = 12;
    m.doc.m_CurPrinter.byLinesPerPage = 60;
    m.doc.m_CurPrinter.byLineEnd = 9;
    m.doc.m_CurPrinter.byCharSet = 0;
    m.doc.m_CurPrinter.byEmulation = 2;
    m.doc.m_bTextPresent = 0;
    const Lines expected = {
        "Protokoll                                    DRUCKER",
        "",
        "  Geschwindigkeit",
        "    Baudrate                                 57600 Bits/s",
        "",
        "  Zeichenrahmen",
        "    Datenbits                                " + std::to_string(p.byDataBits),
        "    Stopbits                                 " + std::string(p.byStopBits == 3 ? "2" : "1"),
        "    Parität                                  gerade",
        "",
        "  Datenflusskontrolle                        RTS / CTS",
        "",
        "  Datenflusskontroll-Parameter",
        "    Warten auf XON nach XOFF                 1000 ms",
        "",
        "  BREAK Überwachung aktivieren               " + std::string(p.byBreakOff ? "nein" : "ja"),
        "",
        "  Betriebsart                                Vollduplex (RS422)",
        "",
        "  Vorbelegung der Empfangsleitungen          keine",
        "  " + std::string(60, ' ') + " ",
        "",
        "",
        "",
        "Seitenlayout",
        "  Linker Rand (Anzahl Zeichen)               " + std::to_string(m.doc.m_CurPrinter.byLeftMargin),
        "  Zeilen pro Seite                           60",
        "  Trennzeichen/Zeilenabschluß                CR",
        "  Anzahl Kopfzeilen                          " + std::to_string(m.doc.m_CurPrinter.byHeaderLines),
        "  Anzahl Fußzeilen                           " + std::to_string(m.doc.m_CurPrinter.byFooterLines),
        "",
        "",
        "Zeichensatz                                  IBM",
        "",
        "",
        "Steuerzeichen (Druckeremulation)             IBM",
        "",
        "",
        "Meldungen (Text-SDB) vorhanden               nein",
        "",
    };
    EXPECT_EQ(section(m.print()), expected);
}

TEST(PrintoutValues, BaudRatesAndParityTexts) {
    const struct {
        int module, code;
        const char* rate;
    } bauds[] = {{kCP731, 3, "300"},    {kCP731, 0, "300"},    {kCP731, 14, "300"},   {kCP731, 4, "600"},
                 {kCP731, 10, "38400"}, {kCP731, 11, "76800"}, {kCP731, 12, "57600"}, {kCP830, 11, "57600"},
                 {kCP830, 12, "76800"}, {kCP731, 13, "115200"}};
    for (const auto& b : bauds) {
        Module m(b.module, kProt3964, kIfRs232);
        m.doc.m_CurParams.byBaud = static_cast<uint8_t>(b.code);
        EXPECT_TRUE(has(m.print(), "    " + pad("Baudrate", 40) + " " + b.rate + " Bits/s")) << b.module << " code " << b.code;
    }
    const char* parities[] = {"keine", "ungerade", "gerade", "beliebig"};
    for (int code = 0; code < 4; ++code) {
        Module m(kCP731, kProt3964, kIfRs232);
        m.doc.m_CurParams.byParity = static_cast<uint8_t>(code);
        m.doc.m_CurParams.byStopBits = 3;
        m.doc.m_CurParams.byPriority = 0;
        const Lines l = m.print();
        EXPECT_TRUE(has(l, "    " + pad("Parität", 40) + " " + parities[code]));
        EXPECT_TRUE(has(l, "    Stopbits                                 2"));
        EXPECT_TRUE(has(l, "    Priorität                                niedrig"));
    }
}

TEST(PrintoutDriver, SampleDriverAppendsItsLines) {
    Module m(kCP731, driverProtocol(0), kIfRs232, 2);
    const std::filesystem::path library(PTP_SAMPLE_DRIVER);
    m.app.driverFolder = library.parent_path().string() + "/";
    m.app.drivers = {InstalledDriver{"Beispieltreiber", library.filename().string(), "", "", "", "", false}};
    std::memcpy(m.doc.m_DriverInfo.driverName, "SAMPK731", 8);
    m.doc.m_DriverInfo.driverVerHi = 1;
    m.doc.m_DriverInfo.driverVerLo = 2;
    m.doc.m_pDriverData = std::make_unique<std::array<uint8_t, CPtpDoc::kDriverDataSize>>();
    const uint8_t area[] = {'B', 'T', 1, 8, 0, 17, 0, 250};  // station 17, 250 ms
    std::copy(std::begin(area), std::end(area), m.doc.m_pDriverData->begin());
    m.doc.m_nDriverDataLen = sizeof area;
    const Lines expected = {
        "Protokoll                                    Ladbarer Treiber",
        "",
        "  Treiber                                    Beispieltreiber SAMPK731 V1.2",
        "  Stationsadresse                            17",
        "  Zeitüberwachung                            250 ms",
        "",
    };
    EXPECT_EQ(section(m.print()), expected);
    EXPECT_EQ(m.doc.m_nDriverDataLen, sizeof area);  // the printout changes nothing

    // a library that cannot be loaded leaves the head lines, and no message
    m.app.driverFolder = "/nonexistent/";
    const size_t shown = m.messages.shown.size();
    EXPECT_EQ(section(m.print()), (Lines{"Protokoll                                    Ladbarer Treiber", "", "", ""}));
    EXPECT_EQ(m.messages.shown.size(), shown);
}

TEST(PrintoutPages, LinesPerPageAndPageCount) {
    // 50 lines of 60 dots fit 3060 dots: one line is kept free
    EXPECT_EQ(printout::LinesPerPage(3060, 60), 50);
    EXPECT_EQ(printout::LinesPerPage(3119, 60), 50);
    EXPECT_EQ(printout::LinesPerPage(60, 60), 1);   // never no line at all
    EXPECT_EQ(printout::LinesPerPage(500, 0), 1);
    const struct {
        size_t lines;
        int perPage, pages;
    } cases[] = {{120, 50, 3}, {100, 50, 2}, {101, 50, 3}, {1, 50, 1}, {0, 50, 1}, {10, 0, 10}};
    for (const auto& c : cases)
        EXPECT_EQ(printout::PageCount(c.lines, c.perPage), c.pages) << c.lines << " lines, " << c.perPage << " a page";
    const auto last = printout::LinesOfPage(3, 50, 120);
    EXPECT_EQ(last.first, 100u);
    EXPECT_EQ(last.end, 120u);
    const auto past = printout::LinesOfPage(4, 50, 120);
    EXPECT_EQ(past.first, past.end);
}

// ptpcfg print: the lines of the document the start-up string opens, one a line.
TEST(PrintoutCommand, PrintsTheLinesOfTheStartedModule) {
    support::ScratchDir dir("ptp_print");
    ::unsetenv("QORB4_PROJECT");
    const std::string line = support::StartupString((dir / "cp831.sdb").string(), "CP8311", 81, "9QX4 831-1KK02");
    std::string expected;
    {
        AppSettings app;
        support::MessageRecorder messages;
        const auto doc = support::OpenDocument(app, line);
        for (const auto& l : printout::BuildPrintout(*doc)) expected += l + "\n";
    }
    std::string out;
    EXPECT_EQ(cli::Run({"print", line}, out), cli::kDone);
    EXPECT_EQ(out, expected);
    EXPECT_NE(out.find("Protokoll                                    3964(R)\n"), std::string::npos);

    out.clear();
    EXPECT_EQ(cli::Run({"print"}, out), cli::kFailure);
    EXPECT_EQ(cli::Run({"help", "print"}, out), cli::kDone);
    EXPECT_EQ(out.rfind("ptpcfg print STARTUP [--pdf DATEI]\n", 0), 0u);
}
