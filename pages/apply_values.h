#pragma once
// Applying NAME=VALUE settings to a copy of the protocol record the way the property
// sheet would take them: each value goes through the page that owns it (its pattern,
// its field check and its immediate rules), then the touched pages' checks run in page
// order, then the sheet's checks (ASCII sheets), and only then are the values encoded
// into the record as the pages' OK does it. The first refusal ends the run and nothing
// is written.
//
// Names are the record's field names, with or without "CDb." ("CDbdr." for the page
// layout). Values are written as the pages show them:
//
//   Protocol page 3964(R) / RK 512
//     byBaud          Bit/s, one of the page's list entries (e.g. 9600)
//     byParity        "keine", "ungerade", "gerade", "beliebig" (CP 730 only)
//     byDataBits      7 or 8 (RK 512: fixed 8)
//     byStopBits      1 or 2
//     byPriority      "niedrig" or "hoch"
//     byMode          1..4 (standard values / block check; on CP 830 the two checkboxes only)
//     wCharDelay, wAckDelay          ms (not while standard values are used)
//     byConnectTries, bySendTries    1..255
//     wReactionWait   RK 512: 0 = fixed 20000 ms, anything else = baud-dependent
//     byBreakOff      CP 730: 0 BREAK monitoring on, 1 off (not on RS 422/485)
//   ASCII page
//     byMode          end criterion 1 delay time, 2 end characters, 3 fixed length
//     bySendMode      CP 731/831 with the extended functions: 0x21, 0x22, 0x23, 0x30, 0x31
//     byEndCrit830    CP 830: 0x10, 0x20, 0x21, 0x22, 0x30, 0x31
//     byEndLink830    CP 830: "UND" or "ODER"
//     wCharDelay      ms
//     wTelegramLen    bytes
//     byRecvEnd1, byRecvEnd2, bySendEnd1, bySendEnd2   hexadecimal, e.g. 0D
//     byRecvEndCount, bySendEndCount                   1 or 2
//     byBaud, byParity, byDataBits, byStopBits, byBreakOff   as above
//   Transmission page (ASCII) and printer page
//     byFlowCtrl      "Keine", "XON / XOFF", "RTS / CTS" (RS 232), or 0..2;
//                     "Automat. Bedienung der V24-Signale" (ASCII on RS 232)
//     byV24Signals    0 or 1 (ASCII on RS 232)
//     byXonChar, byXoffChar          hexadecimal
//     wXonWait, wRtsOffTime, wOutputWait   ms
//   Receive page
//     byBufferedTelegrams  count (CP 830: 1..10, 255 = whole buffer)
//     byNoOverwrite, byClearRecvBuf, byExtErrDisplay   0 or 1
//     wRecvDbNo       CP 831: DB number of the CPU receive box, 0 = no receive box
//   Interface page (RS 422/485 variants, CP 830 always)
//     byConnectTries  ASCII and printer sheets: operating mode 0 full duplex, 1 half duplex
//     byOpMode830     CP 830 ASCII: 0..3
//     byLinePreset    0 keine, 1 R(A) 5 V, 2 R(A) 0 V
//   Page layout (printer protocol)
//     CDbdr.byLeftMargin, CDbdr.byLinesPerPage   0..255
//     CDbdr.byLineEnd  "CR", "LF", "CR LF", "LF CR"
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/records.h"
#include "pages/rules.h"

namespace rules {

struct NameValue {
    std::string name;
    std::string value;
};

// "NAME=VALUE" split at the first '='; nullopt without one or with an empty name.
std::optional<NameValue> parseAssignment(std::string_view text);

struct ApplyResult {
    bool ok = false;
    CDb db{};
    CDbdr dr{};
    // The first refusal: a rule's verdict (message and caption ids, inserts), or, for a
    // name or value no page takes, messageId 0 and an explaining text.
    Verdict refusal;
    std::string text;        // the German text of the refusal, inserts put in
    std::string name;        // the refused NAME, empty for a page or sheet check
    // Messages the sheet shows without refusing (the priority hint on OK, an invalid
    // stored baud rate on opening).
    std::vector<Verdict> notices;
};

ApplyResult applyValues(const CheckContext& ctx, int protocol, const CDb& db, const CDbdr& dr,
                        const std::vector<NameValue>& values);

}  // namespace rules
