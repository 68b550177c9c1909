// The date pattern shown next to date fields, in Polish letters (rok,
// miesiąc, dzień).
#pragma once

#include <QLocale>
#include <QString>

namespace lumo {

// The program's short date format (its locale's, Polish in the program) as
// "rrrr-mm-dd", "dd.mm.rr", ...
QString ShortDatePattern();
QString ShortDatePattern(const QLocale& locale);

// The Qt format of the program's short dates: its locale's, with the day and
// the month always in two digits, as the pattern above names them
// ("d.MM.yyyy" shows "07.12.2026").
QString ShortDateFormat();
QString ShortDateFormat(const QLocale& locale);

// The same for a Qt date format text ("yyyy-MM-dd" -> "rrrr-mm-dd").
QString ShortDatePatternOfFormat(const QString& qtDateFormat);

} // namespace lumo
