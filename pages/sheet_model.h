#pragma once
// The model under a protocol property sheet: which pages the sheet of a module and
// protocol has, what each page holds in page units (what its controls show), the
// immediate rules as plain state (enabled, visible, coupled values), the check of a page
// when it is left, the sheet's OK sequence and the writing back into the protocol record.
// The window's pages bind their controls to it; `ptpcfg set` and `ptpcfg show --pages`
// use it too, so a rule is written once.
//
// A sheet works on a copy: nothing reaches the caller's record until writeBack().
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/records.h"
#include "pages/baud.h"
#include "pages/rules.h"

namespace rules {

enum class PageKind {
    Protocol,      // "3964(R)", "RK 512", "ASCII" or "Drucker"
    Transmission,  // "Übertragung" (ASCII)
    Receive,       // "Datenempfang"
    Interface,     // "Schnittstelle"
};

struct PageInfo {
    PageKind kind;
    const char* className;  // CKASC_P1, ...
    const char* title;      // the tab title
    int dialogTemplate;
};

// How a field's value is written in page units.
enum class Unit {
    Milliseconds,  // a time as the page shows it
    Count,         // a plain number (bits, attempts, telegrams, bytes, DB number)
    BitsPerSecond, // an entry of the baud-rate list
    Choice,        // the text of a list entry or radio button
    Hex,           // a character in hexadecimal, as "%X" shows it
    Flag,          // a checkbox: 0 or 1
    Code,          // a stored code the page offers as radios (modes, presets)
};

// One field of a page: the name is the record field it is stored in, and the name
// `ptpcfg set` takes.
struct FieldInfo {
    const char* name;
    PageKind page;
    Unit unit;
    const char* label;  // the control's label on the page, without the accelerator mark
};

// The value a page field holds, as the page shows it.
struct FieldState {
    const FieldInfo* info = nullptr;
    std::string text;
    std::string pattern;  // of the edit control; empty for lists, checkboxes and radios
    bool enabled = true;
    bool visible = true;
    // What the page's control offers beside the value:
    std::vector<std::string> choices;  // the entries of a drop-down list, in list order
    struct Option {                    // the radio buttons of a code, in the page's order
        int code = 0;
        bool enabled = true;
    };
    std::vector<Option> options;
    int spinMin = 0, spinMax = 0;      // the spin button beside an edit; both 0: none
    // The text the control shows where it differs from the value: the reaction wait time
    // shows 20000 for "not baud-dependent", the CP 830 number of buffered telegrams is
    // blank while the entire buffer is used.
    std::optional<std::string> shown;
    // The control's label where it changes with the page's state (the CP 830 delay time is
    // "&Überwachungszeit bei fehlender Endekennung:" unless the criterion is the delay time).
    std::optional<std::string> label;
    // A character field (Unit::Hex): what its read-only "[ASCII]" field beside the hex edit
    // shows — the character itself from 0x20 up (code page 1252, as UTF-8), below that its
    // mnemonic ("CR", "SUB"); empty while the field holds no character.
    std::string ascii;
};

// The "[ASCII]" display of a character code (0..255), as FieldState::ascii gives it.
std::string asciiDisplay(int code);

// The checkboxes of the pages that are no stored field of their own; each changes a
// field (block check and standard values make byMode, "baudratenabhängig" decides
// wReactionWait, the CPU receive box wRecvDbNo, the entire buffer byBufferedTelegrams).
enum class Toggle { BlockCheck, StandardValues, ReactionBaud, CpuBox, WholeBuffer };
struct ToggleState {
    bool present = false;  // the sheet of this module has the checkbox
    bool checked = false;
    bool enabled = true;
};

// What the sheet is told about its module when it is built.
struct SheetContext {
    CheckContext check;        // module, interface, version, flags, read-only
    int protocol = 0;          // kProt3964, kProtAscii, kProtRk512, kProtPrinter
    int interfaceNo = 0;       // CP 831-2: the interface number in the title
};

class SheetModel {
public:
    // Builds the sheet of the module and protocol and fills its pages from the record as
    // the sheet's opening does. nullopt for a module and protocol without a sheet
    // (loadable drivers).
    static std::optional<SheetModel> open(const SheetContext& ctx, const CDb& db);

    Sheet sheet() const { return sheet_; }
    const char* className() const;
    // "Protokoll", with the interface number on a CP 831-2.
    std::string title() const;
    const std::vector<PageInfo>& pages() const { return pages_; }
    bool readOnly() const { return ctx_.readOnly != 0; }
    // Messages the opening shows (an invalid stored baud rate).
    const std::vector<Verdict>& openingNotices() const { return notices_; }

    // Every field the sheet's pages have for this module, in page order and, within a
    // page, choices before the values they govern (the order `ptpcfg set` applies them).
    std::vector<FieldState> fields() const;
    std::optional<FieldState> field(std::string_view name) const;
    // The field's page index, or -1.
    int pageOf(std::string_view name) const;

    // The active page; selecting a page initialises it (its opening rules run once). A
    // page that was never selected writes back what it was given.
    int activePage() const { return active_; }
    // Leaves the active page (its check) and shows another; a refusal keeps the page.
    Verdict selectPage(int index);

    // Takes a value as the page's control takes it: the field's pattern, its check and
    // the immediate rules. A refused value leaves the model unchanged; the verdict's
    // value (or correctedText) says what the page would put into the field.
    enum class Refusal {
        None,
        Value,     // the field's pattern or check refused it (the verdict's message says why)
        Disabled,  // the control is disabled in the present state of the page
        NotHere,   // the sheet of this module has no such field
    };
    struct SetResult {
        Verdict verdict;             // accepted, or the refusal with its message
        Refusal why = Refusal::None;
        std::string correctedText;   // what the page writes into the field on refusal, if anything
    };
    SetResult set(std::string_view name, std::string_view text);

    // The checkboxes that are no field of their own (see Toggle).
    ToggleState toggle(Toggle which) const;
    SetResult setToggle(Toggle which, bool on);

    // The check of the active page, as on leaving it.
    Verdict checkActivePage();
    // The OK sequence: the active page's check, the sheet checks (ASCII sheets), then every
    // page takes its values over. On acceptance the verdicts of hints shown on the way
    // (priority hint) are in `notices`.
    struct OkResult {
        Verdict verdict;
        std::vector<Verdict> notices;
    };
    OkResult ok();

    // Writes the sheet's values into the record as the view copies them back after OK:
    // the items each page owns, and the values a sheet without an interface page (or
    // every sheet of its kind) stores as 0. Only after ok() accepted.
    void writeBack(CDb& db) const;

    struct State;  // the page values; defined in sheet_model.cpp
    SheetModel(const SheetModel&);
    SheetModel& operator=(const SheetModel&);
    SheetModel(SheetModel&&) noexcept;
    SheetModel& operator=(SheetModel&&) noexcept;
    ~SheetModel();

private:
    SheetModel();
    void initPage(int index);
    Verdict checkPage(int index);

    Sheet sheet_{};
    CheckContext ctx_;
    int interfaceNo_ = 0;
    std::vector<PageInfo> pages_;
    std::vector<bool> initialised_;
    int active_ = 0;
    bool accepted_ = false;
    CDb given_{};
    std::vector<Verdict> notices_;
    State* s_ = nullptr;
};

// The sheet and its pages for a module, without opening it.
std::vector<PageInfo> sheetPages(Sheet sheet, const CheckContext& ctx);
bool hasInterfacePage(Sheet sheet, const CheckContext& ctx);
const char* sheetClassName(Sheet sheet);

}  // namespace rules
