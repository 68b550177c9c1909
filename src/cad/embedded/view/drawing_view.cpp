#include "cad/embedded/view/drawing_view.h"

#include "cad/embedded/view/renderer.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QRegion>
#include <QToolTip>
#include <QTransform>
#include <QWheelEvent>

#include <cmath>

namespace lumo::view {

namespace {
constexpr double kPi = 3.14159265358979323846;
const QColor kCrosshair(230, 230, 230);
const QColor kRubberBand(255, 200, 60);
const QColor kSnapMarker(80, 220, 255);
const QColor kHighlight(90, 170, 255);
const QColor kInsideWindow(90, 140, 255);
const QColor kCrossingWindow(90, 220, 120);
} // namespace

void drawRubberRectangle(QPainter& painter, QPointF from, QPointF to)
{
    painter.setPen(QPen(kRubberBand, 0, Qt::DashLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(from, to).normalized());
}

DrawingView::DrawingView(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::BlankCursor); // the crosshair is drawn
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(200, 150);
    settleTimer_.setSingleShot(true);
    settleTimer_.setTimerType(Qt::PreciseTimer);
    settleTimer_.setInterval(kSettleMs);
    connect(&settleTimer_, &QTimer::timeout, this, &DrawingView::settle);
}

void DrawingView::setScene(std::shared_ptr<const Scene> scene)
{
    // (As it was when set: the window may have taken over its contents
    // for the new one.)
    const bool wasEmpty = sceneWasEmpty_;
    scene_ = std::move(scene);
    sceneWasEmpty_ = !scene_ || scene_->isEmpty();
    snapFinder_.reset();
    snap_.reset();
    cacheValid_ = false;
    if (!viewSet_ || wasEmpty || fitted_)
        fitExtents();
    changed();
}

void DrawingView::setView(Vec2 centre, double pixelsPerUnit)
{
    if (!(pixelsPerUnit > 0.0) || !std::isfinite(pixelsPerUnit) || !std::isfinite(centre.x)
        || !std::isfinite(centre.y))
        return;
    centre_ = centre;
    scale_ = pixelsPerUnit;
    viewSet_ = true;
    fitted_ = false;
    changed();
}

Affine DrawingView::toScreen() const
{
    // y grows upwards in a drawing and downwards on the screen.
    return Affine{
        scale_, 0.0, 0.0, -scale_, width() / 2.0 - scale_ * centre_.x, height() / 2.0 + scale_ * centre_.y};
}

Vec2 DrawingView::toDrawing(QPointF p) const
{
    return {centre_.x + (p.x() - width() / 2.0) / scale_, centre_.y - (p.y() - height() / 2.0) / scale_};
}

QPointF DrawingView::toWidget(Vec2 d) const
{
    const Vec2 s = toScreen().map(d);
    return {s.x, s.y};
}

void DrawingView::zoomExtents()
{
    rememberView();
    fitExtents();
}

void DrawingView::fitExtents()
{
    if (!scene_ || scene_->isEmpty()) {
        setView({0.0, 0.0}, 1.0);
        fitted_ = true;
        return;
    }
    const Box& e = scene_->extents();
    const double w = std::max(e.width(), 1e-6), h = std::max(e.height(), 1e-6);
    // A small margin so that nothing touches the border.
    const double scale = std::min((width() - 20) / w, (height() - 20) / h);
    setView({(e.minX + e.maxX) / 2, (e.minY + e.maxY) / 2}, scale > 0.0 ? scale : 1.0);
    fitted_ = true;
}

void DrawingView::zoomAt(QPointF pos, double factor)
{
    const Vec2 fixed = toDrawing(pos);
    const double scale = std::clamp(scale_ * factor, 1e-12, 1e12);
    // Keep the drawing point under the cursor where it is.
    setView({fixed.x - (pos.x() - width() / 2.0) / scale, fixed.y + (pos.y() - height() / 2.0) / scale},
            scale);
}

void DrawingView::panBy(QPointF pixels)
{
    setView({centre_.x - pixels.x() / scale_, centre_.y + pixels.y() / scale_}, scale_);
}

bool DrawingView::zoomToWindow(const Box& window)
{
    if (window.isEmpty() || !(window.width() > 0.0) || !(window.height() > 0.0))
        return false;
    const double scale = std::clamp(std::min(width() / window.width(), height() / window.height()), 1e-12, 1e12);
    rememberView();
    setView({(window.minX + window.maxX) / 2, (window.minY + window.maxY) / 2}, scale);
    return true;
}

Box DrawingView::visibleBox() const
{
    Box b;
    const Vec2 a = toDrawing(QPointF(0, 0));
    const Vec2 c = toDrawing(QPointF(width(), height()));
    b.add(a.x, a.y);
    b.add(c.x, c.y);
    return b;
}

void DrawingView::rememberView()
{
    wheelAt_.reset();
    if (!viewSet_)
        return;
    const ShownView now{centre_, scale_};
    if (!previous_.empty() && previous_.back().centre.x == now.centre.x && previous_.back().centre.y == now.centre.y
        && previous_.back().scale == now.scale)
        return;
    previous_.push_back(now);
    if (previous_.size() > kPreviousViews)
        previous_.erase(previous_.begin());
    if (previous_.size() == 1)
        emit previousViewsChanged(true);
}

void DrawingView::zoomPrevious()
{
    if (previous_.empty())
        return;
    const ShownView back = previous_.back();
    previous_.pop_back();
    wheelAt_.reset();
    setView(back.centre, back.scale);
    if (previous_.empty())
        emit previousViewsChanged(false);
}

void DrawingView::forgetPreviousViews()
{
    wheelAt_.reset();
    if (previous_.empty())
        return;
    previous_.clear();
    emit previousViewsChanged(false);
}

void DrawingView::startViewTool(ViewTool tool)
{
    if (tool == tool_)
        return;
    tool_ = tool;
    toolCorner_.reset();
    panFrom_.reset();
    snap_.reset();
    QToolTip::hideText();
    updateCursorShape();
    update();
    emit viewToolChanged(tool_);
}

bool DrawingView::endViewTool()
{
    if (tool_ == ViewTool::None)
        return false;
    startViewTool(ViewTool::None);
    if (mouse_)
        followCursor(*mouse_);
    return true;
}

std::optional<Vec2> DrawingView::windowCorner() const
{
    if (!toolCorner_)
        return std::nullopt;
    return toDrawing(*toolCorner_);
}

void DrawingView::updateCursorShape()
{
    // The crosshair is drawn; a pan shows the hand instead.
    if (tool_ == ViewTool::Pan)
        setCursor(panFrom_ ? Qt::ClosedHandCursor : Qt::OpenHandCursor);
    else
        setCursor(Qt::BlankCursor);
}

void DrawingView::askPoint(std::optional<Vec2> base, RubberBand rubber)
{
    ask_ = Ask::Point;
    base_ = base;
    rubber_ = rubber;
    if (mouse_)
        followCursor(*mouse_);
    update();
}

void DrawingView::setSelecting(bool on)
{
    selecting_ = on;
    if (!on && dragFrom_) {
        dragFrom_.reset();
        update();
    }
}

void DrawingView::setHighlight(std::shared_ptr<const Scene> highlight)
{
    highlight_ = std::move(highlight);
    cacheValid_ = false;
    update();
}

void DrawingView::askAngle(Vec2 base)
{
    ask_ = Ask::Angle;
    base_ = base;
    rubber_ = RubberBand::Line;
    snap_.reset();
    update();
}

void DrawingView::askNothing()
{
    ask_ = Ask::Nothing;
    base_.reset();
    snap_.reset();
    QToolTip::hideText();
    update();
}

void DrawingView::setRubberBlock(std::shared_ptr<const Scene> block)
{
    rubberBlock_ = std::move(block);
    update();
}

double DrawingView::cursorAngle() const
{
    if (!base_ || !mouse_)
        return 0.0;
    const Vec2 p = cursorTarget();
    if (p.x == base_->x && p.y == base_->y)
        return 0.0;
    double degrees = std::atan2(p.y - base_->y, p.x - base_->x) * 180.0 / kPi;
    if (degrees < 0.0)
        degrees += 360.0;
    if (ortho_)
        degrees = std::fmod(std::round(degrees / 90.0) * 90.0, 360.0);
    return degrees;
}

void DrawingView::setSnapsEnabled(bool on)
{
    if (snapsEnabled_ == on)
        return;
    snapsEnabled_ = on;
    if (mouse_)
        followCursor(*mouse_);
    update();
    emit snapsToggled(on);
}

void DrawingView::setOrtho(bool on)
{
    if (ortho_ == on)
        return;
    ortho_ = on;
    update();
    emit orthoToggled(on);
}

std::optional<Snap> DrawingView::snapAt(QPointF widgetPos) const
{
    if (!snapsEnabled_ || ask_ != Ask::Point || tool_ != ViewTool::None || !scene_ || scene_->isEmpty())
        return std::nullopt;
    if (!snapFinder_)
        snapFinder_ = std::make_unique<SnapFinder>(*scene_);
    return snapFinder_->find(toDrawing(widgetPos), kSnapAperture / scale_);
}

void DrawingView::followCursor(QPointF widgetPos)
{
    const auto snap = snapAt(widgetPos);
    const bool kindChanged = snap.has_value() != snap_.has_value() || (snap && snap->kind != snap_->kind);
    snap_ = snap;
    if (!kindChanged)
        return;
    if (snap_)
        QToolTip::showText(mapToGlobal(widgetPos + QPointF(16, 16)).toPoint(), snapName(snap_->kind), this);
    else
        QToolTip::hideText();
}

Vec2 DrawingView::cursorTarget() const
{
    if (snap_)
        return snap_->at;
    return mouse_ ? orthoPoint(toDrawing(*mouse_)) : Vec2{};
}

Vec2 DrawingView::orthoPoint(Vec2 p) const
{
    // A second point with ortho on lies level with the base or plumb above it.
    if (!ortho_ || ask_ != Ask::Point || !base_ || rubber_ == RubberBand::Rectangle)
        return p;
    if (std::abs(p.x - base_->x) >= std::abs(p.y - base_->y))
        return {p.x, base_->y};
    return {base_->x, p.y};
}

std::optional<Vec2> DrawingView::cursorPosition() const
{
    if (!mouse_)
        return std::nullopt;
    return cursorTarget();
}

QImage DrawingView::renderImage() const
{
    QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter painter(&image);
    if (scene_)
        view::render(painter, *scene_, toScreen(), image.rect());
    else
        painter.fillRect(image.rect(), *RenderOptions{}.background);
    return image;
}

void DrawingView::changed()
{
    // A view set any other way than by the wheel or a drag is drawn in full
    // (the wheel and the drag start moving again right after).
    moving_ = false;
    settleTimer_.stop();
    update();
    emit viewChanged();
}

void DrawingView::startMoving()
{
    moving_ = true;
    settleTimer_.start();
}

void DrawingView::settle()
{
    settleTimer_.stop();
    if (!moving_)
        return;
    moving_ = false;
    update();
}

void DrawingView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (moving_ && cacheValid_ && cache_.size() == size()) {
        paintMoving(painter);
    } else {
        const Affine view = toScreen();
        if (!cacheValid_ || cache_.size() != size() || !(cacheView_ == view)) {
            cache_ = renderImage();
            if (highlight_ && !highlight_->isEmpty()) {
                QPainter over(&cache_);
                RenderOptions options;
                options.background.reset();
                options.colour = kHighlight.rgb();
                view::render(over, *highlight_, view, cache_.rect(), options);
            }
            cacheView_ = view;
            cacheValid_ = true;
        }
        painter.drawImage(0, 0, cache_);
    }
    drawOverlay(painter);
}

