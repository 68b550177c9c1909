#include "util/text.h"

#include "util/dialogs.h"
#include "util/titles.h"

namespace lumo {

namespace {
constexpr QChar kBlank = u' ';
}

QString TrimLeftBlanks(const QString& text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == kBlank)
        ++start;
    return text.mid(start);
}

QString TrimRightBlanks(const QString& text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == kBlank)
        --end;
    return text.left(end);
}

QString TrimBlanks(const QString& text)
{
    return TrimLeftBlanks(TrimRightBlanks(text));
}

int InStrRevChr(const QString& text, const QString& c)
{
    if (c.size() != 1)
        return 0;
    for (qsizetype i = text.size(); i > 0; --i) {
        if (text[i - 1] == c[0])
            return static_cast<int>(i);
    }
    return 0;
}

QString ReplaceChr(Dialogs& dialogs, const QString& text, const QString& oldChr, const QString& newChr)
{
    if (oldChr == newChr) {
        dialogs.show(kApplicationTitle, QStringLiteral("ReplaceChr(): oba znaki są identyczne!"));
        return text;
    }
    if (oldChr.size() != 1 || newChr.size() != 1)
        return text;
    QString result = text;
    result.replace(oldChr[0], newChr[0]);
    return result;
}

QString ReplaceAllText(const QString& text, const QString& searched, const QString& replacement)
{
    if (searched.isEmpty() || replacement.contains(searched))
        return text;
    // Replacing the first occurrence again and again can join a replacement
    // with the text around it into a new occurrence ("aabb", "ab" -> ""
    // gives ""), so a single left-to-right pass is not the same. A new
    // occurrence can only start within searched.size() - 1 characters before
    // the last replacement, which keeps the search short.
    QString result = text;
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = result.indexOf(searched, from);
        if (at < 0)
            return result;
        result.replace(at, searched.size(), replacement);
        from = std::max<qsizetype>(0, at - searched.size() + 1);
    }
}

QString TakeToken(QString& text, const QString& separator)
{
    const qsizetype at = text.indexOf(separator, 0, Qt::CaseInsensitive);
    if (at < 0) {
        QString whole = text;
        text.clear();
        return whole;
    }
    QString token = text.left(at);
    text = text.mid(at + separator.size());
    return token;
}

QString QStringFromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string Utf8FromQString(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

} // namespace lumo
