// Drawings the engine reads but that no one meant: numbers beyond reason
// and blocks that multiply into more than any picture can hold. The picture
// leaves them out and says so, in bounded time and memory, and the window
// opens and paints each of them.
#include "cad/embedded/view/main_window.h"
#include "cad/embedded/view/renderer.h"
#include "cad/embedded/view/scene_builder.h"
#include "cad/embedded/view/scene_curves.h"
#include "dxf/document.h"
#include "hosted_window.h"
#include "odd_drawings.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>

namespace lumo::view {
namespace {

using namespace lumo::test;

constexpr double kPi = std::numbers::pi;

struct OddDrawing {
    const char* name;
    std::string text;
    bool broken; // numbers left out
    bool cut; // blocks stopped by the budget
};

std::vector<OddDrawing> oddDrawings()
{
    const std::string bigCircle = block("K", circle("1"));
    return {
        {"arc-start-1e15", oddDrawing({}, arc("1e15", "90")), true, false},
        {"arc-end-minus-1e15", oddDrawing({}, arc("0", "-1e15")), true, false},
        {"arc-start-1e308", oddDrawing({}, arc("1e308", "90")), true, false},
        {"arc-end-minus-1e308", oddDrawing({}, arc("0", "-1e308")), true, false},
        {"arc-start-inf", oddDrawing({}, arc("inf", "90")), true, false},
        {"arc-end-minus-inf", oddDrawing({}, arc("0", "-inf")), true, false},
        {"arc-nan", oddDrawing({}, arc("nan", "90")), true, false},
        {"hatch-arc-inf", oddDrawing({}, hatchArc("0", "inf")), true, false},
        {"hatch-arc-minus-1e308", oddDrawing({}, hatchArc("-1e308", "90")), true, false},
        {"circle-1e308", oddDrawing({}, circle("1e308")), true, false},
        {"circle-minus-1e308", oddDrawing({}, circle("-1e308")), true, false},
        {"insert-scale-inf", oddDrawing(bigCircle, insert("K", "1", "1", "inf")), true, false},
        {"insert-rows-1e9", oddDrawing(bigCircle, insert("K", "1", "1000000000")), true, false},
        {"insert-scale-1e11", oddDrawing(block("F", circle("1e11")), insert("F", "1", "1", "1e11")), true,
         false},
        {"minsert-1000x1000", oddDrawing(bigCircle, insert("K", "1000", "1000")), false, true},
        {"nested-10-deep", oddDrawing(nestedBlocks(), insert("B1")), false, true},
        {"minsert-empty-block", oddDrawing(block("E", {}), insert("E", "32767", "32767")), false, true},
    };
}

// A picture of the scene fitted into 200 x 200 pixels: the pixels lit.
int paintedPixels(const Scene& scene)
{
    QImage image(200, 200, QImage::Format_RGB32);
    QPainter painter(&image);
    const Box& e = scene.extents();
    const double scale = 180.0 / std::max({e.width(), e.height(), 1e-9});
    const Affine fit{scale, 0, 0, -scale, 10 - scale * e.minX, 190 + scale * e.minY};
    RenderOptions options;
    options.background = QColor(0, 0, 0);
    render(painter, scene, fit, image.rect(), options);
    painter.end();
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            lit += (image.pixel(x, y) & 0xFFFFFF) != 0;
    return lit;
}

TEST(OddDrawings, ThePictureLeavesOutWhatNoDrawingMeansWithinItsBudget)
{
    SceneBuilder::Budget budget;
    budget.blockEntities = 200'000;
    budget.bytes = std::size_t(32) << 20;
    for (const auto& odd : oddDrawings()) {
        SCOPED_TRACE(odd.name);
        const auto doc = dxf::Document::fromMemory(odd.text);
        SceneBuilder builder(cad::embedded::DrawingReader::Borrowed(doc));
        builder.setBudget(budget);
        Scene scene;
        std::size_t told = 0;
        ASSERT_TRUE(builder.buildModelSpace(scene, [&](std::size_t, std::size_t) { return ++told > 0; }));
        EXPECT_EQ(builder.report().broken > 0, odd.broken);
        EXPECT_EQ(builder.report().cut > 0, odd.cut);
        EXPECT_FALSE(builder.warning().isEmpty());
        // (one entity more than the budget may get in before it is seen spent)
        EXPECT_LE(scene.memoryUse(), budget.bytes + 4096);
        if (odd.cut) {
            EXPECT_GT(told, 10u) << "a long expansion tells its progress";
            EXPECT_TRUE(builder.warning().contains(QStringLiteral("Bloków nie narysowano w całości")));
        }
        // The plain line is there and everything in the picture is near.
        ASSERT_FALSE(scene.isEmpty());
        EXPECT_LE(scene.extents().minX, 0.0);
        EXPECT_LE(std::max(std::abs(scene.extents().maxX), std::abs(scene.extents().maxY)), kFarAway);
        EXPECT_GT(paintedPixels(scene), 50);
    }
}

TEST(OddDrawings, ABuildCanBeStoppedInsideOneLongReference)
{
    const auto doc = dxf::Document::fromMemory(oddDrawing(nestedBlocks(), insert("B1")));
    SceneBuilder builder(cad::embedded::DrawingReader::Borrowed(doc));
    Scene scene;
    int calls = 0;
    EXPECT_FALSE(builder.buildModelSpace(scene, [&](std::size_t, std::size_t) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3);
    EXPECT_TRUE(builder.report().stopped);
    EXPECT_LT(scene.items().size(), 3 * 2048u);
    EXPECT_TRUE(builder.warning().contains(QStringLiteral("Rysowanie przerwano")));
}

TEST(OddDrawings, HugeButFiniteAnglesTurnOnce)
{
    // Angles far beyond a turn (but not beyond reason) are drawn as the arc they name.
    struct Case {
        double from, to, sweep;
    } cases[] = {
        {0, kPi / 2, kPi / 2},
        {kPi / 2, 0, 1.5 * kPi},
        {1.0, 1.0, 2 * kPi},
        {1e9 * 2 * kPi, 1e9 * 2 * kPi + 1.0, 1.0},
        {-1e10, 1e10, std::fmod(2e10, 2 * kPi)},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ccwSweep(c.from, c.to), c.sweep, 1e-5) << c.from << " " << c.to;
    const auto doc = dxf::Document::fromMemory(oddDrawing({}, arc("1e11", "1e11")));
    SceneBuilder builder(cad::embedded::DrawingReader::Borrowed(doc));
    Scene scene;
    ASSERT_TRUE(builder.buildModelSpace(scene));
    EXPECT_EQ(builder.report().broken, 0u);
    // the whole circle of radius 2 around (5, 5)
    const auto arc
        = std::find_if(scene.items().begin(), scene.items().end(), [](const Item& i) { return i.curve; });
    ASSERT_NE(arc, scene.items().end());
    EXPECT_NEAR(arc->bounds.minX, 3.0, 0.01);
    EXPECT_NEAR(arc->bounds.maxX, 7.0, 0.01);
    EXPECT_NEAR(arc->bounds.minY, 3.0, 0.01);
    EXPECT_NEAR(arc->bounds.maxY, 7.0, 0.01);
}

TEST(OddDrawings, ASplineOfAbsurdDegreeShowsItsControlPolygon)
{
    // De Boor's algorithm costs the square of the degree at every point.
    std::vector<std::pair<int, std::string>> spline{{0, "SPLINE"}, {8, "0"}, {70, "8"}, {71, "12000"}};
    for (int i = 0; i < 12001 + 12001; ++i)
        spline.push_back({40, std::to_string(i)});
    for (int i = 0; i < 12001; ++i) {
        spline.push_back({10, std::to_string(i)});
        spline.push_back({20, std::to_string(i % 2)});
    }
    std::string entities;
    for (const auto& [code, value] : spline)
        entities += std::to_string(code) + "\n" + value + "\n";
    const auto doc = dxf::Document::fromMemory(oddDrawing({}, entities));
    Scene scene;
    ASSERT_TRUE(SceneBuilder(cad::embedded::DrawingReader::Borrowed(doc)).buildModelSpace(scene));
    EXPECT_NEAR(scene.extents().maxX, 12000.0, 1e-9);
    EXPECT_NEAR(scene.extents().maxY, 10.0, 1e-9); // the plain line's end
}

QString warningOf(const MainWindow& window)
{
    const auto* label = window.findChild<QLabel*>(QStringLiteral("drawingWarning"));
    return label && label->isVisibleTo(&window) ? label->text() : QString();
}

// The real window on each of them: opened from a file (read and drawn
// apart from the window) and shown by a host, it paints and says what it
// left out in its message line.
TEST(OddDrawings, TheWindowOpensAndPaintsEachOfThem)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    for (const auto& odd : oddDrawings()) {
        SCOPED_TRACE(odd.name);
        const QString path = folder.filePath(QString::fromLatin1(odd.name) + QStringLiteral(".dxf"));
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(odd.text));
        file.close();

        QStringList messages;
        HostedWindow hosted([&](const QString& text) { messages << text; });
        MainWindow& window = hosted.window;
        window.resize(400, 300);
        window.show();
        ASSERT_TRUE(window.openDrawing(path));
        EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
        EXPECT_FALSE(warningOf(window).isEmpty());
        EXPECT_GT(window.view()->renderImage().size().width(), 0);
        const QImage shown = window.view()->grab().toImage();
        int lit = 0;
        for (int y = 0; y < shown.height(); y += 2)
            for (int x = 0; x < shown.width(); x += 2)
                lit += shown.pixel(x, y) != shown.pixel(0, 0);
        EXPECT_GT(lit, 10);

        const auto doc = dxf::Document::fromMemory(odd.text);
        window.showDrawing(cad::embedded::DrawingReader::Borrowed(doc), path);
        EXPECT_FALSE(warningOf(window).isEmpty());
        EXPECT_FALSE(window.view()->grab().isNull());
        window.showDrawing({}, {});
    }
}

// Inputs the fuzzer found once: each reads or is refused, and what reads
// gives a picture within the budget.
TEST(OddDrawings, FuzzFindingsStayFixed)
{
    const std::filesystem::path folder(LUMO_SCENE_REGRESSIONS);
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        ++replayed;
        std::unique_ptr<dxf::Document> doc;
        try {
            doc = std::make_unique<dxf::Document>(dxf::Document::fromMemory(bytes.str()));
        } catch (const dxf::DxfError&) {
            continue;
        }
        SceneBuilder builder(cad::embedded::DrawingReader::Borrowed(*doc));
        Scene scene;
        builder.buildModelSpace(scene);
        EXPECT_LE(scene.memoryUse(), SceneBuilder::Budget{}.bytes + 65536);
        paintedPixels(scene);
    }
    EXPECT_GT(replayed, 0);
}

} // namespace
} // namespace lumo::view
