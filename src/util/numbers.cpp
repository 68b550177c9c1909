#include "util/numbers.h"

#include "util/text.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace lumo {

namespace {

bool IsValBlank(QChar c)
{
    // Blanks, tabs and line feeds are skipped anywhere inside a number; a
    // carriage return is skipped too, so a line read with its CR still reads.
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

bool IsDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

int DigitValue(QChar c, int base)
{
    int d = -1;
    if (c >= u'0' && c <= u'9')
        d = c.unicode() - u'0';
    else if (c >= u'a' && c <= u'f')
        d = c.unicode() - u'a' + 10;
    else if (c >= u'A' && c <= u'F')
        d = c.unicode() - u'A' + 10;
    return d >= 0 && d < base ? d : -1;
}

class Reader {
public:
    explicit Reader(const QString& text) : text_(text) { }

    void skipBlanks()
    {
        while (pos_ < text_.size() && IsValBlank(text_[pos_]))
            ++pos_;
    }
    // The next character that is not a blank, or 0 at the end.
    QChar peek()
    {
        skipBlanks();
        return pos_ < text_.size() ? text_[pos_] : QChar();
    }
    QChar peekRaw() const { return pos_ < text_.size() ? text_[pos_] : QChar(); }
    void next() { ++pos_; }

private:
    const QString& text_;
    qsizetype pos_ = 0;
};

// &H / &O integers: up to 16 bits they are signed 16-bit values, up to 32
// bits signed 32-bit values ("&HFFFF" is -1, "&H10000" is 65536).
std::optional<double> ReadRadixInteger(Reader& r, int base)
{
    std::uint64_t value = 0;
    for (;;) {
        const int d = DigitValue(r.peek(), base);
        if (d < 0)
            break;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(d);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
        r.next();
    }
    if (value <= 0xFFFF)
        return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(value)));
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

// A type suffix right after the number must fit the number's type.
bool SuffixFits(QChar suffix, double value)
{
    const bool integral = std::floor(value) == value;
    if (suffix == u'%')
        return integral && value >= -32768.0 && value <= 32767.0;
    if (suffix == u'&')
        return integral && value >= -2147483648.0 && value <= 2147483647.0;
    if (suffix == u'!')
        return std::fabs(value) <= static_cast<double>(std::numeric_limits<float>::max());
    return true;
}

} // namespace

std::optional<double> ValChecked(const QString& text)
{
    Reader r(text);
    if (r.peek() == u'&') {
        r.next();
        const QChar kind = r.peekRaw().toUpper();
        if (kind == u'H' || kind == u'O') {
            r.next();
            return ReadRadixInteger(r, kind == u'H' ? 16 : 8);
        }
        return 0.0;
    }

    std::string number;
    if (r.peek() == u'-' || r.peek() == u'+') {
        if (r.peek() == u'-')
            number += '-';
        r.next();
    }
    bool anyDigit = false;
    bool fraction = false;
    for (QChar c = r.peek(); IsDigit(c) || (c == u'.' && !fraction); c = r.peek()) {
        if (c == u'.') {
            fraction = true;
            number += '.';
        } else {
            anyDigit = true;
            number += static_cast<char>(c.unicode());
        }
        r.next();
    }
    if (!anyDigit)
        return 0.0;

    bool negativeExponent = false;
    bool exponent = false;
    const QChar e = r.peek().toUpper();
    if (e == u'E' || e == u'D') {
        exponent = true;
        r.next();
        std::string digits;
        if (r.peek() == u'-' || r.peek() == u'+') {
            negativeExponent = r.peek() == u'-';
            r.next();
        }
        while (IsDigit(r.peek())) {
            if (!(digits.empty() && r.peek() == u'0'))
                digits += static_cast<char>(r.peek().unicode());
            r.next();
        }
        if (digits.size() > 6)
            digits = "999999"; // far beyond any double either way
        if (!digits.empty())
            number += (negativeExponent ? "e-" : "e") + digits;
    }

    double value = 0.0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec == std::errc::result_out_of_range) {
        if (!(exponent && negativeExponent))
            return std::nullopt;
        value = 0.0;
    } else if (ec != std::errc() || end != number.data() + number.size()) {
        return 0.0;
    }
    if (!std::isfinite(value))
        return std::nullopt;

    const QChar suffix = r.peekRaw();
    if (suffix == u'%' || suffix == u'&' || suffix == u'!' || suffix == u'#' || suffix == u'@') {
        if (!SuffixFits(suffix, value))
            return std::nullopt;
    }
    return value;
}

double Val(const QString& text)
{
    return ValChecked(text).value_or(0.0);
}

std::optional<std::int16_t> RoundToInt16(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    // Halves go to the even neighbour, whatever the FPU's rounding mode is.
    double whole = std::floor(value);
    const double rest = value - whole;
    if (rest > 0.5 || (rest == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    if (whole < -32768.0 || whole > 32767.0)
        return std::nullopt;
    return static_cast<std::int16_t>(whole);
}

double ValDot(const QString& text)
{
    QString t = TrimBlanks(text);
    t.replace(u',', u'.');
    return Val(t);
}

std::int16_t ValInt(const QString& text)
{
    const std::optional<double> value = ValChecked(TrimBlanks(text));
    if (!value)
        return 0;
    return RoundToInt16(*value).value_or(0);
}

QString FormatNumber(double value)
{
    if (value == 0.0 || !std::isfinite(value))
        return QStringLiteral("0");
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    QString text = QString::fromLatin1(buffer, result.ptr - buffer);
    text.replace(u'e', u'E');
    return text;
}

QString StrNumber(double value)
{
    QString text = FormatNumber(value);
    // The sign position's form drops the zero before the point (" .5").
    if (text.startsWith(QStringLiteral("0.")))
        text.remove(0, 1);
    else if (text.startsWith(QStringLiteral("-0.")))
        text.remove(1, 1);
    return value < 0.0 ? text : QStringLiteral(" ") + text;
}

bool IsSectionNumber(const QString& text)
{
    if (text.size() < 3)
        return false;
    const qsizetype dash = text.indexOf(u'-');
    if (dash < 0)
        return false;
    const auto readPart = [](const QString& part) -> std::optional<std::int16_t> {
        const std::optional<double> value = ValChecked(part);
        if (!value)
            return std::nullopt;
        return RoundToInt16(*value);
    };
    const std::optional<std::int16_t> before = readPart(text.left(dash));
    const std::optional<std::int16_t> after = readPart(text.mid(dash + 1));
    return before && after && *before > 0 && *after > 0;
}

} // namespace lumo