void DrawingView::paintMoving(QPainter& painter)
{
    // From the picture's pixels to the view's: a shift for a pan, a scale
    // about the cursor for a wheel step. What the picture does not cover
    // is background until the full picture comes.
    const Affine m = toScreen() * cacheView_.inverted();
    // (a pan by whole pixels comes out a hair away from them)
    const auto near = [](double value, double to) { return std::abs(value - to) < 1e-6; };
    if (near(m.a, 1.0) && near(m.d, 1.0) && near(m.b, 0.0) && near(m.c, 0.0) && near(m.e, std::round(m.e))
        && near(m.f, std::round(m.f))) {
        const QPoint shift(int(std::round(m.e)), int(std::round(m.f)));
        const QRegion uncovered = QRegion(rect()) - QRegion(cache_.rect().translated(shift));
        for (const QRect& r : uncovered)
            painter.fillRect(r, *RenderOptions{}.background);
        painter.drawImage(shift, cache_);
        return;
    }
    painter.fillRect(rect(), *RenderOptions{}.background);
    painter.setTransform(QTransform(m.a, m.b, m.c, m.d, m.e, m.f));
    painter.drawImage(0, 0, cache_);
    painter.resetTransform();
}

void DrawingView::drawOverlay(QPainter& painter) const
{
    if (tool_ != ViewTool::None) {
        // A view command: its window and the cursor, nothing of what is asked.
        if (mouse_ && toolCorner_)
            drawRubberRectangle(painter, *toolCorner_, *mouse_);
        if (mouse_ && tool_ == ViewTool::ZoomWindow)
            drawCrosshair(painter, *mouse_);
        return;
    }
    if (mouse_ && ask_ != Ask::Nothing && rubberBlock_ && !rubberBlock_->isEmpty()) {
        Affine place;
        if (ask_ == Ask::Angle && base_) {
            place = Affine::translation(base_->x, base_->y) * Affine::rotation(cursorAngle() * kPi / 180.0);
        } else {
            const Vec2 at = cursorTarget();
            place = Affine::translation(at.x, at.y);
        }
        RenderOptions options;
        options.background.reset();
        options.colour = kRubberBand.rgb();
        view::render(painter, *rubberBlock_, toScreen() * place, rect(), options);
    }
    if (mouse_ && base_ && ask_ == Ask::Point && rubber_ == RubberBand::Rectangle) {
        drawRubberRectangle(painter, toWidget(*base_), toWidget(cursorTarget()));
    } else if (mouse_ && base_ && ask_ != Ask::Nothing) {
        // From the base to the cursor; with ortho along the angle taken.
        const QPointF from = toWidget(*base_);
        QPointF to = toWidget(cursorTarget());
        if (ask_ == Ask::Angle && ortho_) {
            const double length = std::hypot(to.x() - from.x(), to.y() - from.y());
            const double a = cursorAngle() * kPi / 180.0;
            to = from + QPointF(length * std::cos(a), -length * std::sin(a));
        }
        painter.setPen(QPen(kRubberBand, 0, Qt::DashLine));
        painter.drawLine(from, to);
    }
    if (mouse_ && dragFrom_ && ask_ == Ask::Nothing) {
        const bool crossing = mouse_->x() < dragFrom_->x();
        const QColor colour = crossing ? kCrossingWindow : kInsideWindow;
        painter.setPen(QPen(colour, 0, crossing ? Qt::DashLine : Qt::SolidLine));
        QColor fill = colour;
        fill.setAlpha(40);
        painter.setBrush(fill);
        painter.drawRect(QRectF(*dragFrom_, *mouse_).normalized());
        painter.setBrush(Qt::NoBrush);
    }
    if (mouse_ && snap_) {
        // Each kind of snap has its own marker.
        const QPointF c = toWidget(snap_->at);
        const double r = 6.0;
        painter.setPen(QPen(kSnapMarker, 2));
        painter.setBrush(Qt::NoBrush);
        switch (snap_->kind) {
        case SnapKind::Endpoint: painter.drawRect(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r)); break;
        case SnapKind::Centre: painter.drawEllipse(c, r, r); break;
        case SnapKind::Midpoint:
            painter.drawPolygon(
                QPolygonF{{c.x() - r, c.y() + r}, {c.x() + r, c.y() + r}, {c.x(), c.y() - r}});
            break;
        case SnapKind::Intersection:
            painter.drawLine(QPointF(c.x() - r, c.y() - r), QPointF(c.x() + r, c.y() + r));
            painter.drawLine(QPointF(c.x() - r, c.y() + r), QPointF(c.x() + r, c.y() - r));
            break;
        case SnapKind::Insertion:
            painter.drawRect(QRectF(c.x() - r, c.y() - r, r, r));
            painter.drawRect(QRectF(c.x(), c.y(), r, r));
            break;
        case SnapKind::Nearest:
            painter.drawPolygon(QPolygonF{{c.x() - r, c.y() - r},
                                          {c.x() + r, c.y() + r},
                                          {c.x() - r, c.y() + r},
                                          {c.x() + r, c.y() - r}});
            break;
        }
    }
    if (mouse_)
        drawCrosshair(painter, *mouse_);
}

