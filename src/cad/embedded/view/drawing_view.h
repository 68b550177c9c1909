// The drawing area of the embedded host's window: shows a Scene, zooms with
// the wheel about the cursor, pans with the middle button or the arrow keys,
// zooms to the drawing's extents (Home) or to a window, goes back to the
// views shown before, draws a crosshair, and turns clicks into drawing
// coordinates when a point or an angle is asked.
#pragma once

#include "cad/embedded/view/scene.h"
#include "cad/embedded/view/snap.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QPainter;

namespace lumo::view {

// How the rubber band of a point asked from a base runs to the cursor.
enum class RubberBand { Line, Rectangle };

// The dashed rectangle between two corners that zoom window and the plot's
// window pick draw.
void drawRubberRectangle(QPainter& painter, QPointF from, QPointF to);

class DrawingView : public QWidget {
    Q_OBJECT
public:
    enum class Ask { Nothing, Point, Angle };

    explicit DrawingView(QWidget* parent = nullptr);

    // The scene to draw; the first one (or any after an empty one) is shown
    // to its extents, later ones keep the view.
    void setScene(std::shared_ptr<const Scene> scene);
    const Scene* scene() const { return scene_.get(); }

    // ---- the view: the drawing point at the widget's centre and the zoom
    void setView(Vec2 centre, double pixelsPerUnit);
    Vec2 centre() const { return centre_; }
    double pixelsPerUnit() const { return scale_; }
    Affine toScreen() const;
    Vec2 toDrawing(QPointF widgetPos) const;
    QPointF toWidget(Vec2 drawingPos) const;
    // The whole drawing (remembered as a view to go back to).
    void zoomExtents();
    void zoomAt(QPointF widgetPos, double factor);
    void panBy(QPointF pixels);
    // The window (drawing coordinates) as large as the view shows it whole;
    // false for a window without width and height.
    bool zoomToWindow(const Box& window);
    // What the view shows now, in drawing coordinates.
    Box visibleBox() const;

    // ---- the views shown before, back to the one before the last change
    // (a run of wheel steps at one place is one change)
    void zoomPrevious();
    bool hasPreviousView() const { return !previous_.empty(); }
    void forgetPreviousViews();
    static constexpr std::size_t kPreviousViews = 50;

    // ---- the designer's view commands, taken over whatever is asked: zoom
    // window (two corners, clicked or dragged) and pan (drags with the left
    // button until Escape or Enter). Clicks go to the command meanwhile.
    enum class ViewTool { None, ZoomWindow, Pan };
    void startViewTool(ViewTool tool);
    // Ends the command under way; false when there was none.
    bool endViewTool();
    ViewTool viewTool() const { return tool_; }
    // The first corner of a zoom window, once clicked.
    std::optional<Vec2> windowCorner() const;

    // ---- what the designer is asked
    // A point; with a base the rubber band runs from it to the cursor, as a
    // line or as the rectangle of a window.
    void askPoint(std::optional<Vec2> base = std::nullopt, RubberBand rubber = RubberBand::Line);
    // An angle about the base, shown by the rubber band and the block.
    void askAngle(Vec2 base);
    void askNothing();
    Ask asking() const { return ask_; }
    // The block that follows the cursor while asked, in block coordinates
    // (null: none). Placed at the cursor for a point, at the base turned to
    // the cursor for an angle.
    void setRubberBlock(std::shared_ptr<const Scene> block);
    // The angle of the cursor about the base, in degrees (0 = along +x);
    // with ortho on, the nearest of 0, 90, 180 and 270.
    double cursorAngle() const;
    std::optional<Vec2> cursorPosition() const;

    // ---- drafting aids
    // Object snaps while a point is asked: a click near an object picks the
    // object's point exactly.
    void setSnapsEnabled(bool on);
    bool snapsEnabled() const { return snapsEnabled_; }
    // Ortho: the angle asked turns in steps of 90 degrees, and a point asked
    // from a base lies level with it or plumb above it.
    void setOrtho(bool on);
    bool ortho() const { return ortho_; }
    // The snap under the cursor now, if any.
    const std::optional<Snap>& currentSnap() const { return snap_; }
    static constexpr double kSnapAperture = 10.0; // pixels

    // ---- selection, while nothing is asked
    // A click picks, a drag from left to right picks what lies inside the
    // window, from right to left what it crosses; off, a click is a click
    // ahead of the program's next question.
    void setSelecting(bool on);
    bool selecting() const { return selecting_; }
    // What is selected, drawn over the drawing in the highlight colour
    // (null: nothing).
    void setHighlight(std::shared_ptr<const Scene> highlight);
    static constexpr double kPickAperture = 5.0; // pixels
    static constexpr double kDragThreshold = 4.0; // pixels before a click becomes a window

