#include "lists/drawing_values.h"

#include "cad/drawing.h"
#include "cad/session.h"
#include "util/text.h"

namespace lumo {

QString ReadLastStreet(cad::HostSession& session)
{
    if (!cad::CheckActiveDocument(session, true))
        return {};
    return TrimBlanks(
        QStringFromUtf8(cad::GetDrawingProperty(session, Utf8FromQString(kLastStreetProperty))));
}

void WriteLastStreet(cad::HostSession& session, const QString& street)
{
    cad::SetDrawingProperty(session, Utf8FromQString(kLastStreetProperty), Utf8FromQString(street));
}

QString ReadDocIntersection(cad::HostSession& session)
{
    if (!cad::CheckActiveDocument(session, true))
        return {};
    return QStringFromUtf8(cad::GetDrawingProperty(session, Utf8FromQString(kIntersectionProperty)));
}

} // namespace lumo
