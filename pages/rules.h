#pragma once
// Limits and cross-checks of the protocol pages, as plain functions of the values a page
// or sheet holds. Every check answers with a Verdict: accepted or refused, the value the
// field gets, the message to show (id, caption, inserts) and the field that gets the
// focus. The pages show the verdict; the command line prints it; nothing here touches a
// widget. Values are those the pages show: times in ms, stop bits as 1 or 2, baud rates
// in Bit/s, list positions for parity and priority.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/codes.h"

namespace rules {

// What every page is told about its module when the sheet is built.
struct CheckContext {
    int moduleType = 0;         // 730, 731, 830, 8311, 8312
    int interfaceCode = 0;      // CP 730/731: 26, 27, 28; CP 831: 81, 67, 66, 0
    unsigned productVersion = 0;
    int extended = 0;           // station allows the extended baud rates and ASCII functions
    int gatedExtended = 0;      // the same, off on CP 831 when the host suite is too old
    int readOnly = 0;           // online: no control can change
};

// The gated flag governs the baud-rate lists, the ungated one the ASCII functions.
CheckContext makeCheckContext(int moduleType, int interfaceCode, unsigned productVersion, int extended,
                              bool hostNewFeatures, bool readOnly);

enum class Field {
    None,
    CharDelay, AckDelay, ConnectTries, SendTries,
    DataBits, StopBits, Parity, Baud,
    TelegramLen, RecvEnd1, RecvEnd2, SendEnd1, SendEnd2,
    FlowControl, Xon, Xoff, XonWait, RtsOffTime, OutputWait,
    BufferedTelegrams, NoOverwrite, RecvDbNo,
    LeftMargin, LinesPerPage, HeaderFooter,
};

struct Verdict {
    bool accepted = true;
    int value = 0;            // what the field holds afterwards (accepted or corrected)
    int messageId = 0;        // 0: nothing to show
    int captionId = 0;
    std::vector<std::string> inserts;
    Field focus = Field::None;
    std::string plainText;    // shown in a plain message box instead of the message display

