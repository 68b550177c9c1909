#include "cad/embedded/view/renderer.h"

#include <QFont>
#include <QImage>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace lumo::view {

namespace {

// One pen: everything of one colour goes to the painter in a few large calls.
struct Batch {
    QRgb colour = 0;
    int weight = 0; // hundredths of a millimetre; 0: one pixel
    std::vector<QLineF> lines;
    std::vector<QPointF> points;
};

class Batches {
public:
    Batch& of(QRgb colour, int weight)
    {
        if (last_ < batches_.size() && batches_[last_].colour == colour && batches_[last_].weight == weight)
            return batches_[last_];
        for (std::size_t i = 0; i < batches_.size(); ++i) {
            if (batches_[i].colour == colour && batches_[i].weight == weight) {
                last_ = i;
                return batches_[i];
            }
        }
        batches_.push_back({colour, weight, {}, {}});
        batches_.back().lines.reserve(4096);
        last_ = batches_.size() - 1;
        return batches_.back();
    }
    std::vector<Batch>& all() { return batches_; }

private:
    std::vector<Batch> batches_;
    std::size_t last_ = 0;
};

// Liang-Barsky: keeps the part of a segment inside the box, so far-away
// vertices never reach the painter's fixed-point rasteriser.
bool clip(QPointF& p, QPointF& q, const QRectF& r)
{
    const double dx = q.x() - p.x(), dy = q.y() - p.y();
    double t0 = 0.0, t1 = 1.0;
    const double pp[4] = {-dx, dx, -dy, dy};
    const double qq[4] = {p.x() - r.left(), r.right() - p.x(), p.y() - r.top(), r.bottom() - p.y()};
    for (int i = 0; i < 4; ++i) {
        if (pp[i] == 0.0) {
            if (qq[i] < 0.0)
                return false;
            continue;
        }
        const double t = qq[i] / pp[i];
        if (pp[i] < 0.0) {
            if (t > t1)
                return false;
            if (t > t0)
                t0 = t;
        } else {
            if (t < t0)
                return false;
            if (t < t1)
                t1 = t;
        }
    }
    const QPointF start = p;
    if (t1 < 1.0)
        q = QPointF(start.x() + t1 * dx, start.y() + t1 * dy);
    if (t0 > 0.0)
        p = QPointF(start.x() + t0 * dx, start.y() + t0 * dy);
    return true;
}

class Painter {
public:
    Painter(QPainter& painter, const Scene& scene, const Affine& toScreen, const QRect& target,
            const RenderOptions& options)
        : painter_(painter), scene_(scene), m_(toScreen), options_(options),
          safe_(QRectF(target).adjusted(-4, -4, 4, 4)), inner_(QRectF(target).adjusted(-2, -2, 2, 2))
    {
        pixel_ = 1.0 / std::max(m_.scaleFactor(), 1e-300);
        // Dots go straight into an image drawn without a transform: far
        // cheaper than the painter's way when a whole city is in view.
        if (painter.device() && painter.device()->devType() == QInternal::Image) {
            auto* image = static_cast<QImage*>(painter.device());
            const auto format = image->format();
            if ((format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
                 || format == QImage::Format_ARGB32_Premultiplied)
                && image->devicePixelRatio() == 1.0 && painter.deviceTransform().isIdentity()) {
                image_ = image;
                dots_ = target.intersected(image->rect());
            }
        }
    }

    void item(const Item& it)
    {
        QRgb colour = options_.colour ? *options_.colour : it.colour;
        if (options_.paper && qRed(colour) >= 0xF0 && qGreen(colour) >= 0xF0 && qBlue(colour) >= 0xF0)
            colour = qRgb(0, 0, 0);
        weight_ = options_.weightScale > 0.0 ? it.weight : 0;
        const Box& b = it.bounds;
        const double size = std::max(b.width(), b.height()) / pixel_; // in pixels
        if (size < 1.0 && it.kind != ItemKind::Point) {
            dot(m_.map((b.minX + b.maxX) / 2, (b.minY + b.maxY) / 2), colour);
            return;
        }
        if (size < 3.0 && (it.kind == ItemKind::Path || it.kind == ItemKind::Closed)) {
            // A couple of pixels across: its box says as much as its vertices
            // and costs no trip to them.
            const Vec2 p = m_.map(b.minX, b.minY), q = m_.map(b.maxX, b.maxY);
            segment(batches_.of(colour, weight_).lines, QPointF(p.x, p.y), QPointF(q.x, q.y));
            return;
        }
        switch (it.kind) {
        case ItemKind::Path:
        case ItemKind::Closed: path(it, colour, size); break;
        case ItemKind::Filled: filled(it, colour); break;
        case ItemKind::Point: dot(m_.map(scene_.vertices()[it.first]), colour); break;
        case ItemKind::Text: text(it, colour); break;
        }
    }

