// The program's forms and messages stay in front of the drawing window: a
// click on the drawing (to pick a point, to look closer) never buries the
// options form behind it. Each window that shows becomes the drawing
// window's transient, which window managers keep above it.
#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QWidget;

namespace lumo {

class FormsInFront : public QObject {
public:
    // drawingWindow: the window to stay in front of (null while there is none).
    explicit FormsInFront(std::function<QWidget*()> drawingWindow);
    ~FormsInFront() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<QWidget*()> drawingWindow_;
};

} // namespace lumo