void DrawingView::drawCrosshair(QPainter& painter, QPointF m) const
{
    painter.setPen(QPen(kCrosshair, 0));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(QPointF(0, m.y()), QPointF(width(), m.y()));
    painter.drawLine(QPointF(m.x(), 0), QPointF(m.x(), height()));
    painter.drawRect(QRectF(m.x() - 4, m.y() - 4, 8, 8));
}

void DrawingView::resizeEvent(QResizeEvent*)
{
    cacheValid_ = false;
    // A drawing shown whole stays whole when the window changes size.
    if (!viewSet_ || fitted_)
        fitExtents();
    changed();
}

void DrawingView::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    mouse_ = event->position();
    if (event->button() == Qt::MiddleButton) {
        rememberView();
        panFrom_ = event->position();
        panButton_ = Qt::MiddleButton;
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    if (tool_ != ViewTool::None) {
        viewToolPress(event);
        return;
    }
    if (ask_ == Ask::Point) {
        const auto snap = snapAt(event->position());
        const Vec2 p = snap ? snap->at : orthoPoint(toDrawing(event->position()));
        emit pointPicked(p.x, p.y);
    } else if (ask_ == Ask::Angle) {
        emit anglePicked(cursorAngle());
    } else if (selecting_) {
        dragFrom_ = event->position();
    } else {
        const Vec2 p = toDrawing(event->position());
        emit clickedUnasked(p.x, p.y);
    }
}

