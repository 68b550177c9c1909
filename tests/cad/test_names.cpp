#include "base/names.h"
#include "dxf/document.h"

#include <gtest/gtest.h>

namespace lumo::base {
namespace {

TEST(Wildcard, MatchesAsHostSelectionFiltersDo)
{
    struct Case {
        const char* pattern;
        const char* text;
        bool match;
    } cases[] = {
        {"S-*", "S-3lp", true},
        {"S-*", "s-1", true}, // case is ignored
        {"S-*", "S-", true},
        {"S-*", "ST", false},
        {"S-*", "XS-1", false},
        {"*", "", true},
        {"", "", true},
        {"", "a", false},
        {"S-?", "S-1", true},
        {"S-?", "S-12", false},
        {"S-#", "S-7", true},
        {"S-#", "S-B", false},
        {"S-@", "S-B", true},
        {"S-@", "S-1", false},
        {"S-@", "S-ł", true}, // Polish letters are letters
        {"S.1", "S-1", true},
        {"S.1", "SX1", false},
        {"[A-C]*", "b12", true},
        {"[A-C]*", "D12", false},
        {"[~A-C]*", "D12", true},
        {"[~A-C]*", "a12", false},
        {"[ab-]x", "-x", true},
        {"~S-*", "EKO", true},
        {"~S-*", "S-1", false},
        {"EKO,EKP", "ekp", true},
        {"EKO,EKP", "EK", false},
        {"EKO,~S*", "TXT", true},
        {"`*U2", "*U2", true},
        {"`*U2", "XU2", false},
        {"a`,b", "a,b", true},
        {"*SYGNALIZACJA*", "110-SYGNALIZACJA_KOMORY", true},
        {"1##-*", "110-SYGNALIZACJA_KOMORY", true},
        {"1##-*", "1a0-X", false},
        {"*A*B*C", "xxAyyBzzC", true},
        {"*A*B*C", "xxAyyBzzCx", false},
        {"ŻÓŁW*", "żółwik", true},
        {"ДОМ", "дом", true},
        {"[", "[", true}, // an unclosed bracket is a bracket
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " / " + c.text);
        EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.match);
    }
}

TEST(Wildcard, LongPatternsStayFast)
{
    const std::string text(10000, 'a');
    EXPECT_FALSE(WildcardMatch("*a*a*a*a*a*a*a*a*a*b", text));
    EXPECT_TRUE(WildcardMatch("*a*a*a*a*a*a*a*a*a*a", text));
}

// The DXF engine, the embedded host and the settings file compare names by
// this one rule, and the engine's search speaks the filters' dialect.
TEST(Names, OneRuleEverywhere)
{
    struct Case {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"110-Sygnalizacja_Komory", "110-SYGNALIZACJA_KOMORY", true},
        {"ąćęłńóśźż", "ĄĆĘŁŃÓŚŹŻ", true},
        {"Ÿ", "ÿ", true}, // U+0178 pairs with U+00FF, not with Ź
        {"Ÿ", "ź", false},
        {"İ", "i", false}, // the dotted and dotless i have no partner
        {"ı", "I", false},
        {"Ё", "ё", true},
        {"a", "ab", false},
        {"l", "ł", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(SameName(c.a, c.b), c.same) << c.a << " " << c.b;
        EXPECT_EQ(dxf::sameName(c.a, c.b), c.same) << c.a << " " << c.b;
        EXPECT_EQ(WildcardMatch(c.a, c.b), c.same) << c.a << " " << c.b;
    }
    for (const char* pattern : {"S-#", "S-[0-9]", "~S-[2-9]", "S-?,X"}) {
        EXPECT_EQ(dxf::wildcardMatch(pattern, "s-1"), WildcardMatch(pattern, "s-1")) << pattern;
        EXPECT_TRUE(dxf::wildcardMatch(pattern, "S-1")) << pattern;
    }
}

} // namespace
} // namespace lumo::base
