#pragma once
// The document's parameter records. Their fields hold the values of the system data
// blocks in host order; the byte images (big-endian) are built and read in sdb/.
#include <array>
#include <cstddef>
#include <cstdint>

#include "document/codes.h"

#pragma pack(push, 1)

// Protocol parameter record. Loadable-driver libraries receive the address of the
// live record and write into it, so its memory image is fixed: 118 bytes, 4 bytes of
// the object's own, its creation time, then the fields without padding (little-endian).
struct CDb {
    uint8_t abyObject[4];
    uint32_t dwCreated;
    uint16_t wRecordType;
    char achDriverName[8];
    uint8_t byDriverVerHi, byDriverVerLo;
    char achSccName[8];
    uint8_t bySccVerHi, bySccVerLo;
    uint16_t wReserved1;
    uint8_t byTypeCode1, byTypeCode2;
    uint16_t wProtocolId;
    uint16_t wDriverWord;
    uint8_t byInterface;
    uint16_t wRecvDbNo;
    uint16_t wRecvAux;
    uint8_t byClearRecvBuf;
    uint8_t byBaud;
    uint8_t byParity;
    uint8_t byDataBits;
    uint8_t byStopBits;
    uint8_t byFlowCtrl;
    uint8_t byMode;
    uint8_t byPriority;
    uint16_t wCharDelay;
    uint16_t wAckDelay;
    uint8_t byConnectTries;
    uint8_t bySendTries;
    uint8_t byRecvEndCount;
    uint8_t byRecvEnd1, byRecvEnd2;
    uint8_t byXonChar, byXoffChar;
    uint8_t byV24Signals;
    uint16_t wXonWait;
    uint16_t wRtsOffTime;
    uint16_t wOutputWait;
    uint16_t wTelegramLen;
    uint8_t byBufferedTelegrams;
    uint8_t byNoOverwrite;
    uint8_t byBreakOff;
    uint8_t byLinePreset;
    uint8_t bySendMode;
    uint8_t bySendEndCount, bySendEnd1, bySendEnd2;
    uint8_t byExtErrDisplay;
    uint8_t byReserved4;
    uint16_t wReactionWait;
    uint8_t byOpMode830;
    uint8_t by830a, by830b;
    uint8_t byEndCrit830;
    uint8_t byEndLink830;
    uint8_t aby830Ext1[8];
    uint16_t w830Word;
    uint8_t aby830Ext2[20];
};

#pragma pack(pop)

static_assert(sizeof(CDb) == 118);
static_assert(offsetof(CDb, wRecordType) == 8);
static_assert(offsetof(CDb, wProtocolId) == 34);
static_assert(offsetof(CDb, byInterface) == 38);
static_assert(offsetof(CDb, byBaud) == 44);
static_assert(offsetof(CDb, wCharDelay) == 51);
static_assert(offsetof(CDb, wReactionWait) == 81);
static_assert(offsetof(CDb, aby830Ext2) == 98);

// Printer-output record: page layout, control characters, character set, text lines.
struct CDbdr {
    static constexpr int kCtrlTableSize = 255;
    static constexpr int kCharTableSize = 256;
    static constexpr int kTextLines = 4;
    static constexpr int kTextLineSize = 60;

    uint8_t byCharSet = 0;          // 0 "IBM", 255 "User-Defined"
    uint8_t byEmulation = 0;        // 0 HP-Deskjet, 1 HP-LaserJet, 2 IBM, 255 User-Defined
    uint8_t byLinesPerPage = 0;     // 0 = continuous
    uint8_t byLeftMargin = 0;
    uint8_t byHeaderLines = 0;
    uint8_t byFooterLines = 0;
    uint8_t byLineEnd = 0;          // 1 CR, 2 LF, 3 CR LF, 4 LF CR
    uint8_t byCtrlCount = 0;        // entries in the control-character table
    uint8_t byCtrlLength = 0;       // bytes used in the control-character table
    std::array<uint8_t, kCtrlTableSize> abyCtrlTable{};
    std::array<uint8_t, kCharTableSize> abyCharTable{};
    std::array<std::array<char, kTextLineSize>, kTextLines> achTextLine{};
};

// Block head: the first 25 bytes of every image.
struct CDbHead {
    static constexpr int kSize = 25;

    uint8_t byKind = 0;        // 1 parameters, 2 texts, 3..5 driver code, firmware, protocol part
    uint16_t wHeadLen = 0;     // offset of the first sub-block
    uint16_t wBodyLen = 0;     // bytes after the head
    uint8_t byModuleCode = 0;
    uint8_t byB6 = 0;
    uint8_t byB7 = 0;
    uint16_t wFirstIndex = 0;  // text image: lowest message number
    uint16_t wLastIndex = 0;   // text image: highest message number
    std::array<uint8_t, 4> abyVersion{};
    std::array<uint8_t, 6> abyTime{};  // BCD: day, month, year % 100, hour, minute, second
    uint8_t byVariant1 = 0;    // byte 22
    uint8_t byVariant2 = 0;    // byte 23
    uint8_t byVariant3 = 0;    // byte 24
};

// Driver descriptor: 64 bytes heading every record of a loadable driver's files.
struct CDbSon {
    static constexpr int kSize = 64;

    std::array<char, 8> achName{};
    uint8_t byVerHi = 0, byVerLo = 0;
    uint16_t wZero = 0;
    uint16_t wType = 0;
    uint16_t wBodyLen = 0;
    uint16_t wWord = 0;
    uint32_t dwHwBits = 0;
    uint8_t byB22 = 0, byB23 = 0;
    std::array<uint16_t, 3> awWords{};
    std::array<uint32_t, 6> adwValues{};
    std::array<uint8_t, 6> abyBytes{};
    uint32_t dwValue = 0;
};

// Name and version of the text block.
struct CDbtex {
    static constexpr int kSize = 10;

    std::array<char, 8> achName{};
    uint8_t byVerHi = 0, byVerLo = 0;
};

// Default sets of the protocol record; each writes only the fields it names.
enum class DefaultSet { A, B, C, D3964, DRk512, E, G, H, I };

// Writes default set `set` into `db`. `cp831` selects the record type 0 of the
// CP 831 for sets D, E and G (14 otherwise).
void SetDbDefaults(CDb& db, DefaultSet set, bool cp831);

// Module families that own a head default.
enum class HeadDefault { CP730, CP731, CP830, CP831, Text };
void SetHeadDefault(CDbHead& head, HeadDefault which);
HeadDefault headDefaultFor(int moduleType);

// Text block name default: 8 blanks, version 0.1.
void SetTextNameDefault(CDbtex& tex);

// Driver descriptor defaults: "SCC00000" or "PTP00000".
enum class SonDefault { Scc, Ptp };
void SetSonDefault(CDbSon& son, SonDefault which);

// Printer-output default: settings 0,0,50,3,0,0,3,5,63, the HP-Deskjet control table,
// the character conversion table of the user-interface language, blank text lines.
void SetPrinterDefaults(CDbdr& dr, char languageLetter);

// The three built-in control-character tables; each returns its length (63, 63, 37).
int BuildCtrlTableDeskjet(uint8_t* out, size_t capacity);
int BuildCtrlTableLaserjet(uint8_t* out, size_t capacity);
int BuildCtrlTableIbm(uint8_t* out, size_t capacity);

// The character conversion table of language letter 'A'..'E' ('B' when unknown).
void BuildCharTable(char languageLetter, std::array<uint8_t, 256>& out);