void DrawingView::viewToolPress(QMouseEvent* event)
{
    if (tool_ == ViewTool::Pan) {
        rememberView();
        panFrom_ = event->position();
        panButton_ = Qt::LeftButton;
        updateCursorShape();
        return;
    }
    if (!toolCorner_) {
        toolCorner_ = event->position();
        update();
        emit windowCornerPicked();
        return;
    }
    // The second click: the window.
    const Vec2 a = toDrawing(*toolCorner_), b = toDrawing(event->position());
    Box window;
    window.add(a.x, a.y);
    window.add(b.x, b.y);
    const QPointF d = event->position() - *toolCorner_;
    if (std::abs(d.x()) < 1.0 || std::abs(d.y()) < 1.0)
        return; // the same place again: no window yet
    zoomToWindow(window);
    endViewTool();
}

void DrawingView::viewToolRelease(QMouseEvent* event)
{
    if (tool_ == ViewTool::Pan) {
        panFrom_.reset();
        updateCursorShape();
        settle();
        return;
    }
    // A corner dragged to the other one: the window as released.
    if (toolCorner_) {
        const QPointF d = event->position() - *toolCorner_;
        if (std::hypot(d.x(), d.y()) >= kDragThreshold)
            viewToolPress(event);
    }
}

void DrawingView::mouseMoveEvent(QMouseEvent* event)
{
    if (wheelAt_) {
        const QPointF d = event->position() - *wheelAt_;
        if (std::hypot(d.x(), d.y()) >= kDragThreshold)
            wheelAt_.reset(); // the next wheel step zooms elsewhere: a change of its own
    }
    mouse_ = event->position();
    if (panFrom_) {
        const QPointF delta = event->position() - *panFrom_;
        panFrom_ = event->position();
        panBy(delta);
        startMoving();
    }
    followCursor(event->position());
    const Vec2 p = cursorTarget();
    emit cursorMoved(p.x, p.y);
    update();
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event)
{
    if (panFrom_ && event->button() == panButton_) {
        panFrom_.reset();
        updateCursorShape();
        settle(); // the drag is over: the full picture at once
        return;
    }
    if (event->button() == Qt::LeftButton && tool_ != ViewTool::None) {
        viewToolRelease(event);
        return;
    }
    if (event->button() != Qt::LeftButton || !dragFrom_)
        return;
    const QPointF from = *dragFrom_, to = event->position();
    dragFrom_.reset();
    update();
    if (ask_ != Ask::Nothing || !selecting_)
        return;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    if (std::hypot(to.x() - from.x(), to.y() - from.y()) < kDragThreshold) {
        emit pickClicked(toDrawing(from), kPickAperture / scale_, shift);
        return;
    }
    const Vec2 a = toDrawing(from), b = toDrawing(to);
    Box window;
    window.add(a.x, a.y);
    window.add(b.x, b.y);
    emit windowPicked(window, to.x() < from.x(), shift);
}

