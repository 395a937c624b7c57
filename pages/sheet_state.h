#pragma once
// The inside of the sheet model, shared by its parts: the page values, the field table,
// taking one value, opening and writing back. Nothing outside pages/ includes this.
#include <cctype>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pages/sheet_model.h"
#include "widgets/pattern.h"

namespace rules {

// Everything a sheet's pages hold while it is open, in page units.
struct SheetModel::State {
    Sheet sheet{};
    CheckContext ctx;  // the printer sheet of a CP 731 sees its interface as a CP 831's
    ProtocolPage3964 proto;
    bool blockCheck = false, standard = false, reactionBaud = false, breakMonitoring = true;
    AsciiPage ascii;
    int endLink830 = 0x20;
    TransmissionPage trans;
    ReceivePage recv;
    bool clearRecvBuf = false, extErrDisplay = false;
    PrinterPage printer;
    bool interfacePage = false;
    int operatingMode = 0, linePreset = 0;
};

namespace sheet {

using State = SheetModel::State;
using K = PageKind;
using U = Unit;

inline bool is730(const CheckContext& c) { return c.moduleType == kCP730; }
inline bool is830(const CheckContext& c) { return c.moduleType == kCP830; }
inline bool is831(const CheckContext& c) { return isCP831(c.moduleType); }
inline bool rs232(const CheckContext& c) { return isRs232(c.interfaceCode); }

bool is3964Like(Sheet s);
bool isAscii(Sheet s);
bool modeRadios(Sheet s);
bool reactionWaitEnabled(const CheckContext& c);
bool extErrDisplayEnabled(const CheckContext& c);
int reactionWait(const State& s);
int criterionOf830(int crit);
InterfacePage interfacePageOf(Sheet s);
// Texts compare without case and blanks, so "XON/XOFF" finds "XON / XOFF".
std::string squeeze(std::string_view s);
std::string hexText(std::optional<int> v);
std::string codeText(int v);
std::string numText(std::optional<long> v);
std::vector<std::string> parityTexts(const CheckContext& c);
std::vector<std::string> flowTexts(bool printer);
std::string listText(const std::vector<std::string>& list, int index);

// ---- the fields (sheet_fields.cpp) ----
enum Family : unsigned { F3964 = 1, FAscii = 2, FPrinter = 4, FAll = 7 };
struct Entry {
    FieldInfo info;
    unsigned families;
};
unsigned familyOf(Sheet s);
// The entry of a field the sheet of this module has; nullptr when it has none.
const Entry* findEntry(const State& s, std::string_view name);
bool present(const Entry& e, const State& s);
// Every entry, in page order and, on a page, in the order values are taken.
std::vector<const Entry*> allEntries();
FieldState stateOf(const Entry& e, const State& s);
// The list entries, radios, spin range and shown text of the field's control
// (sheet_controls.cpp).
void decorate(FieldState& f, const Entry& e, const State& s);
// The pattern of the field's edit control; "" for a list, checkbox or radio group.
const char* fieldPattern(const Entry& e, const State& s);

// ---- taking one value (sheet_taker.cpp) ----

enum class Why { Taken, Value, Disabled, NotHere };

struct Outcome {
    Why why = Why::Taken;
    Verdict verdict;
};

inline Verdict plain(std::string text) {
    Verdict v;
    v.accepted = false;
    v.plainText = std::move(text);
    return v;
}

// Takes one NAME=VALUE into the page values as the page's control would take it.

class Taker {
public:
    Taker(State& s, std::string name, std::string value) : s_(s), name_(std::move(name)), value_(std::move(value)) {}
    Outcome take(const Entry& e);

private:
    const CheckContext& ctx() const { return s_.ctx; }

    Outcome badValue(const std::string& why = {}) const {
        std::string t = "Der Wert \"" + value_ + "\" ist für " + name_ + " nicht zulässig.";
        if (!why.empty()) t += " " + why;
        return {Why::Value, plain(t)};
    }
    Outcome notHere() const {
        return {Why::NotHere, plain(name_ + " kann bei diesem Modul und Protokoll nicht eingestellt werden.")};
    }
    Outcome disabled() const {
        return {Why::Disabled, plain(name_ + " ist in dieser Einstellung gesperrt und kann nicht geändert werden.")};
    }
    static Outcome taken() { return {}; }
    static Outcome field(const Verdict& v) {
        if (v.accepted) return {};
        return {Why::Value, v};
    }

    // The text as the field would hold it: the field's pattern decides what can be typed.
    bool fits(const char* pattern) const { return ptp::matchPattern(pattern, value_) != ptp::MatchResult::Invalid; }
    // A number or character as the field's pattern lets it be typed.
    std::optional<Outcome> number(std::optional<long>& out) {
        if (!fits(pattern_)) return badValue();
        out = readNumber(value_);
        return std::nullopt;
    }
    std::optional<Outcome> hex(std::optional<int>& out) {
        if (!fits(pattern_)) return badValue("Zeichen werden hexadezimal angegeben.");
        out = readHex(value_);
        return std::nullopt;
    }
    std::optional<int> choice(const std::vector<std::string>& texts) const {
        const std::string want = squeeze(value_);
        for (size_t i = 0; i < texts.size(); ++i)
            if (squeeze(texts[i]) == want) return static_cast<int>(i);
        return std::nullopt;
    }
    std::optional<int> flag() const {
        if (value_ == "0") return 0;
        if (value_ == "1") return 1;
        return std::nullopt;
    }
    // A code: decimal, or hexadecimal after "0x"; a leading zero is no octal mark.
    std::optional<long> code() const {
        const bool hex = value_.size() > 2 && value_[0] == '0' && (value_[1] == 'x' || value_[1] == 'X');
        const std::string digits = hex ? value_.substr(2) : value_;
        if (digits.empty() || digits.size() > 4) return std::nullopt;
        for (char c : digits)
            if (!(hex ? std::isxdigit(static_cast<unsigned char>(c)) : std::isdigit(static_cast<unsigned char>(c))))
                return std::nullopt;
        const long v = std::strtol(digits.c_str(), nullptr, hex ? 16 : 10);
        if (v > 255) return std::nullopt;
        return v;
    }

    Outcome takeBaud();
    Outcome takeParity(int& parity);
    Outcome takeBreakOff();
    Outcome takeProto();
    Outcome takeAscii();
    Outcome takeTrans();
    Outcome takeRecv();
    Outcome takePrinter();
    Outcome takeInterface();

    State& s_;
    std::string name_;
    std::string value_;
    const char* pattern_ = "";
};

// ---- opening and writing back (sheet_state.cpp) ----
State openState(const CheckContext& ctx, Sheet sheet, const CDb& db, std::vector<Verdict>& notices);
void encodePage(PageKind kind, const State& s, CDb& db);
void clearUnused(const State& s, CDb& db);

}  // namespace sheet
}  // namespace rules
