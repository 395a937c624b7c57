#pragma once
// Pattern matching for the validated input fields.
//
// A field accepts a text while it can still become a valid entry, so the matcher has
// three answers: the pattern matches the whole text (valid), the text ran out while the
// pattern still expected characters (incomplete), or no continuation of the text can
// ever match (invalid). The full match is GNU regex in the POSIX egrep syntax the fields
// are written in; the incomplete answer comes from a small automaton built from the
// same pattern text, because the library itself cannot tell "ran out of text" from
// "mismatch".
#include <memory>
#include <string>
#include <string_view>

namespace ptp {

enum class MatchResult { Valid, Incomplete, Invalid };

// Syntax bits of the field patterns: character classes, context-independent anchors and
// operators, unescaped braces, parentheses and bar, newline as alternation, lists that
// never match newline.
inline constexpr unsigned long kPatternSyntax = 47900;

class CompiledPattern {
public:
    // Compiles `pattern`; nullptr when the matcher refuses it.
    static std::unique_ptr<CompiledPattern> compile(std::string_view pattern);
    ~CompiledPattern();
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

    const std::string& text() const { return text_; }

    // The match always starts at the first character; a match that covers only a
    // leading part of the text does not count as covering it.
    MatchResult match(std::string_view text) const;

    // Whether the whole text matches, by the GNU matcher alone.
    bool fullMatch(std::string_view text) const;
    // Whether the text is the beginning of some text the pattern matches, by the
    // automaton alone. False for every text but the empty one when the pattern uses a
    // construct the automaton does not model (back-references, word anchors).
    bool isPrefix(std::string_view text) const;
    bool hasAutomaton() const;
    // Whether the whole text matches, by the automaton alone (to check it against the
    // GNU matcher).
    bool automatonMatches(std::string_view text) const;

private:
    struct Impl;
    CompiledPattern() = default;
    std::string text_;
    std::unique_ptr<Impl> impl_;
};

// One-shot convenience; an empty pattern matches everything.
MatchResult matchPattern(std::string_view pattern, std::string_view text);

}  // namespace ptp
