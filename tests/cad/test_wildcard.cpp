#include "cad/embedded/wildcard.h"

#include <gtest/gtest.h>

namespace lumo::cad::embedded {
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

TEST(Wildcard, SameNameIgnoresCaseOfNationalLetters)
{
    EXPECT_TRUE(SameName("110-Sygnalizacja_Komory", "110-SYGNALIZACJA_KOMORY"));
    EXPECT_TRUE(SameName("ąćęłńóśźż", "ĄĆĘŁŃÓŚŹŻ"));
    EXPECT_FALSE(SameName("a", "ab"));
    EXPECT_FALSE(SameName("l", "ł"));
}

} // namespace
} // namespace lumo::cad::embedded