    bool hasMessage() const { return messageId != 0 || !plainText.empty(); }
};

// The German text the user reads for a verdict (inserts put in).
std::string messageText(const Verdict& v);

// A field's text read as the pages read it: at most 6 characters, decimal; nullopt for
// an empty field. Non-digits end the number (a field's pattern keeps them out).
std::optional<long> readNumber(std::string_view text);
// A character field: at most 3 characters, hexadecimal, the low 8 bits count.
std::optional<int> readHex(std::string_view text);

// ---- the common numeric field check ----------------------------------------------

enum class CheckOrder {
    EmptyLowHighRaster,   // 3964(R)/RK 512 delay times
    EmptyHighLowRaster,   // every other field
    EmptyRasterHighLow,   // wait time of the printer pages
};

struct NumericRule {
    Field field = Field::None;
    int captionId = 0;
    int minimum = 0;
    int maximum = 0;          // "too high" from maximum + 1 on; the field gets the maximum
    int emptyValue = 0;       // written with message 550
    int tooHighMessage = 0;   // inserts: the maximum
    int tooLowMessage = 0;    // inserts: tooLowInserts, or the minimum
    std::vector<std::string> tooLowInserts;
    bool raster10 = false;
    int rasterFrom = 0;       // values at or below this are never raster-checked
    CheckOrder order = CheckOrder::EmptyHighLowRaster;
};

// A value outside the range on a side that has no message of its own (a count of 0
// left behind by backspace, say) is taken like an empty field: message 550 and the
// empty value, never stored as it is.
Verdict checkNumeric(std::optional<long> v, const NumericRule& rule);

// ---- tables ------------------------------------------------------------------------

// Lowest 3964(R)/RK 512 delay time (character and acknowledgement) at a baud rate.
int minDelay3964(int baudRate);
// Lowest ASCII character delay time; stopBits 1 or 2, parity as list position (0 none).
int minCharDelayAscii(const CheckContext& ctx, int baudRate, int dataBits, int stopBits, int parity);
// Longest ASCII telegram of the module.
int maxTelegramLen(const CheckContext& ctx);
// 1 start bit + data bits + stop bits + parity bit must make 10 or 11.
bool characterFrameValid(int dataBits, int stopBits, int parity);

// ---- field checks (one per checked field) ---------------------------------------

Verdict checkCharDelay3964(std::optional<long> v, int baudRate);
Verdict checkAckDelay3964(std::optional<long> v, int baudRate);
Verdict checkConnectTries(std::optional<long> v);
Verdict checkSendTries(std::optional<long> v);
// emptyValue: 7 (8 on RK 512, the spin's position on the printer pages).
Verdict checkDataBits(std::optional<long> v, int emptyValue, bool fixedEight = false);
Verdict checkStopBits(std::optional<long> v, int emptyValue = 1);
// The field part only; the minimum (509) is part of the page check.
Verdict checkCharDelayAscii(std::optional<long> v, int minimum);
Verdict checkTelegramLen(std::optional<long> v, int maximum);
Verdict checkEndChar(std::optional<int> v, Field which);
Verdict checkXonXoffChar(std::optional<int> v, Field which);
Verdict checkXonWait(std::optional<long> v, bool printerPage);
Verdict checkRtsOffTime(std::optional<long> v);
Verdict checkOutputWait(std::optional<long> v);
// CP 830 takes 1..10 and puts 10 for anything else, an empty field included.
Verdict checkBufferedTelegrams(std::optional<long> v, int moduleType);
Verdict checkRecvDbNo(std::optional<long> v);
Verdict checkLeftMargin(std::optional<long> v, int spinPosition);
Verdict checkLinesPerPage(std::optional<long> v, int spinPosition);

// ---- page values and page checks ---------------------------------------------------
// A page check runs the page's field checks in their order, then its cross-checks, and
// stops at the first refusal. It writes the corrected value into the page values, as
// the page writes it into the field.

struct ProtocolPage3964 {  // 3964(R) and RK 512 protocol page
    std::optional<long> charDelay, ackDelay, connectTries, sendTries;  // ms, counts
    std::optional<long> dataBits, stopBits;                           // 7/8, 1/2
    int baudRate = 9600;
    int parity = 0;     // list position
    int priority = 0;   // 0 niedrig, 1 hoch
    bool rk512 = false;
};
Verdict checkProtocolPage3964(const CheckContext& ctx, ProtocolPage3964& page);

struct AsciiPage {
    std::optional<long> charDelay, telegramLen, dataBits, stopBits;
    std::optional<int> recvEnd1, recvEnd2, sendEnd1, sendEnd2;
    int baudRate = 9600;
    int parity = 0;
    int endCriterion = 1;   // 1 delay time, 2 end characters, 3 fixed length
    int recvEndCount = 1;   // 1 or 2, from the second end-character checkbox
    int sendEndCount = 1;
    int sendMode = 0;       // bySendMode (CP 731/831), byEndCrit830 (CP 830)
};
Verdict checkAsciiPage(const CheckContext& ctx, AsciiPage& page);

enum Flow { kFlowNone = 0, kFlowXonXoff = 1, kFlowRtsCts = 2, kFlowV24 = 3 };

struct TransmissionPage {
    int flow = kFlowNone;
    std::optional<int> xon, xoff;
    std::optional<long> xonWait, rtsOffTime, outputWait;  // ms
};
Verdict checkTransmissionPage(const CheckContext& ctx, TransmissionPage& page);

struct ReceivePage {
    bool ascii = true;          // false: the 3964(R) receive page
    std::optional<long> bufferedTelegrams;
    bool noOverwrite = true;
    bool wholeBuffer = false;   // CP 830 "gesamten Puffer ausnutzen"
    bool useCpuBox = false;     // CP 831 "CPU-Empfangsfach verwenden"
    std::optional<long> dbNo;
};
Verdict checkReceivePage(const CheckContext& ctx, ReceivePage& page);

struct PrinterPage {
    std::optional<long> dataBits, stopBits;
    int dataBitsSpin = 8, stopBitsSpin = 1;  // what an emptied field falls back to
    int parity = 0;
    int flow = kFlowNone;
    std::optional<int> xon, xoff;
    std::optional<long> xonWait;
};
Verdict checkPrinterPage(const CheckContext& ctx, PrinterPage& page);

// The ASCII sheet's checks on OK, across its pages. operatingMode: 0 full duplex, 1 half
// duplex (CP 830 also 2 multipoint master, 3 multipoint slave).
Verdict checkAsciiSheet(const CheckContext& ctx, const AsciiPage& ascii, const TransmissionPage& trans,
                        const ReceivePage& recv, int operatingMode);

// ---- immediate rules -------------------------------------------------------------

// Receive pages of CP 730 ASCII and CP 731/831 ASCII, on every change of the number.
struct BufferedChange {
    Verdict verdict;           // 519 when the number had to go back to 1
    long number = 0;
    bool clearEnabled = false; // "CP-Empfangspuffer im Anlauf löschen"
    bool clearUnchecked = false;
};
BufferedChange onBufferedTelegramsChanged(const CheckContext& ctx, std::optional<long> number, bool noOverwrite);

// Clicking "Überschreiben verhindern".
struct OverwriteClick {
    Verdict verdict;           // 524 when it has to stay checked
    bool noOverwrite = true;
    bool numberEnabled = true;
};
OverwriteClick onNoOverwriteClicked(bool newState, long bufferedTelegrams);

// "CPU-Empfangsfach verwenden" (CP 831).
struct CpuBoxClick {
    bool showDbFields = false;
    long dbNo = 0;
};
CpuBoxClick onCpuBoxClicked(bool checked, long dbNo);
// An unused receive box is stored as DB number 0.
long storedRecvDbNo(bool useCpuBox, long dbNo);

// CP 830 "gesamten Puffer ausnutzen".
struct WholeBufferClick {
    int stored = 255;                  // byBufferedTelegrams
    std::optional<long> shownNumber;   // nullopt: field blanked
    bool numberEnabled = false;
};
WholeBufferClick onWholeBufferClicked(bool checked, long number);

// "Standardwerte verwenden" of 3964(R) and RK 512, in ms as shown.
struct StandardValues {
    int charDelay = 220, ackDelay = 2000, connectTries = 6, sendTries = 6;
};
StandardValues standardValues(bool blockCheck);

// The OK hint about the partner's priority; no message in read-only mode.
Verdict priorityHint(const CheckContext& ctx, int priority);

// Interface page: the receive-line preset after an operating-mode choice.
enum class InterfacePage { CP730, CP730Ascii, CP830_3964, CP830Ascii, CP731 };
struct PresetState {
    int preset = 1;   // 0 keine, 1 R(A) 5 V, 2 R(A) 0 V
    bool noneEnabled = true, fiveVoltEnabled = true, zeroVoltEnabled = true;
    std::optional<bool> breakMonitoring;  // CP 730 sheets: what BREAK monitoring becomes
};
PresetState onOperatingMode(InterfacePage page, int mode, int preset);
// CP 730 sheets on interface 28: BREAK monitoring follows the preset.
std::optional<bool> breakMonitoringForPreset(const CheckContext& ctx, int preset);

// Page layout on OK: header lines from the two header fields, footers likewise.
struct LayoutCheck {
    Verdict verdict;
    int headerLines = 0, footerLines = 0;
};
LayoutCheck checkPageLayout(int linesPerPage, bool header1, bool header2, bool footer1, bool footer2);
// Typing into a header or footer line that has reached its length.
Verdict checkHeaderFooterLength(size_t length, size_t maximum);

}  // namespace rules
