#include "pages/apply_values.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>

#include "widgets/pattern.h"

namespace rules {
namespace {

std::string trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return std::string(s);
}

Verdict notTaken(std::string text) {
    Verdict v;
    v.accepted = false;
    v.plainText = std::move(text);
    return v;
}

// ---- the page layout of the printer output (its dialog's OK) -----------------------

const char* const kLineEnds[] = {"CR", "LF", "CR LF", "LF CR"};

struct Layout {
    int leftMargin = 0, linesPerPage = 0, lineEnd = 1;
};

Layout layoutOf(const CDbdr& dr) {
    return {dr.byLeftMargin, dr.byLinesPerPage, dr.byLineEnd >= 1 && dr.byLineEnd <= 4 ? dr.byLineEnd : 1};
}

// nullopt: taken.
std::optional<Verdict> takeLayout(Layout& l, const std::string& fullName, const std::string& name,
                                  const std::string& value) {
    if (name == "byLeftMargin" || name == "byLinesPerPage") {
        if (ptp::matchPattern("[0-9]{3}", value) == ptp::MatchResult::Invalid)
            return notTaken("Der Wert \"" + value + "\" ist für " + fullName + " nicht zulässig.");
        const bool left = name == "byLeftMargin";
        Verdict f = left ? checkLeftMargin(readNumber(value), l.leftMargin)
                         : checkLinesPerPage(readNumber(value), l.linesPerPage);
        if (!f.accepted) return f;
        (left ? l.leftMargin : l.linesPerPage) = f.value;
        return std::nullopt;
    }
    if (name == "byLineEnd") {
        for (int i = 0; i < 4; ++i)
            if (value == kLineEnds[i]) {
                l.lineEnd = i + 1;
                return std::nullopt;
            }
        return notTaken("Der Wert \"" + value + "\" ist für " + fullName + " nicht zulässig. CR, LF, CR LF oder LF CR.");
    }
    return notTaken(fullName + " kann bei diesem Modul und Protokoll nicht eingestellt werden.");
}

// The names a sheet takes, for the message about a name it does not know.
std::string knownNames(const SheetModel& sheet) {
    std::string out;
    std::set<std::string> seen;
    for (const auto& f : sheet.fields())
        if (seen.insert(f.info->name).second) out += (out.empty() ? "" : ", ") + std::string(f.info->name);
    if (sheet.sheet() == Sheet::CP730_Printer || sheet.sheet() == Sheet::CP731_Printer)
        out += ", CDbdr.byLeftMargin, CDbdr.byLinesPerPage, CDbdr.byLineEnd";
    return out;
}

}  // namespace

std::optional<NameValue> parseAssignment(std::string_view text) {
    const size_t eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    NameValue nv{trim(text.substr(0, eq)), trim(text.substr(eq + 1))};
    if (nv.name.empty()) return std::nullopt;
    return nv;
}

ParsedLines parseLines(std::string_view text) {
    ParsedLines out;
    int number = 0;
    while (!text.empty()) {
        const size_t nl = text.find('\n');
        const std::string line = trim(text.substr(0, nl));
        text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
        ++number;
        if (line.empty() || line[0] == '#') continue;
        auto nv = parseAssignment(line);
        if (!nv) {
            out.badLine = number;
            return out;
        }
        out.values.push_back(*nv);
    }
    return out;
}