    void flush()
    {
        painter_.setBrush(Qt::NoBrush);
        for (auto& batch : batches_.all()) {
            QPen pen(QColor::fromRgb(batch.colour), batch.weight * 0.01 * options_.weightScale, Qt::SolidLine,
                     Qt::RoundCap, Qt::RoundJoin);
            painter_.setPen(pen);
            if (!batch.lines.empty())
                painter_.drawLines(batch.lines.data(), int(batch.lines.size()));
            if (!batch.points.empty())
                painter_.drawPoints(batch.points.data(), int(batch.points.size()));
        }
    }

private:
    void dot(Vec2 p, QRgb colour)
    {
        if (!image_) {
            batches_.of(colour, weight_).points.emplace_back(p.x, p.y);
            return;
        }
        const double fx = std::floor(p.x), fy = std::floor(p.y);
        // (written so that a NaN stays out too)
        if (!(fx >= dots_.left() && fx <= dots_.right() && fy >= dots_.top() && fy <= dots_.bottom()))
            return;
        reinterpret_cast<QRgb*>(image_->scanLine(int(fy)))[int(fx)] = 0xFF000000u | colour;
    }

    bool inside(const QPointF& p) const
    {
        return p.x() >= inner_.left() && p.x() <= inner_.right() && p.y() >= inner_.top()
            && p.y() <= inner_.bottom();
    }

    void segment(std::vector<QLineF>& out, QPointF p, QPointF q)
    {
        if (!inside(p) || !inside(q)) {
            if (!clip(p, q, safe_))
                return;
        }
        out.emplace_back(p, q);
    }

    void path(const Item& it, QRgb colour, double size)
    {
        auto& lines = batches_.of(colour, weight_).lines;
        const Vec2* v = scene_.vertices().data() + it.first;
        // A run a few pixels across needs no more than a vertex every two
        // pixels: small arcs and circles cost what they show.
        // (the size is clamped before it becomes an integer: a run across
        // the whole drawing seen close up is more pixels than any integer)
        const std::uint32_t wanted = size / 2.0 < 1e6 ? std::uint32_t(std::max(2.0, size / 2.0)) : 1000000u;
        const std::uint32_t stride = it.count > wanted ? (it.count + wanted - 1) / wanted : 1;
        Vec2 s = m_.map(v[0]);
        const QPointF first(s.x, s.y);
        QPointF last = first;
        for (std::uint32_t i = stride; i < it.count + stride - 1; i += stride) {
            const std::uint32_t k = std::min(i, it.count - 1);
            s = m_.map(v[k]);
            const QPointF p(s.x, s.y);
            // Vertices closer than a pixel add nothing visible.
            if (k + 1 < it.count && std::abs(p.x() - last.x()) < 0.8 && std::abs(p.y() - last.y()) < 0.8)
                continue;
            segment(lines, last, p);
            last = p;
        }
        if (it.kind == ItemKind::Closed && last != first)
            segment(lines, last, first);
    }

    void filled(const Item& it, QRgb colour)
    {
        QPolygonF polygon;
        polygon.reserve(it.count);
        const Vec2* v = scene_.vertices().data() + it.first;
        for (std::uint32_t i = 0; i < it.count; ++i) {
            const Vec2 s = m_.map(v[i]);
            polygon.append(QPointF(s.x, s.y));
        }
        if (!polygon.boundingRect().intersects(safe_))
            return;
        const QColor c = QColor::fromRgb(colour);
        painter_.setPen(QPen(c, 0));
        painter_.setBrush(c);
        painter_.drawPolygon(polygon.intersected(QPolygonF(safe_)));
    }

