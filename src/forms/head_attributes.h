// The program's own rules for the attribute values of a placed head that the
// designer edits in the drawing window: the dates the description form
// writes keep its fixed form.
#pragma once

#include <QString>

namespace lumo {

// "" when the value may stand in the attribute of this tag, else why not.
QString CheckHeadAttribute(const QString& tag, const QString& value);

} // namespace lumo
