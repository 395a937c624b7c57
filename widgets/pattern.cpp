#include "widgets/pattern.h"

#include <regex.h>

#include <bitset>
#include <cctype>
#include <cstring>
#include <mutex>
#include <optional>
#include <vector>

namespace ptp {
namespace {

// The syntax is a process-wide setting of the matcher; it is chosen once, before the
// first pattern is compiled, and never changed afterwards.
void selectSyntaxOnce() {
    static std::once_flag once;
    std::call_once(once, [] { re_syntax_options = kPatternSyntax; });
}

using CharSet = std::bitset<256>;

// ---- pattern text -> tree -------------------------------------------------------

struct Node {
    enum Kind { Set, Cat, Alt, Rep, Bol, Eol } kind = Cat;
    CharSet set;
    std::vector<Node> kids;
    int min = 0, max = 0;  // Rep; max < 0 means unbounded
};

// Reads the subset of the egrep syntax the fields use, and a little more. Anything it
// does not model makes it give up, and the field then has no incomplete answer.
class Parser {
public:
    explicit Parser(std::string_view p) : p_(p) {}

    std::optional<Node> parse() {
        auto n = alternation();
        if (!n || pos_ != p_.size()) return std::nullopt;
        return n;
    }

private:
    static constexpr int kMaxRepeat = 255;

    bool more() const { return pos_ < p_.size(); }
    char peek() const { return p_[pos_]; }

    std::optional<Node> alternation() {
        Node alt;
        alt.kind = Node::Alt;
        for (;;) {
            auto b = branch();
            if (!b) return std::nullopt;
            alt.kids.push_back(std::move(*b));
            if (more() && (peek() == '|' || peek() == '\n')) {
                ++pos_;
                continue;
            }
            break;
        }
        if (alt.kids.size() == 1) return std::move(alt.kids.front());
        return alt;
    }

    std::optional<Node> branch() {
        Node cat;
        cat.kind = Node::Cat;
        while (more() && peek() != '|' && peek() != '\n' && peek() != ')') {
            auto piece = this->piece();
            if (!piece) return std::nullopt;
            cat.kids.push_back(std::move(*piece));
        }
        return cat;
    }

    std::optional<Node> piece() {
        char c = peek();
        if (c == '*' || c == '+' || c == '?' || c == '{') return std::nullopt;  // operator without operand
        auto a = atom();
        if (!a) return std::nullopt;
        Node n = std::move(*a);
        while (more()) {
            c = peek();
            int lo, hi;
            if (c == '*') { lo = 0; hi = -1; ++pos_; }
            else if (c == '+') { lo = 1; hi = -1; ++pos_; }
            else if (c == '?') { lo = 0; hi = 1; ++pos_; }
            else if (c == '{') {
                if (!interval(lo, hi)) return std::nullopt;
            } else break;
            Node r;
            r.kind = Node::Rep;
            r.min = lo;
            r.max = hi;
            r.kids.push_back(std::move(n));
            n = std::move(r);
        }
        return n;
    }

    bool number(int& out) {
        size_t start = pos_;
        long v = 0;
        while (more() && std::isdigit(static_cast<unsigned char>(peek()))) {
            v = v * 10 + (peek() - '0');
            if (v > kMaxRepeat) return false;
            ++pos_;
        }
        out = static_cast<int>(v);
        return pos_ != start;
    }

    bool interval(int& lo, int& hi) {
        ++pos_;  // '{'
        lo = 0;
        bool haveLo = number(lo);
        if (more() && peek() == ',') {
            ++pos_;
            hi = -1;
            int m;
            if (number(m)) hi = m;
        } else {
            if (!haveLo) return false;
            hi = lo;
        }
        if (!more() || peek() != '}') return false;
        ++pos_;
        return hi < 0 || lo <= hi;
    }

    static Node single(CharSet s) {
        Node n;
        n.kind = Node::Set;
        n.set = s;
        return n;
    }

