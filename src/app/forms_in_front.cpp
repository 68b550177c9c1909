#include "app/forms_in_front.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace lumo {

FormsInFront::FormsInFront(std::function<QWidget*()> drawingWindow) : drawingWindow_(std::move(drawingWindow))
{
    qApp->installEventFilter(this);
}

FormsInFront::~FormsInFront()
{
    qApp->removeEventFilter(this);
}

bool FormsInFront::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::Show || !watched->isWidgetType())
        return false;
    auto* shown = static_cast<QWidget*>(watched);
    if (!shown->isWindow())
        return false;
    // Menus, combo lists and tool tips look after themselves.
    const Qt::WindowType type = shown->windowType();
    if (type != Qt::Window && type != Qt::Dialog)
        return false;
    QWidget* drawing = drawingWindow_ ? drawingWindow_() : nullptr;
    if (!drawing || drawing == shown || !drawing->windowHandle() || !shown->windowHandle())
        return false;
    if (!shown->windowHandle()->transientParent())
        shown->windowHandle()->setTransientParent(drawing->windowHandle());
    return false;
}

} // namespace lumo
