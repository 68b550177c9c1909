#include "forms/head_attributes.h"

#include "forms/frm_atrybuty_sygnalizatora.h"

#include <QDate>

#include <algorithm>
#include <iterator>

namespace lumo {

QString CheckHeadAttribute(const QString& tag, const QString& value)
{
    static const QString dateTags[] = {QStringLiteral("REALIZACJA_DATA"), QStringLiteral("ZLECENIE_DATA"),
                                       QStringLiteral("INWENT_DATA")};
    const bool isDate = std::find_if(std::begin(dateTags), std::end(dateTags), [&](const QString& t) {
                            return t.compare(tag, Qt::CaseInsensitive) == 0;
                        }) != std::end(dateTags);
    if (!isDate || value.isEmpty())
        return {};
    // Only the form itself: "2024.5.7" reads as a date but is not how one is kept.
    const QDate date = QDate::fromString(value, kDescriptionDateFormat);
    if (date.isValid() && date.toString(kDescriptionDateFormat) == value)
        return {};
    return QStringLiteral("Niepoprawna data w polu %1: \"%2\".\r\nPodaj datę w postaci rrrr.mm.dd, "
                          "na przykład %3.")
        .arg(tag, value, QDate(2024, 5, 17).toString(kDescriptionDateFormat));
}

} // namespace lumo
