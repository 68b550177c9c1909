// The scene's spatial index and the renderer: what is drawn where, with
// clipping, culling and sub-pixel detail.
#include "cad/embedded/view/aci.h"
#include "cad/embedded/view/renderer.h"
#include "cad/embedded/view/scene.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <random>

namespace lumo::view {
namespace {

const QColor kBackground(0, 0, 0);

QImage draw(const Scene& scene, const Affine& toScreen, QSize size = {200, 200})
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    RenderOptions options;
    options.background = kBackground;
    render(painter, scene, toScreen, image.rect(), options);
    return image;
}

// The colour found in the 3x3 pixels around (x, y), if any differs from the background.
bool hasColourNear(const QImage& image, int x, int y, QRgb colour)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.rect().contains(x + dx, y + dy)
                && (image.pixel(x + dx, y + dy) & 0xFFFFFF) == (colour & 0xFFFFFF))
                return true;
    return false;
}

bool blankNear(const QImage& image, int x, int y)
{
    return hasColourNear(image, x, y, kBackground.rgb()) && !hasColourNear(image, x, y, qRgb(255, 0, 0))
        && !hasColourNear(image, x, y, qRgb(0, 255, 0));
}

// Drawing units to pixels: 2 pixels a unit, y up, the origin at the bottom left.
const Affine kView{2.0, 0.0, 0.0, -2.0, 0.0, 200.0};

TEST(AciColour, DarkColoursAreLightenedOnScreenOnly)
{
    const auto brightness = [](QRgb c) { return 0.299 * qRed(c) + 0.587 * qGreen(c) + 0.114 * qBlue(c); };
    for (const int index : {5, 19, 250, 178}) {
        const QRgb shown = screenColour(index);
        EXPECT_GE(brightness(shown), 109.5) << "ACI " << index;
        // Still the same hue: the strongest channel stays the strongest.
        const QRgb own = aciColour(index);
        if (qBlue(own) > qRed(own) && qBlue(own) > qGreen(own)) {
            EXPECT_GT(qBlue(shown), qRed(shown)) << "ACI " << index;
        }
    }
    for (const int index : {1, 3, 7, 8, 30})
        EXPECT_EQ(screenColour(index), aciColour(index)) << "ACI " << index;
}

TEST(Scene, IndexFindsExactlyTheItemsMeetingABox)
{
    Scene scene;
    std::mt19937 random(7);
    std::uniform_real_distribution<double> place(0.0, 1000.0), length(0.0, 40.0);
    for (int i = 0; i < 5000; ++i) {
        const double x = place(random), y = place(random);
        scene.addPath({{x, y}, {x + length(random), y + length(random)}}, false, qRgb(255, 0, 0));
    }
    // One long item far from its cell's centre of mass.
    scene.addPath({{0, 0}, {1000, 1000}}, false, qRgb(0, 255, 0));
    scene.finish();

    const Box boxes[] = {{0, 0, 10, 10},       {500, 500, 510, 520}, {990, 0, 1000, 5},
                         {-50, -50, -10, -10}, {0, 0, 1000, 1000},   {333, 700, 334, 701}};
    for (const auto& box : boxes) {
        std::vector<const Item*> expected, found;
        for (const auto& item : scene.items())
            if (item.bounds.intersects(box))
                expected.push_back(&item);
        scene.forEachIn(box, [&](const Item& item) { found.push_back(&item); });
        std::sort(found.begin(), found.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(found, expected) << box.minX << "," << box.minY;
    }
}

TEST(Render, ItemsLandOnTheirPixels)
{
    Scene scene;
    scene.addPath({{10, 10}, {40, 10}}, false, qRgb(255, 0, 0)); // row 180
    scene.addPath({{10, 20}, {20, 20}, {20, 40}}, false, qRgb(0, 255, 0)); // corner
    scene.addFilled({{60, 60}, {80, 60}, {80, 80}, {60, 80}}, qRgb(0, 0, 255));
    scene.addPoint({90, 90}, qRgb(255, 255, 0));
    scene.finish();
    const QImage image = draw(scene, kView);

    struct Probe {
        int x, y;
        QRgb colour;
    } probes[] = {
        {50, 180, qRgb(255, 0, 0)},   {30, 160, qRgb(0, 255, 0)},
        {40, 140, qRgb(0, 255, 0)},   {140, 60, qRgb(0, 0, 255)}, // inside the filled square
        {180, 20, qRgb(255, 255, 0)},
    };
    for (const auto& p : probes)
        EXPECT_TRUE(hasColourNear(image, p.x, p.y, p.colour)) << p.x << "," << p.y;
    EXPECT_TRUE(blankNear(image, 100, 180)); // past the red line's end
    EXPECT_TRUE(blankNear(image, 60, 100)); // off the green corner
}

TEST(Render, LinesPassingThroughAreClippedNotLost)
{
    // Zoomed far in: both ends are millions of pixels away.
    Scene scene;
    scene.addPath({{-1e6, 50}, {1e6, 50}}, false, qRgb(255, 0, 0));
    scene.addPath({{50, -1e6}, {50, 1e6}}, false, qRgb(0, 255, 0));
    scene.finish();
    const Affine zoomed{1000.0, 0.0, 0.0, -1000.0, 100.0 - 1000.0 * 50, 100.0 + 1000.0 * 50};
    const QImage image = draw(scene, zoomed);
    EXPECT_TRUE(hasColourNear(image, 5, 100, qRgb(255, 0, 0)));
    EXPECT_TRUE(hasColourNear(image, 195, 100, qRgb(255, 0, 0)));
    EXPECT_TRUE(hasColourNear(image, 100, 5, qRgb(0, 255, 0)));
    EXPECT_TRUE(hasColourNear(image, 100, 195, qRgb(0, 255, 0)));
}

TEST(Render, DetailSmallerThanAPixelStillShows)
{
    // A thousand tiny closed runs seen from far away leave dots, not nothing.
    Scene scene;
    for (int i = 0; i < 1000; ++i) {
        const double x = (i % 40) * 25.0, y = (i / 40) * 40.0;
        scene.addPath({{x, y}, {x + 0.01, y}, {x + 0.01, y + 0.01}}, true, qRgb(255, 0, 0));
    }
    scene.finish();
    const Affine far{0.2, 0.0, 0.0, -0.2, 0.0, 200.0};
    const QImage image = draw(scene, far);
    EXPECT_TRUE(hasColourNear(image, 5, 192, qRgb(255, 0, 0))); // (25, 40)
    EXPECT_TRUE(hasColourNear(image, 10, 184, qRgb(255, 0, 0))); // (50, 80)
    EXPECT_TRUE(blankNear(image, 2, 196)); // between the dots
}

TEST(Render, TextIsDrawnAtItsAnchorWhenReadable)
{
    Scene scene;
    TextItem text;
    text.text = QStringLiteral("HHH");
    text.at = {20, 20};
    text.height = 10; // 20 pixels
    scene.addText(text, qRgb(0, 255, 0));
    scene.finish();
    const QImage image = draw(scene, kView);
    // The first H's left stem starts at the anchor and rises from the baseline.
    bool found = false;
    for (int x = 40; x < 48 && !found; ++x)
        found = hasColourNear(image, x, 150, qRgb(0, 255, 0));
    EXPECT_TRUE(found);
    EXPECT_TRUE(blankNear(image, 30, 150)); // left of the anchor
    EXPECT_TRUE(blankNear(image, 44, 170)); // below the baseline
}

} // namespace
} // namespace lumo::view