    static CharSet classSet(std::string_view name, bool& ok) {
        CharSet s;
        ok = true;
        int (*pred)(int) = nullptr;
        if (name == "alpha") pred = isalpha;
        else if (name == "digit") pred = isdigit;
        else if (name == "alnum") pred = isalnum;
        else if (name == "upper") pred = isupper;
        else if (name == "lower") pred = islower;
        else if (name == "space") pred = isspace;
        else if (name == "xdigit") pred = isxdigit;
        else if (name == "punct") pred = ispunct;
        else if (name == "print") pred = isprint;
        else if (name == "graph") pred = isgraph;
        else if (name == "cntrl") pred = iscntrl;
        else if (name == "blank") pred = isblank;
        else { ok = false; return s; }
        for (int c = 0; c < 128; ++c)
            if (pred(c)) s.set(c);
        return s;
    }

    std::optional<Node> atom() {
        char c = p_[pos_++];
        switch (c) {
        case '(': {
            auto inner = alternation();
            if (!inner || !more() || peek() != ')') return std::nullopt;
            ++pos_;
            return inner;
        }
        case ')':
            return std::nullopt;
        case '[':
            return bracket();
        case '.': {
            // every byte but newline, NUL included, as in GNU regex
            CharSet s;
            s.set();
            s.reset('\n');
            return single(s);
        }
        case '^': {
            Node n;
            n.kind = Node::Bol;
            return n;
        }
        case '$': {
            Node n;
            n.kind = Node::Eol;
            return n;
        }
        case '\\': {
            if (!more()) return std::nullopt;
            char e = p_[pos_++];
            CharSet s;
            bool ok = true;
            switch (e) {
            case 'w': s = classSet("alnum", ok); s.set('_'); return single(s);
            case 'W': s = classSet("alnum", ok); s.set('_'); s.flip(); return single(s);
            case 's': s = classSet("space", ok); return single(s);
            case 'S': s = classSet("space", ok); s.flip(); return single(s);
            default:
                // word anchors, buffer anchors and back-references are not modelled
                if (std::strchr("bB<>`'", e) || (e >= '1' && e <= '9')) return std::nullopt;
                s.set(static_cast<unsigned char>(e));
                return single(s);
            }
        }
        default: {
            CharSet s;
            s.set(static_cast<unsigned char>(c));
            return single(s);
        }
        }
    }

    // A list: backslash is an ordinary character in it, ']' first is literal, a
    // negated list never matches newline (but matches NUL).
    std::optional<Node> bracket() {
        CharSet s;
        bool negate = false;
        if (more() && peek() == '^') { negate = true; ++pos_; }
        bool first = true;
        for (;;) {
            if (!more()) return std::nullopt;
            char c = peek();
            if (c == ']' && !first) { ++pos_; break; }
            first = false;
            int lo;
            if (c == '[' && pos_ + 1 < p_.size() && (p_[pos_ + 1] == ':' || p_[pos_ + 1] == '.' || p_[pos_ + 1] == '=')) {
                char kind = p_[pos_ + 1];
                size_t end = p_.find(std::string{kind, ']'}, pos_ + 2);
                if (end == std::string_view::npos) return std::nullopt;
                std::string_view name = p_.substr(pos_ + 2, end - pos_ - 2);
                pos_ = end + 2;
                if (kind == ':') {
                    bool ok;
                    s |= classSet(name, ok);
                    if (!ok) return std::nullopt;
                    continue;
                }
                if (name.size() != 1) return std::nullopt;  // multi-character collating elements
                lo = static_cast<unsigned char>(name[0]);
            } else {
                lo = static_cast<unsigned char>(c);
                ++pos_;
            }
            if (pos_ + 1 < p_.size() && peek() == '-' && p_[pos_ + 1] != ']') {
                ++pos_;
                int hi = static_cast<unsigned char>(p_[pos_++]);
                if (hi < lo) return std::nullopt;
                for (int x = lo; x <= hi; ++x) s.set(x);
            } else {
                s.set(lo);
            }
        }
        if (negate) {
            s.flip();
            s.reset('\n');
        }
        return single(s);
    }

