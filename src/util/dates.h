// The date pattern shown next to date fields, in Polish letters (rok,
// miesiąc, dzień).
#pragma once

#include <QLocale>
#include <QString>

namespace lumo {

// The system's short date format as "rrrr-mm-dd", "dd.mm.rr", ...
QString ShortDatePattern();
QString ShortDatePattern(const QLocale& locale);

// The same for a Qt date format text ("yyyy-MM-dd" -> "rrrr-mm-dd").
QString ShortDatePatternOfFormat(const QString& qtDateFormat);

} // namespace lumo