ApplyResult applyValues(const SheetContext& sctx, const CDb& db, const CDbdr& dr,
                        const std::vector<NameValue>& values) {
    ApplyResult out;
    out.db = db;
    out.dr = dr;
    auto refuse = [&](Verdict v, const std::string& name) {
        v.accepted = false;
        out.ok = false;
        out.refusal = v;
        out.text = messageText(v);
        out.name = name;
        out.db = db;
        out.dr = dr;
        return out;
    };
    if (values.empty()) {
        out.ok = true;
        return out;
    }
    auto sheet = SheetModel::open(sctx, db);
    if (!sheet) return refuse(notTaken("Für dieses Modul und Protokoll gibt es keine Parameterseiten."), values.front().name);
    if (sheet->readOnly())
        return refuse(notTaken("Im Online-Betrieb können die Parameter nicht geändert werden."), values.front().name);

    // Sort the values into the order the pages take them; a name given twice is an error.
    const auto fields = sheet->fields();
    auto orderOf = [&](const std::string& name) -> int {
        const std::string& key = name == "byV24Signals" ? std::string("byFlowCtrl") : name;
        for (size_t i = 0; i < fields.size(); ++i)
            if (key == fields[i].info->name) return static_cast<int>(i);
        return -1;
    };
    struct Item {
        const NameValue* nv;
        std::string name;  // without "CDb."
        int order;
    };
    std::vector<Item> items;
    std::vector<std::pair<const NameValue*, std::string>> layoutItems;
    std::set<std::string> seen;
    const bool printer = sheet->sheet() == Sheet::CP730_Printer || sheet->sheet() == Sheet::CP731_Printer;
    for (const auto& nv : values) {
        std::string name = nv.name;
        const bool layout = name.rfind("CDbdr.", 0) == 0;
        if (name.rfind("CDb.", 0) == 0) name = name.substr(4);
        if (!seen.insert(layout ? name : "CDb." + name).second)
            return refuse(notTaken(nv.name + " ist mehrfach angegeben."), nv.name);
        if (layout) {
            name = name.substr(6);
            if (!printer)
                return refuse(notTaken(nv.name + " kann bei diesem Modul und Protokoll nicht eingestellt werden."), nv.name);
            layoutItems.emplace_back(&nv, name);
            continue;
        }
        const int order = orderOf(name);
        if (order < 0)
            return refuse(notTaken(nv.name + " kann bei diesem Modul und Protokoll nicht eingestellt werden. Möglich sind: " +
                                   knownNames(*sheet) + "."),
                          nv.name);
        items.push_back({&nv, name, order});
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.order < b.order; });

    // Page by page: show the page (the page left behind is checked), then its values.
    for (size_t i = 0; i < items.size();) {
        const int page = sheet->pageOf(items[i].name);
        std::vector<Item> pending;
        for (; i < items.size() && sheet->pageOf(items[i].name) == page; ++i) pending.push_back(items[i]);
        Verdict left = sheet->selectPage(page);
        if (!left.accepted) return refuse(left, {});
        // A value whose control is disabled for now waits until the page's other values are in.
        while (!pending.empty()) {
            std::vector<Item> later;
            std::optional<std::pair<SheetModel::SetResult, Item>> firstBlocked;
            for (const auto& it : pending) {
                // wRecvDbNo=0 is the receive box left unused, as `show --pages` prints it.
                auto r = it.name == "wRecvDbNo" && it.nv->value == "0" ? sheet->setToggle(Toggle::CpuBox, false)
                                                                        : sheet->set(it.name, it.nv->value);
                if (r.verdict.accepted) continue;
                if (r.why != SheetModel::Refusal::Disabled) {
                    ApplyResult bad = refuse(r.verdict, it.nv->name);
                    if (!r.correctedText.empty() && r.correctedText != it.nv->value)
                        bad.correction = "Die Seite würde " + it.nv->name + "=" + r.correctedText +
                                         " einsetzen; es wurde nichts gespeichert.";
                    return bad;
                }
                if (!firstBlocked) firstBlocked.emplace(r, it);
                later.push_back(it);
            }
            if (later.size() == pending.size()) return refuse(firstBlocked->first.verdict, firstBlocked->second.nv->name);
            pending = std::move(later);
        }
    }

    // The page layout dialog's OK: its header and footer lines are those already stored.
    if (!layoutItems.empty()) {
        Layout l = layoutOf(dr);
        for (const auto& [nv, name] : layoutItems)
            if (auto bad = takeLayout(l, nv->name, name, nv->value)) return refuse(*bad, nv->name);
        Verdict v = checkPageLayout(l.linesPerPage, dr.byHeaderLines >= 1, dr.byHeaderLines >= 2, dr.byFooterLines >= 1,
                                    dr.byFooterLines >= 2)
                        .verdict;
        if (!v.accepted) return refuse(v, {});
        out.dr.byLeftMargin = static_cast<uint8_t>(l.leftMargin);
        out.dr.byLinesPerPage = static_cast<uint8_t>(l.linesPerPage);
        out.dr.byLineEnd = static_cast<uint8_t>(l.lineEnd);
    }

    auto ok = sheet->ok();
    if (!ok.verdict.accepted) return refuse(ok.verdict, {});
    sheet->writeBack(out.db);
    out.notices = sheet->openingNotices();
    out.notices.insert(out.notices.end(), ok.notices.begin(), ok.notices.end());
    out.ok = true;
    return out;
}

ApplyResult applyValues(const CheckContext& ctx, int protocol, const CDb& db, const CDbdr& dr,
                        const std::vector<NameValue>& values) {
    SheetContext s;
    s.check = ctx;
    s.protocol = protocol;
    return applyValues(s, db, dr, values);
}

std::string describePages(const SheetModel& sheet, const CDbdr* layout) {
    std::string out = "# " + std::string(sheet.className()) + " \"" + sheet.title() + "\"\n";
    const auto fields = sheet.fields();
    const auto& pages = sheet.pages();
    for (size_t p = 0; p < pages.size(); ++p) {
        out += "# Seite " + std::to_string(p + 1) + ": " + pages[p].title + " (" + pages[p].className + ")\n";
        for (const auto& f : fields) {
            if (sheet.pageOf(f.info->name) != static_cast<int>(p)) continue;
            out += std::string(f.info->name) + "=" + f.text + "\n";
        }
    }
    if (layout && (sheet.sheet() == Sheet::CP730_Printer || sheet.sheet() == Sheet::CP731_Printer)) {
        const Layout l = layoutOf(*layout);
        out += "# Seitenlayout\n";
        out += "CDbdr.byLeftMargin=" + std::to_string(l.leftMargin) + "\n";
        out += "CDbdr.byLinesPerPage=" + std::to_string(l.linesPerPage) + "\n";
        out += "CDbdr.byLineEnd=" + std::string(kLineEnds[l.lineEnd - 1]) + "\n";
    }
    return out;
}

}  // namespace rules