    std::string_view p_;
    size_t pos_ = 0;
};

// ---- tree -> automaton ---------------------------------------------------------

struct State {
    std::vector<int> eps;
    int charTo = -1;  // edge on `set`
    CharSet set;
    int assertKind = 0;  // 1 start of text, 2 end of text
    int assertTo = -1;
};

class Automaton {
public:
    static constexpr size_t kMaxStates = 20000;

    bool build(const Node& root) {
        auto f = fragment(root);
        if (!f) return false;
        start_ = f->first;
        accept_ = f->second;
        computeLive();
        return true;
    }

    bool matches(std::string_view text) const {
        auto cur = run(text);
        if (!cur) return false;
        auto end = closure(*cur, text.empty(), true);
        return end[accept_];
    }

    bool prefix(std::string_view text) const {
        auto cur = run(text);
        if (!cur) return false;
        auto end = closure(*cur, text.empty(), true);
        if (end[accept_]) return true;
        for (size_t s = 0; s < states_.size(); ++s)
            if ((*cur)[s] && states_[s].charTo >= 0 && states_[s].set.any() && liveLater_[states_[s].charTo])
                return true;
        return false;
    }

private:
    using Marks = std::vector<char>;
    using Frag = std::pair<int, int>;

    int add() {
        states_.emplace_back();
        return static_cast<int>(states_.size()) - 1;
    }

    std::optional<Frag> fragment(const Node& n) {
        if (states_.size() > kMaxStates) return std::nullopt;
        switch (n.kind) {
        case Node::Set: {
            int s = add(), e = add();
            states_[s].charTo = e;
            states_[s].set = n.set;
            return Frag{s, e};
        }
        case Node::Bol:
        case Node::Eol: {
            int s = add(), e = add();
            states_[s].assertKind = n.kind == Node::Bol ? 1 : 2;
            states_[s].assertTo = e;
            return Frag{s, e};
        }
        case Node::Cat: {
            int s = add();
            int last = s;
            for (const auto& k : n.kids) {
                auto f = fragment(k);
                if (!f) return std::nullopt;
                states_[last].eps.push_back(f->first);
                last = f->second;
            }
            return Frag{s, last};
        }
        case Node::Alt: {
            int s = add(), e = add();
            for (const auto& k : n.kids) {
                auto f = fragment(k);
                if (!f) return std::nullopt;
                states_[s].eps.push_back(f->first);
                states_[f->second].eps.push_back(e);
            }
            return Frag{s, e};
        }
        case Node::Rep: {
            int s = add();
            int last = s;
            for (int i = 0; i < n.min; ++i) {
                auto f = fragment(n.kids.front());
                if (!f) return std::nullopt;
                states_[last].eps.push_back(f->first);
                last = f->second;
            }
            int e = add();
            if (n.max < 0) {
                auto f = fragment(n.kids.front());
                if (!f) return std::nullopt;
                states_[last].eps.push_back(f->first);
                states_[last].eps.push_back(e);
                states_[f->second].eps.push_back(last);
            } else {
                for (int i = n.min; i < n.max; ++i) {
                    auto f = fragment(n.kids.front());
                    if (!f) return std::nullopt;
                    states_[last].eps.push_back(f->first);
                    states_[last].eps.push_back(e);
                    last = f->second;
                }
                states_[last].eps.push_back(e);
            }
            return Frag{s, e};
        }
        }
        return std::nullopt;
    }

    Marks closure(const Marks& from, bool atStart, bool atEnd) const {
        Marks m = from;
        std::vector<int> work;
        for (size_t s = 0; s < m.size(); ++s)
            if (m[s]) work.push_back(static_cast<int>(s));
        auto visit = [&](int t) {
            if (!m[t]) { m[t] = 1; work.push_back(t); }
        };
        while (!work.empty()) {
            int s = work.back();
            work.pop_back();
            for (int t : states_[s].eps) visit(t);
            const State& st = states_[s];
            if ((st.assertKind == 1 && atStart) || (st.assertKind == 2 && atEnd)) visit(st.assertTo);
        }
        return m;
    }