    // Full redraw of the drawing into an image of the widget's size (what a
    // paint costs when the view changed).
    QImage renderImage() const;

    // ---- the picture while the view moves
    // Wheel steps and pan drags show the last full picture shifted and
    // scaled at once; the full picture is drawn again when the input pauses
    // (kSettleMs without a step or a move) or the drag ends.
    bool moving() const { return moving_; }
    // Ends the move now: the next paint draws the full picture.
    void settle();
    static constexpr int kSettleMs = 150;

signals:
    void cursorMoved(double x, double y);
    void pointPicked(double x, double y);
    void anglePicked(double degrees);
    // A left click while nothing is asked, where it was in the drawing.
    void clickedUnasked(double x, double y);
    void cancelled();
    // Selecting: a click (shift held: adding or taking away) with the
    // aperture in drawing units, a window, a double click, a right click.
    void pickClicked(lumo::view::Vec2 at, double aperture, bool shift);
    void windowPicked(lumo::view::Box window, bool crossing, bool shift);
    void doubleClicked(lumo::view::Vec2 at, double aperture);
    void contextMenuAsked(QPoint globalPos);
    // Printable keys typed while the drawing has the focus (they belong to
    // the prompt line).
    void typed(const QString& text);
    void entered();
    void viewChanged();
    void viewToolChanged(lumo::view::DrawingView::ViewTool tool);
    // The first corner of a zoom window was picked (the prompt moves on).
    void windowCornerPicked();
    void previousViewsChanged(bool any);
    void snapsToggled(bool on);
    void orthoToggled(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    struct ShownView {
        Vec2 centre;
        double scale = 1.0;
    };
    void changed();
    // The view moved by the wheel or a drag: shown from the last picture
    // until the input pauses.
    void startMoving();
    // The last full picture moved to the view shown now.
    void paintMoving(QPainter& painter);
    // The drawing's extents, without remembering the view before.
    void fitExtents();
    // Keeps the view shown now to go back to.
    void rememberView();
    // A mouse press or release while a view command is on.
    void viewToolPress(QMouseEvent* event);
    void viewToolRelease(QMouseEvent* event);
    void updateCursorShape();
    void drawCrosshair(QPainter& painter, QPointF at) const;
    void drawOverlay(QPainter& painter) const;
    // The snap for the cursor at this widget position (none when not asked).
    std::optional<Snap> snapAt(QPointF widgetPos) const;
    void followCursor(QPointF widgetPos);
    // Where the cursor points in the drawing: the snapped point when there is one.
    Vec2 cursorTarget() const;
    // The point with ortho applied (a point asked with a base).
    Vec2 orthoPoint(Vec2 p) const;

    std::shared_ptr<const Scene> scene_;
    bool sceneWasEmpty_ = true; // the scene had nothing to draw when it was set
    std::shared_ptr<const Scene> rubberBlock_;
    Vec2 centre_;
    double scale_ = 1.0;
    bool viewSet_ = false;
    bool fitted_ = false; // showing the extents since the last resize or drawing

    Ask ask_ = Ask::Nothing;
    std::optional<Vec2> base_;
    RubberBand rubber_ = RubberBand::Line;
    std::optional<QPointF> mouse_;
    std::optional<QPointF> panFrom_;
    Qt::MouseButton panButton_ = Qt::NoButton;

    ViewTool tool_ = ViewTool::None;
    std::optional<QPointF> toolCorner_; // a zoom window's first corner
    std::vector<ShownView> previous_;
    std::optional<QPointF> wheelAt_; // where the last run of wheel steps zoomed

    bool snapsEnabled_ = true;
    bool ortho_ = false;
    std::optional<Snap> snap_;
    mutable std::unique_ptr<SnapFinder> snapFinder_; // for scene_, made when first needed

    bool selecting_ = false;
    std::optional<QPointF> dragFrom_;
    std::shared_ptr<const Scene> highlight_;

    // The last full picture (with the highlight), for the view it was drawn
    // at: repainted as it is while nothing changed, moved while the view moves.
    QImage cache_;
    Affine cacheView_;
    bool cacheValid_ = false; // false: the drawing or the highlight changed since
    bool moving_ = false;
    QTimer settleTimer_;
};

} // namespace lumo::view
