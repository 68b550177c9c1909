#include "util/dates.h"

#include "util/text.h"

#include <QDate>
#include <QRegularExpression>

namespace lumo {

namespace {

// Shows a date whose parts cannot be mistaken for one another, then names
// the parts in Polish; the four-digit year goes first so that its "99" is
// not taken for the two-digit year.
QString NameDateParts(QString shown)
{
    shown = ReplaceAllText(shown, QStringLiteral("1999"), QStringLiteral("rrrr"));
    shown = ReplaceAllText(shown, QStringLiteral("99"), QStringLiteral("rr"));
    shown = ReplaceAllText(shown, QStringLiteral("12"), QStringLiteral("mm"));
    shown = ReplaceAllText(shown, QStringLiteral("30"), QStringLiteral("dd"));
    return shown;
}

const QDate kSampleDate(1999, 12, 30);

} // namespace

QString ShortDatePattern()
{
    return ShortDatePattern(QLocale());
}

QString ShortDatePattern(const QLocale& locale)
{
    return NameDateParts(locale.toString(kSampleDate, QLocale::ShortFormat));
}

QString ShortDateFormat()
{
    return ShortDateFormat(QLocale());
}

QString ShortDateFormat(const QLocale& locale)
{
    static const QRegularExpression singleDay(QStringLiteral("(?<!d)d(?!d)"));
    static const QRegularExpression singleMonth(QStringLiteral("(?<!M)M(?!M)"));
    QString format = locale.dateFormat(QLocale::ShortFormat);
    format.replace(singleDay, QStringLiteral("dd"));
    format.replace(singleMonth, QStringLiteral("MM"));
    return format;
}

QString ShortDatePatternOfFormat(const QString& qtDateFormat)
{
    return NameDateParts(QLocale::c().toString(kSampleDate, qtDateFormat));
}

} // namespace lumo
