// Values the suite keeps inside the drawing as custom properties and uses
// like folder settings: the last street used in the drawing and the drawing's
// intersection number.
#pragma once

#include <QString>

namespace lumo {

namespace cad {
struct HostSession;
}

inline const QString kLastStreetProperty = QStringLiteral("OSTULICA");
inline const QString kIntersectionProperty = QStringLiteral("ONUMERSKRZYZ");

// The drawing's last street, trimmed; "" when no drawing is open (after the
// session's message) or the drawing has none.
QString ReadLastStreet(cad::HostSession& session);

// Remembers the street in the current drawing. The caller has made sure a
// drawing is open.
void WriteLastStreet(cad::HostSession& session, const QString& street);

// The drawing's intersection number as stored (not trimmed); "" when no
// drawing is open (after the session's message) or the drawing has none.
QString ReadDocIntersection(cad::HostSession& session);

} // namespace lumo
