#include "resources/strings.h"

#include <unordered_map>

namespace res {
namespace {

const std::vector<StringEntry> kTable = {
#include "resources/strings_app.inc"
#include "resources/strings_document.inc"
#include "resources/strings_sdb.inc"
#include "resources/strings_pages.inc"
#include "resources/strings_frame.inc"
#include "resources/strings_printer.inc"
#include "resources/strings_view.inc"
#include "resources/strings_online.inc"
};

const std::unordered_map<int, const StringEntry*>& builtIn() {
    static const auto map = [] {
        std::unordered_map<int, const StringEntry*> m;
        for (const auto& e : kTable) m.emplace(e.id, &e);
        return m;
    }();
    return map;
}

std::unordered_map<int, const StringEntry*> g_language;
bool g_useLanguage = false;

const std::unordered_map<int, const StringEntry*>& index() { return g_useLanguage ? g_language : builtIn(); }

}  // namespace

const StringEntry* find(int id) {
    const auto& m = index();
    auto it = m.find(id);
    return it == m.end() ? nullptr : it->second;
}

std::string text(int id) {
    const StringEntry* e = find(id);
    return e ? e->text : std::string();
}

std::string format(std::string_view text, const std::vector<std::string>& inserts) {
    std::string out;
    out.reserve(text.size() + 16);
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 1 < text.size() && (text[i + 1] == '1' || text[i + 1] == '2')) {
            size_t n = static_cast<size_t>(text[i + 1] - '1');
            if (n < inserts.size()) out += inserts[n];
            i += 1;
            // "%1!d!": the format part only says how the host renders the insert
            if (text.substr(i + 1, 3) == "!d!") i += 3;
            continue;
        }
        out += text[i];
    }
    return out;
}

const std::vector<StringEntry>& all() { return kTable; }

void setLanguageTable(const StringEntry* entries, size_t count) {
    g_language.clear();
    g_useLanguage = entries != nullptr;
    for (size_t i = 0; entries && i < count; ++i) g_language.emplace(entries[i].id, &entries[i]);
}

}  // namespace res
