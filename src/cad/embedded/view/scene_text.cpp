#include "cad/embedded/view/scene_text.h"

#include <QRegularExpression>

namespace lumo::view {

QString plainText(const QString& text)
{
    if (!text.contains(QLatin1String("%%")))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('%') && i + 2 < text.size() + 0 && text[i + 1] == QLatin1Char('%')) {
            const QChar code = text[i + 2].toLower();
            if (code == QLatin1Char('d'))
                out += QChar(0x00B0);
            else if (code == QLatin1Char('c'))
                out += QChar(0x2300);
            else if (code == QLatin1Char('p'))
                out += QChar(0x00B1);
            else if (code == QLatin1Char('%'))
                out += QLatin1Char('%');
            else if (code == QLatin1Char('u') || code == QLatin1Char('o') || code == QLatin1Char('k')) {
            } else if (code.isDigit()) {
                // %%nnn: a character by its code.
                qsizetype j = i + 2;
                int value = 0;
                while (j < text.size() && j < i + 5 && text[j].isDigit())
                    value = value * 10 + text[j++].digitValue();
                out += QChar(value);
                i = j - 1;
                continue;
            } else {
                out += text.mid(i, 3);
            }
            i += 2;
            continue;
        }
        out += text[i];
    }
    return out;
}

QString plainMText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('{') || c == QLatin1Char('}'))
            continue;
        if (c != QLatin1Char('\\') || i + 1 >= n) {
            out += c;
            continue;
        }
        const QChar k = text[++i];
        switch (k.unicode()) {
        case 'P':
        case 'X': out += QLatin1Char('\n'); break;
        case 'N': out += QLatin1Char('\n'); break;
        case '~': out += QChar(0x00A0); break;
        case '\\':
        case '{':
        case '}': out += k; break;
        case 'L':
        case 'l':
        case 'O':
        case 'o':
        case 'K':
        case 'k': break;
        case 'S': {
            // Stacked text up to ';': "a^b", "a/b" or "a#b" shows as a/b; with
            // one side empty (a superscript or subscript) only the other side.
            const qsizetype end = text.indexOf(QLatin1Char(';'), i + 1);
            const QString stacked = text.mid(i + 1, (end < 0 ? n : end) - i - 1);
            const qsizetype split = stacked.indexOf(QRegularExpression(QStringLiteral("[\\^/#]")));
            if (split < 0) {
                out += stacked;
            } else {
                const QString top = stacked.left(split).trimmed(), bottom = stacked.mid(split + 1).trimmed();
                out += top.isEmpty() || bottom.isEmpty() ? top + bottom : top + QLatin1Char('/') + bottom;
            }
            i = end < 0 ? n : end;
            break;
        }
        default: {
            // \f..; \H..; \W..; \Q..; \T..; \A..; \C..; \c..; \p..; and the like: up to ';'.
            const qsizetype end = text.indexOf(QLatin1Char(';'), i + 1);
            if (end < 0) {
                out += k;
                break;
            }
            i = end;
            break;
        }
        }
    }
    return plainText(out);
}

} // namespace lumo::view
