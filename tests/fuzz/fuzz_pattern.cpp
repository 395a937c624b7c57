// The field pattern matcher against GNU regex: patterns generated from the grammar the
// fields are written in, texts over the characters the patterns tell apart. Where the
// automaton models the pattern it must agree with GNU regex on every whole match, "valid"
// must be exactly GNU's whole match, and "invalid" must mean that no continuation of the
// text is ever matched.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "widgets/pattern.h"

namespace {

// The pattern and text of a finding, printed with C escapes before the trap.
std::string gPattern, gText;

void show(const char* what, const std::string& s) {
    std::fprintf(stderr, "%s \"", what);
    for (unsigned char c : s) std::fprintf(stderr, c < 32 || c > 126 || c == '"' || c == '\\' ? "\\x%02X" : "%c", c);
    std::fprintf(stderr, "\"\n");
}

void check(bool ok) {
    if (ok) return;
    show("pattern", gPattern);
    show("text", gText);
    __builtin_trap();
}

class Source {
public:
    Source(const uint8_t* data, size_t size) : p_(data), n_(size) {}
    unsigned next() {
        if (n_ == 0) return 0;
        --n_;
        return *p_++;
    }
    size_t left() const { return n_; }
    const uint8_t* rest() const { return p_; }

private:
    const uint8_t* p_;
    size_t n_;
};

const char kLiterals[] = "0178aGz-_ ";

std::string interval(Source& s) {
    const unsigned lo = s.next() % 5, hi = lo + s.next() % 4;
    switch (s.next() % 4) {
    case 0: return "{" + std::to_string(lo) + "}";
    case 1: return "{" + std::to_string(lo) + "," + std::to_string(hi) + "}";
    case 2: return "{," + std::to_string(hi) + "}";
    default: return "{" + std::to_string(lo) + ",}";
    }
}

std::string bracket(Source& s) {
    static const char* const lists[] = {
        "[0-9]", "[1-9]", "[7-8]", "[a-fA-F0-9]", "[^0-9]", "[]a]", "[^]a]", "[[:digit:]]", "[[:upper:]]",
        "[[:alpha:][:digit:]]", "[[:space:]]", "[[:punct:]]", "[.-]", "[a-]", "[\\]", "[[.a.]7]", "[[=G=]]",
        "[^\n]", "[^a-z]", "[ -~]"};
    return lists[s.next() % (sizeof lists / sizeof *lists)];
}

std::string alternation(Source& s, int depth);

std::string atom(Source& s, int depth) {
    switch (s.next() % 10) {
    case 0: case 1: case 2: case 3: return std::string(1, kLiterals[s.next() % (sizeof kLiterals - 1)]);
    case 4: return ".";
    case 5: case 6: return bracket(s);
    case 7: return depth < 2 ? "(" + alternation(s, depth + 1) + ")" : "a";
    case 8: return "\\.";
    default: {
        static const char* const escapes[] = {"\\w", "\\W", "\\s", "\\S", "\\{", "\\*", "\\|"};
        return escapes[s.next() % 7];
    }
    }
}

std::string piece(Source& s, int depth) {
    std::string a = atom(s, depth);
    // a group is repeated at most twice: repeats of repeats grow both matchers far beyond
    // anything a field has
    if (a.front() == '(' && a.size() > 1) return s.next() % 3 == 0 ? a + (s.next() % 2 ? "?" : "{1,2}") : a;
    switch (s.next() % 10) {
    case 0: return a + "*";
    case 1: return a + "+";
    case 2: return a + "?";
    case 3: case 4: return a + interval(s);
    default: return a;
    }
}

std::string alternation(Source& s, int depth) {
    std::string out;
    const unsigned branches = s.next() % 6 == 0 ? 2 + s.next() % 2 : 1;
    for (unsigned b = 0; b < branches; ++b) {
        if (b) out += s.next() % 4 == 0 ? "\n" : "|";
        // GNU regex lets an anchor match at a newline inside the text whatever it is told;
        // the fields' patterns anchor only at their ends, and so do these
        const unsigned anchors = depth == 0 ? s.next() % 4 : 0;
        if (anchors & 1) out += "^";
        const unsigned pieces = 1 + s.next() % 4;
        for (unsigned i = 0; i < pieces; ++i) out += piece(s, depth);
        if (anchors & 2) out += "$";
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Source s(data, size);
    const std::string pattern = alternation(s, 0);
    if (std::getenv("FUZZ_SHOW_PATTERN")) show("pattern", pattern);
    auto p = ptp::CompiledPattern::compile(pattern);
    if (!p) return 0;

    // the characters the patterns tell apart, a newline, a NUL and a byte beyond ASCII
    static const char kAlphabet[] = "0178aGz-_ .]A\n\xC3\x7F";
    std::string text;
    while (s.left() && text.size() < 12) text += kAlphabet[s.next() % sizeof kAlphabet];

    const bool modelled = p->hasAutomaton();
    bool invalidSeen = false;
    for (size_t n = 0; n <= text.size(); ++n) {
        const std::string t = text.substr(0, n);
        gPattern = pattern;
        gText = t;
        const bool full = p->fullMatch(t);
        const ptp::MatchResult r = p->match(t);
        check((r == ptp::MatchResult::Valid) == full);
        if (!modelled) continue;
        check(p->automatonMatches(t) == full);
        // once no continuation can match, none does
        if (invalidSeen) check(r == ptp::MatchResult::Invalid && !p->isPrefix(t));
        invalidSeen = invalidSeen || r == ptp::MatchResult::Invalid;
        check(!full || p->isPrefix(t));
    }
    return 0;
}