void DrawingView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || ask_ != Ask::Nothing || !selecting_ || tool_ != ViewTool::None) {
        mousePressEvent(event);
        return;
    }
    emit doubleClicked(toDrawing(event->position()), kPickAperture / scale_);
}

void DrawingView::contextMenuEvent(QContextMenuEvent* event)
{
    if (ask_ == Ask::Nothing && selecting_ && tool_ == ViewTool::None)
        emit contextMenuAsked(event->globalPos());
}

void DrawingView::wheelEvent(QWheelEvent* event)
{
    const double steps = event->angleDelta().y() / 120.0;
    if (steps != 0.0) {
        if (!wheelAt_)
            rememberView();
        zoomAt(event->position(), std::pow(1.25, steps));
        wheelAt_ = event->position();
        startMoving();
    }
    event->accept();
}

void DrawingView::keyPressEvent(QKeyEvent* event)
{
    const double step = std::max(width(), height()) / 8.0;
    switch (event->key()) {
    case Qt::Key_Left:
        rememberView();
        panBy({step, 0});
        return;
    case Qt::Key_Right:
        rememberView();
        panBy({-step, 0});
        return;
    case Qt::Key_Up:
        rememberView();
        panBy({0, step});
        return;
    case Qt::Key_Down:
        rememberView();
        panBy({0, -step});
        return;
    case Qt::Key_Home: zoomExtents(); return;
    case Qt::Key_PageUp:
        rememberView();
        zoomAt(QPointF(width() / 2.0, height() / 2.0), 1.25);
        return;
    case Qt::Key_PageDown:
        rememberView();
        zoomAt(QPointF(width() / 2.0, height() / 2.0), 0.8);
        return;
    case Qt::Key_Escape:
        if (!endViewTool())
            emit cancelled();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!endViewTool())
            emit entered();
        return;
    default: break;
    }
    // With Alt or Ctrl held a key is an accelerator or a shortcut (a form's
    // Alt+Z pressed a moment late), not text for the prompt line; both held
    // are AltGr on Windows, which types letters.
    const auto held = event->modifiers() & (Qt::AltModifier | Qt::ControlModifier);
    const bool shortcut = held == Qt::AltModifier || held == Qt::ControlModifier;
    const QString text = event->text();
    if (!shortcut && !text.isEmpty() && text[0].isPrint()) {
        emit typed(text);
        return;
    }
    QWidget::keyPressEvent(event);
}

void DrawingView::leaveEvent(QEvent*)
{
    mouse_.reset();
    snap_.reset();
    update();
}

} // namespace lumo::view
