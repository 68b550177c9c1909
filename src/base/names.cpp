// Names compared as CAD programs and Windows compare them: case folded by one
// rule for every layer of the program (the DXF engine, the embedded host,
// the settings file, file names), and the selection filters' wildcards.
#include "base/names.h"

#include "base/utf8.h"

#include <string>
#include <vector>

namespace lumo::base {

namespace {

bool isDigit(char32_t c)
{
    return c >= '0' && c <= '9';
}

bool isLetter(char32_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))
        return true;
    // Letters of the Latin supplements and extensions, Greek, Cyrillic.
    if (c >= 0xC0 && c <= 0x24F)
        return c != 0xD7 && c != 0xF7;
    return (c >= 0x370 && c <= 0x3FF) || (c >= 0x400 && c <= 0x52F);
}

// One alternative, compiled into pieces.
struct Piece {
    enum class Kind { Literal, Digit, Letter, NonAlnum, AnyOne, AnyRun, Set };
    Kind kind = Kind::Literal;
    char32_t literal = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges; // folded
};

struct Alternative {
    bool negated = false;
    std::vector<Piece> pieces;
};

std::vector<Alternative> compile(const std::u32string& pattern)
{
    std::vector<Alternative> alternatives(1);
    bool atStart = true;
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char32_t c = pattern[i];
        auto& alt = alternatives.back();
        if (c == ',') {
            alternatives.emplace_back();
            atStart = true;
            continue;
        }
        if (c == '~' && atStart) {
            alt.negated = !alt.negated;
            continue;
        }
        atStart = false;
        Piece piece;
        switch (c) {
        case '#': piece.kind = Piece::Kind::Digit; break;
        case '@': piece.kind = Piece::Kind::Letter; break;
        case '.': piece.kind = Piece::Kind::NonAlnum; break;
        case '?': piece.kind = Piece::Kind::AnyOne; break;
        case '*': piece.kind = Piece::Kind::AnyRun; break;
        case '`': piece.literal = (i + 1 < pattern.size()) ? FoldCase(pattern[++i]) : U'`'; break;
        case '[': {
            std::size_t j = i + 1;
            Piece set;
            set.kind = Piece::Kind::Set;
            if (j < pattern.size() && pattern[j] == '~') {
                set.negated = true;
                ++j;
            }
            // A ']' right after the opening is one of the enclosed.
            std::size_t first = j;
            while (j < pattern.size() && (pattern[j] != ']' || j == first)) {
                char32_t lo = pattern[j];
                if (lo == '`' && j + 1 < pattern.size())
                    lo = pattern[++j];
                char32_t hi = lo;
                if (j + 2 < pattern.size() && pattern[j + 1] == '-' && pattern[j + 2] != ']') {
                    hi = pattern[j + 2];
                    j += 2;
                }
                set.ranges.emplace_back(lo, hi);
                ++j;
            }
            if (j >= pattern.size()) {
                piece.literal = '['; // unclosed: a plain bracket
                break;
            }
            piece = std::move(set);
            i = j;
            break;
        }
        default: piece.literal = FoldCase(c); break;
        }
        alt.pieces.push_back(std::move(piece));
    }
    return alternatives;
}

bool inSet(const Piece& set, char32_t c)
{
    const char32_t folded = FoldCase(c);
    for (const auto& [lo, hi] : set.ranges) {
        if ((c >= lo && c <= hi) || (folded >= FoldCase(lo) && folded <= FoldCase(hi)))
            return true;
    }
    return false;
}

bool matchesOne(const Piece& piece, char32_t c)
{
    switch (piece.kind) {
    case Piece::Kind::Literal: return FoldCase(c) == piece.literal;
    case Piece::Kind::Digit: return isDigit(c);
    case Piece::Kind::Letter: return isLetter(c);
    case Piece::Kind::NonAlnum: return !isDigit(c) && !isLetter(c);
    case Piece::Kind::AnyOne: return true;
    case Piece::Kind::Set: return inSet(piece, c) != piece.negated;
    case Piece::Kind::AnyRun: return true;
    }
    return false;
}

// Iterative match with one back-tracking point for the last '*': linear in
// practice and never recursive, whatever the pattern.
bool matchPieces(const std::vector<Piece>& pieces, const std::u32string& text)
{
    std::size_t p = 0, t = 0;
    std::size_t starPiece = std::string::npos, starText = 0;
    while (t < text.size()) {
        if (p < pieces.size() && pieces[p].kind == Piece::Kind::AnyRun) {
            starPiece = p++;
            starText = t;
        } else if (p < pieces.size() && matchesOne(pieces[p], text[t])) {
            ++p;
            ++t;
        } else if (starPiece != std::string::npos) {
            p = starPiece + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pieces.size() && pieces[p].kind == Piece::Kind::AnyRun)
        ++p;
    return p == pieces.size();
}

} // namespace

char32_t FoldCase(char32_t c)
{
    if (c >= 'A' && c <= 'Z')
        return c + 32;
    if (c < 0xC0)
        return c;
    if (c <= 0xDE)
        return c == 0xD7 ? c : c + 32;
    // Latin Extended-A: upper case even, lower case odd, except in the two
    // runs shifted by one. The dotted and dotless i (U+0130, U+0131), kra,
    // the apostrophed n and the long s have no partner and stay.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return c | 1;
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return (c & 1) ? c + 1 : c;
    if (c == 0x178)
        return 0xFF;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2)
        return c + 32;
    if (c >= 0x410 && c <= 0x42F)
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    return c;
}

std::string FoldCase(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out.push_back(static_cast<char>(b >= 'A' && b <= 'Z' ? b + 32 : b));
            ++i;
            continue;
        }
        const char32_t c = DecodeUtf8(text, i);
        AppendUtf8(out, FoldCase(c == kNotUtf8 ? char32_t(b) : c));
    }
    return out;
}

bool HasFullWildcards(std::string_view pattern)
{
    return pattern.find_first_of("#@.[~`") != std::string_view::npos;
}

bool WildcardMatch(std::string_view pattern, std::string_view text)
{
    const auto compiled = compile(DecodeUtf8Leniently(pattern));
    const auto subject = DecodeUtf8Leniently(text);
    for (const auto& alternative : compiled) {
        if (matchPieces(alternative.pieces, subject) != alternative.negated)
            return true;
    }
    return false;
}

bool SameName(std::string_view a, std::string_view b)
{
    if (a == b)
        return true;
    // Names are mostly ASCII: compared as they stand, without decoding.
    if (a.size() == b.size()) {
        bool ascii = true;
        for (std::size_t i = 0; i < a.size() && ascii; ++i) {
            const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
            if ((x | y) & 0x80)
                ascii = false;
            else if (x != y && FoldCase(char32_t(x)) != FoldCase(char32_t(y)))
                return false;
        }
        if (ascii)
            return true;
    }
    const auto x = DecodeUtf8Leniently(a), y = DecodeUtf8Leniently(b);
    if (x.size() != y.size())
        return false;
    for (std::size_t i = 0; i < x.size(); ++i) {
        if (FoldCase(x[i]) != FoldCase(y[i]))
            return false;
    }
    return true;
}

} // namespace lumo::base
