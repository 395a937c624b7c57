// The three answers of the field matcher for every pattern the fields use.
#include <gtest/gtest.h>

#include <functional>
#include <unordered_map>
#include <string>
#include <vector>

#include "widgets/pattern.h"

using ptp::CompiledPattern;
using ptp::MatchResult;

namespace {

constexpr MatchResult V = MatchResult::Valid;
constexpr MatchResult I = MatchResult::Incomplete;
constexpr MatchResult X = MatchResult::Invalid;

struct Case {
    const char* pattern;
    std::vector<std::pair<std::string, MatchResult>> texts;
};

const std::vector<Case> kSystemPatterns = {
    {"[7-8]{1}", {{"", I}, {"7", V}, {"8", V}, {"6", X}, {"9", X}, {"78", X}}},
    {"[1-2]{1}", {{"", I}, {"1", V}, {"2", V}, {"0", X}, {"3", X}, {"12", X}}},
    {"[8-8]{1}", {{"", I}, {"8", V}, {"7", X}, {"88", X}}},
    {"[1-9][0-9]{1}", {{"", I}, {"1", I}, {"10", V}, {"99", V}, {"0", X}, {"100", X}, {"1a", X}}},
    {"[1-9][0-9]{2}", {{"1", I}, {"12", I}, {"123", V}, {"0", X}, {"1234", X}, {"01", X}}},
    {"[1-9][0-9]{3}", {{"4", I}, {"409", I}, {"4096", V}, {"40960", X}, {"0096", X}}},
    {"[1-9][0-9]{4}", {{"6", I}, {"6553", I}, {"65530", V}, {"655300", X}, {" 1", X}}},
    {"[1-9][0-9]{5}", {{"", I}, {"2", I}, {"22000", I}, {"220000", V}, {"2200000", X}, {"0", X}, {"-1", X}}},
    {"[0-9]{3}", {{"", I}, {"0", I}, {"25", I}, {"255", V}, {"000", V}, {"2555", X}, {"2x", X}}},
    {"[0-9]{4}", {{"12", I}, {"0123", V}, {"01234", X}}},
    {"[0-9]{5}", {{"0", I}, {"65530", V}, {"655300", X}, {"6553a", X}}},
    {"[0-9]{6}", {{"0", I}, {"000000", V}, {"1000000", X}}},
    {"[a-fA-F0-9]{1,2}", {{"", I}, {"1", V}, {"f", V}, {"1F", V}, {"aB", V}, {"1G", X}, {"g", X}, {"123", X}}},
    {"[a-fA-F0-9]{2}", {{"", I}, {"1", I}, {"0D", V}, {"ff", V}, {"1G", X}, {"G", X}, {"0D0", X}}},
    {"[0-9]{0,2}([0-9]\\.[0-9]{1})",
     {{"", I}, {"2", I}, {"25", I}, {"25.", I}, {"25.5", V}, {"255.5", V}, {"0.1", V}, {"25.55", X},
      {"2555", X}, {".5", X}, {"255.", I}, {"2555.", X}, {"a", X}}},
};

TEST(IsoEditPattern, SystemPatternsGiveTheThreeAnswers) {
    for (const auto& c : kSystemPatterns) {
        auto p = CompiledPattern::compile(c.pattern);
        ASSERT_TRUE(p) << c.pattern;
        EXPECT_TRUE(p->hasAutomaton()) << c.pattern;
        for (const auto& [text, want] : c.texts)
            EXPECT_EQ(p->match(text), want) << c.pattern << " with \"" << text << "\"";
    }
}

// Beyond the hand-picked texts: over every short text, the answer must be "valid"
// exactly when GNU regex matches the whole text, and "incomplete" exactly when some
// continuation of it (of at most `completeLen` characters in all) matches.
void checkExhaustively(const std::string& pattern, const std::string& alphabet, size_t checkLen,
                       size_t completeLen) {
    auto p = CompiledPattern::compile(pattern);
    ASSERT_TRUE(p) << pattern;
    ASSERT_TRUE(p->hasAutomaton()) << pattern;
    std::unordered_map<std::string, bool> completable;
    std::function<bool(const std::string&)> canComplete = [&](const std::string& t) -> bool {
        if (auto it = completable.find(t); it != completable.end()) return it->second;
        bool ok = p->fullMatch(t);
        if (!ok && t.size() < completeLen)
            for (char c : alphabet)
                if (canComplete(t + c)) { ok = true; break; }
        completable[t] = ok;
        return ok;
    };
    std::vector<std::string> level{""};
    for (size_t len = 0; len <= checkLen; ++len) {
        std::vector<std::string> next;
        for (const auto& t : level) {
            const bool full = p->fullMatch(t);
            ASSERT_EQ(p->automatonMatches(t), full) << pattern << " \"" << t << "\"";
            const MatchResult want = full ? V : canComplete(t) ? I : X;
            ASSERT_EQ(p->match(t), want) << pattern << " \"" << t << "\"";
            if (len < checkLen)
                for (char c : alphabet) next.push_back(t + c);
        }
        level = std::move(next);
    }
}

TEST(IsoEditPattern, AgreesWithGnuRegexOnEveryShortText) {
    // One character of each class the patterns tell apart; every system pattern's
    // entries are at most 6 characters long.
    for (const auto& c : kSystemPatterns) checkExhaustively(c.pattern, "0178aG.", 6, 6);
}

TEST(IsoEditPattern, AutomatonHandlesTheWiderSyntax) {
    const std::vector<std::pair<std::string, std::string>> more = {
        {"(ab|c)*d", "abcdx"},
        {"x+y?z", "xyzq"},
        {"[^0-9]{2,3}", "0a-\\"},
        {"a|b\nc", "abcd"},
        {"[[:digit:]]{1,2}[[:upper:]]", "1Aa"},
        {"[]a]b{,2}", "]ab"},
        {"(a{2}){2,}", "ab"},
        {"\\.?[.-]", ".-x"},
        {"^a$", "ab"},
    };
    for (const auto& [pattern, alphabet] : more) checkExhaustively(pattern, alphabet, 4, 7);
}

TEST(IsoEditPattern, NulIsAnOrdinaryCharacterAsInGnuRegex) {
    // Dot, negated lists and the control class match a NUL byte in GNU regex; the automaton
    // must say the same, or a text with one is refused although it can still become valid.
    const std::string alphabet("a\0b", 3);
    for (const char* pattern : {".{2}", "[^a]b?", "[^]a]{1,2}", "[[:cntrl:]]a", "a[^b]*"})
        checkExhaustively(pattern, alphabet, 3, 5);
}

TEST(IsoEditPattern, CompileFailureAndEmptyPattern) {
    EXPECT_EQ(CompiledPattern::compile("[0-9"), nullptr);
    EXPECT_EQ(CompiledPattern::compile("(12"), nullptr);
    EXPECT_EQ(ptp::matchPattern("", "anything"), V);
}

TEST(IsoEditPattern, ConstructsWithoutAutomatonStillMatchFully) {
    // Back-references are beyond the automaton: full matches still count, anything else
    // but the empty text is refused.
    auto p = CompiledPattern::compile("(a)\\1");
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->hasAutomaton());
    EXPECT_EQ(p->match("aa"), V);
    EXPECT_EQ(p->match(""), I);
    EXPECT_EQ(p->match("a"), X);
}

TEST(IsoEditPattern, BytesBeyondAsciiAndNewlinesNeverMatchDigits) {
    auto p = CompiledPattern::compile("[0-9]{3}");
    ASSERT_TRUE(p);
    EXPECT_EQ(p->match("1\xC3\xA4"), X);
    EXPECT_EQ(p->match(std::string("1\0", 2)), X);
    EXPECT_EQ(p->match("1\n2"), X);
}

}  // namespace