    // The states reached after the whole text, closed over empty moves (without end
    // anchors); nullopt when none.
    std::optional<Marks> run(std::string_view text) const {
        Marks cur(states_.size(), 0);
        cur[start_] = 1;
        cur = closure(cur, true, false);
        for (size_t i = 0; i < text.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(text[i]);
            Marks next(states_.size(), 0);
            bool any = false;
            for (size_t s = 0; s < states_.size(); ++s)
                if (cur[s] && states_[s].charTo >= 0 && states_[s].set.test(c)) {
                    next[states_[s].charTo] = 1;
                    any = true;
                }
            if (!any) return std::nullopt;
            cur = closure(next, false, false);
        }
        return cur;
    }

    // liveLater_[s]: from s, after at least one character was read, some continuation
    // reaches the accepting state.
    void computeLive() {
        const size_t n = states_.size();
        Marks acceptEnd(n, 0);
        acceptEnd[accept_] = 1;
        for (bool changed = true; changed;) {
            changed = false;
            for (size_t s = 0; s < n; ++s) {
                if (acceptEnd[s]) continue;
                const State& st = states_[s];
                bool ok = st.assertKind == 2 && acceptEnd[st.assertTo];
                for (int t : st.eps) ok = ok || acceptEnd[t];
                if (ok) { acceptEnd[s] = 1; changed = true; }
            }
        }
        liveLater_ = acceptEnd;
        for (bool changed = true; changed;) {
            changed = false;
            for (size_t s = 0; s < n; ++s) {
                if (liveLater_[s]) continue;
                const State& st = states_[s];
                bool ok = st.charTo >= 0 && st.set.any() && liveLater_[st.charTo];
                for (int t : st.eps) ok = ok || liveLater_[t];
                if (ok) { liveLater_[s] = 1; changed = true; }
            }
        }
    }

    std::vector<State> states_;
    int start_ = 0, accept_ = 0;
    Marks liveLater_;
};

}  // namespace

struct CompiledPattern::Impl {
    re_pattern_buffer buffer{};
    bool compiled = false;
    std::optional<Automaton> automaton;
    ~Impl() {
        if (compiled) regfree(&buffer);
    }
};

std::unique_ptr<CompiledPattern> CompiledPattern::compile(std::string_view pattern) {
    selectSyntaxOnce();
    std::unique_ptr<CompiledPattern> p(new CompiledPattern);
    p->text_ = std::string(pattern);
    p->impl_ = std::make_unique<Impl>();
    Impl& im = *p->impl_;
    if (re_compile_pattern(p->text_.data(), p->text_.size(), &im.buffer) != nullptr) {
        regfree(&im.buffer);
        return nullptr;
    }
    im.compiled = true;
    // "$" must mean the end of the text, not the end of a line within it.
    im.buffer.newline_anchor = 0;
    if (auto tree = Parser(p->text_).parse()) {
        Automaton a;
        if (a.build(*tree)) im.automaton = std::move(a);
    }
    return p;
}

CompiledPattern::~CompiledPattern() = default;

bool CompiledPattern::hasAutomaton() const { return impl_->automaton.has_value(); }

bool CompiledPattern::fullMatch(std::string_view text) const {
    if (text.size() > 0x7fffffff) return false;
    int n = re_match(&impl_->buffer, text.data(), static_cast<int>(text.size()), 0, nullptr);
    return n >= 0 && static_cast<size_t>(n) == text.size();
}

bool CompiledPattern::isPrefix(std::string_view text) const {
    if (!impl_->automaton) return text.empty();
    return impl_->automaton->prefix(text);
}

bool CompiledPattern::automatonMatches(std::string_view text) const {
    return impl_->automaton && impl_->automaton->matches(text);
}

MatchResult CompiledPattern::match(std::string_view text) const {
    if (text_.empty() || fullMatch(text)) return MatchResult::Valid;
    return isPrefix(text) ? MatchResult::Incomplete : MatchResult::Invalid;
}

MatchResult matchPattern(std::string_view pattern, std::string_view text) {
    if (pattern.empty()) return MatchResult::Valid;
    auto p = CompiledPattern::compile(pattern);
    if (!p) return MatchResult::Valid;  // a field whose pattern failed works without one
    return p->match(text);
}

}  // namespace ptp