    void text(const Item& it, QRgb colour)
    {
        const TextItem& t = scene_.texts()[it.first];
        const double pixels = t.height / pixel_;
        if (pixels < 5.0) {
            // Too small to read (capitals under 5 pixels): a stroke where the text runs.
            const double c = std::cos(t.rotation), s = std::sin(t.rotation);
            const double half = std::max(it.bounds.width(), it.bounds.height()) / 2;
            const double mx = (it.bounds.minX + it.bounds.maxX) / 2,
                         my = (it.bounds.minY + it.bounds.maxY) / 2;
            const Vec2 l = m_.map(mx - c * half, my - s * half), r = m_.map(mx + c * half, my + s * half);
            segment(batches_.of(colour, weight_).lines, QPointF(l.x, l.y), QPointF(r.x, r.y));
            return;
        }
        const Vec2 anchor = m_.map(t.at);
        const Vec2 along = m_.map(t.at.x + std::cos(t.rotation), t.at.y + std::sin(t.rotation));
        const double angle = std::atan2(along.y - anchor.y, along.x - anchor.x);
        if (!(pixels <= 4000.0))
            return; // a glyph larger than any screen is only noise
        // Text height in a drawing is the height of capitals.
        const Font& f = font(std::max(1, int(std::lround(pixels / 0.73))));
        const QFont& font = f.font;
        const QFontMetricsF& fm = f.metrics;
        const QStringList lines = t.text.split(QLatin1Char('\n'));
        const double step = t.height * t.lineSpacing / pixel_;
        const double block = pixels + step * double(lines.size() - 1);
        double baseline = 0.0; // of the first line, below the anchor (screen y grows down)
        switch (t.valign) {
        case VAlign::Baseline: baseline = 0.0; break;
        case VAlign::Bottom: baseline = -(block - pixels); break;
        case VAlign::Middle: baseline = pixels - block / 2; break;
        case VAlign::Top: baseline = pixels; break;
        }
        painter_.save();
        painter_.setFont(font);
        painter_.setPen(QColor::fromRgb(colour));
        painter_.translate(anchor.x, anchor.y);
        painter_.rotate(angle * 180.0 / M_PI);
        painter_.scale(t.widthFactor, 1.0);
        for (const auto& line : lines) {
            const double w = fm.horizontalAdvance(line);
            double x = 0.0;
            if (t.halign == HAlign::Centre)
                x = -w / 2;
            else if (t.halign == HAlign::Right)
                x = -w;
            painter_.drawText(QPointF(x, baseline), line);
            baseline += step;
        }
        painter_.restore();
    }

    struct Font {
        QFont font;
        QFontMetricsF metrics;
    };
    // Fonts by pixel size: most texts of a drawing share a few heights.
    const Font& font(int pixelSize)
    {
        for (const auto& f : fonts_)
            if (f->font.pixelSize() == pixelSize)
                return *f;
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(pixelSize);
        fonts_.push_back(std::make_unique<Font>(Font{font, QFontMetricsF(font)}));
        return *fonts_.back();
    }

    std::vector<std::unique_ptr<Font>> fonts_;
    QImage* image_ = nullptr;
    QRect dots_;
    QPainter& painter_;
    const Scene& scene_;
    const Affine m_;
    const RenderOptions& options_;
    const QRectF safe_;
    const QRectF inner_;
    double pixel_ = 1.0;
    int weight_ = 0; // of the item at hand, as batched
    Batches batches_;
};

} // namespace

void render(QPainter& painter, const Scene& scene, const Affine& toScreen, const QRect& target,
            const RenderOptions& options)
{
    if (options.background)
        painter.fillRect(target, *options.background);
    if (scene.isEmpty() || toScreen.determinant() == 0.0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setClipRect(target);
    Box visible;
    visible.add(target.left() - 1.0, target.top() - 1.0);
    visible.add(target.right() + 2.0, target.bottom() + 2.0);
    const Box world = toScreen.inverted().mapBox(visible);
    Painter p(painter, scene, toScreen, target, options);
    if (!options.progress) {
        scene.forEachIn(world, [&](const Item& item) { p.item(item); });
    } else {
        const std::size_t total = scene.items().size();
        std::size_t done = 0;
        bool stopped = false;
        scene.forEachIn(world, [&](const Item& item) {
            if (stopped)
                return;
            if (++done % 32768 == 0 && !options.progress(done, total)) {
                stopped = true;
                return;
            }
            p.item(item);
        });
        if (stopped) {
            painter.restore();
            return;
        }
    }
    p.flush();
    painter.restore();
}

} // namespace lumo::view
