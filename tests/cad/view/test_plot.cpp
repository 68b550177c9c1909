// Plotting: the sheet and scale arithmetic, the line weights the picture
// takes from the drawing, and the way through the window's menu and dialog
// to a PDF read back with poppler-utils (page size, text, distances, widths).
#include "cad/embedded/view/main_window.h"
#include "cad/embedded/view/plot_dialog.h"
#include "cad/embedded/view/plot_settings.h"
#include "cad/embedded/view/plot_writer.h"
#include "cad/embedded/view/scene_builder.h"
#include "dxf/document.h"
#include "hosted_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cmath>
#include <map>

namespace lumo::view {
namespace {

constexpr double kPointsPerMm = 72.0 / 25.4;

Box box(double x0, double y0, double x1, double y1)
{
    Box b;
    b.add(x0, y0);
    b.add(x1, y1);
    return b;
}

PlotSettings sheet(Paper paper, bool landscape, bool fit, double scale)
{
    PlotSettings s;
    s.paper = paper;
    s.landscape = landscape;
    s.fit = fit;
    s.scale = scale;
    return s;
}

TEST(PlotLayout, SheetsScalesAndWhereTheDrawingLands)
{
    struct Case {
        const char* name;
        PlotSettings settings;
        Box area;
        double unitMm;
        double sheetW, sheetH, scale;
        Vec2 from, to; // two drawing points ...
        double apartMm; // ... this far apart on paper
    } cases[] = {
        {"A4 portrait 1:500 in mm",
         sheet(Paper::A4, false, false, 500),
         box(0, 0, 100000, 50000),
         1.0,
         210,
         297,
         500,
         {0, 0},
         {100000, 0},
         200},
        {"A0 landscape",
         sheet(Paper::A0, true, false, 1000),
         box(0, 0, 1, 1),
         1.0,
         1189,
         841,
         1000,
         {0, 0},
         {1000, 0},
         1},
        {"A1 landscape",
         sheet(Paper::A1, true, false, 1000),
         box(0, 0, 1, 1),
         1.0,
         841,
         594,
         1000,
         {0, 0},
         {0, 1000},
         1},
        {"A2 portrait",
         sheet(Paper::A2, false, false, 1),
         box(0, 0, 1, 1),
         1.0,
         420,
         594,
         1,
         {0, 0},
         {3, 4},
         5},
        {"metres at 1:100",
         sheet(Paper::A3, true, false, 100),
         box(0, 0, 100, 10),
         1000.0,
         420,
         297,
         100,
         {0, 0},
         {100, 0},
         1000},
        // 400 x 100 m on A3 landscape (400 x 277 mm inside the margins): width decides.
        {"fit, width decides",
         sheet(Paper::A3, true, true, 1),
         box(0, 0, 400000, 100000),
         1.0,
         420,
         297,
         1000,
         {0, 0},
         {400000, 0},
         400},
        {"fit, height decides",
         sheet(Paper::A3, true, true, 1),
         box(-5, -5, 5, 272),
         1.0,
         420,
         297,
         1,
         {0, -5},
         {0, 272},
         277},
        // A horizontal line has no height: its width alone sets the scale.
        {"fit a line",
         sheet(Paper::A4, false, true, 1),
         box(0, 7, 1900, 7),
         1.0,
         210,
         297,
         10,
         {0, 7},
         {1900, 7},
         190},
    };
    for (const auto& c : cases) {
        const auto l = layOutPlot(c.settings, c.area, c.unitMm);
        ASSERT_TRUE(l) << c.name;
        EXPECT_DOUBLE_EQ(l->sheet.width, c.sheetW) << c.name;
        EXPECT_DOUBLE_EQ(l->sheet.height, c.sheetH) << c.name;
        EXPECT_NEAR(l->scale, c.scale, 1e-9 * c.scale) << c.name;
        const Vec2 a = l->toSheet.map(c.from), b = l->toSheet.map(c.to);
        EXPECT_NEAR(std::hypot(b.x - a.x, b.y - a.y), c.apartMm, 1e-9 * c.apartMm) << c.name;
        // The area's centre is the sheet's, and up in the drawing is up on paper.
        const Vec2 centre = l->toSheet.map((c.area.minX + c.area.maxX) / 2, (c.area.minY + c.area.maxY) / 2);
        EXPECT_NEAR(centre.x, c.sheetW / 2, 1e-9) << c.name;
        EXPECT_NEAR(centre.y, c.sheetH / 2, 1e-9) << c.name;
        EXPECT_LT(l->toSheet.map(c.area.minX, c.area.maxY).y,
                  l->toSheet.map(c.area.minX, c.area.minY).y + 1e-12)
            << c.name;
        // Fitted, everything lies inside the margins.
        if (c.settings.fit) {
            const Box on = l->toSheet.mapBox(c.area);
            EXPECT_GE(on.minX, kPlotMarginMm - 1e-9) << c.name;
            EXPECT_GE(on.minY, kPlotMarginMm - 1e-9) << c.name;
            EXPECT_LE(on.maxX, c.sheetW - kPlotMarginMm + 1e-9) << c.name;
            EXPECT_LE(on.maxY, c.sheetH - kPlotMarginMm + 1e-9) << c.name;
        }
    }

    // Nothing to plot: no area, a single point fitted, no scale.
    EXPECT_FALSE(layOutPlot(sheet(Paper::A4, false, false, 100), Box{}, 1.0));
    EXPECT_FALSE(layOutPlot(sheet(Paper::A4, false, true, 100), box(3, 3, 3, 3), 1.0));
    EXPECT_FALSE(layOutPlot(sheet(Paper::A4, false, false, 0), box(0, 0, 1, 1), 1.0));
    // A window cuts at its edge; the whole drawing only at the margins.
    PlotSettings window = sheet(Paper::A4, false, false, 1);
    window.area = PlotArea::Window;
    const auto cut = layOutPlot(window, box(0, 0, 50, 20), 1.0);
    ASSERT_TRUE(cut);
    EXPECT_NEAR(cut->clip.width(), 50, 1e-9);
    EXPECT_NEAR(cut->clip.height(), 20, 1e-9);
    const auto all = layOutPlot(sheet(Paper::A4, false, false, 1), box(0, 0, 50, 20), 1.0);
    EXPECT_NEAR(all->clip.width(), 210 - 2 * kPlotMarginMm, 1e-9);
}

TEST(PlotLayout, TheDrawingsOwnScale)
{
    const std::map<std::string, std::optional<double>> cases{
        {"500", 500.0},     {" 250", 250.0},        {"1000 ", 1000.0},   {"200.5", 200.0},
        {"", std::nullopt}, {"brak", std::nullopt}, {"0", std::nullopt}, {"-500", std::nullopt},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(scaleFromProperty(text), expected) << '"' << text << '"';
    EXPECT_EQ(scaleFromProperty(std::nullopt), std::nullopt);
}

// An R12 drawing written out by hand: layers with and without weights, a
// block whose entities take the reference's weight, and a default weight.
std::string weightsDrawing()
{
    std::string d;
    const auto g
        = [&d](int code, const std::string& value) { d += std::to_string(code) + "\n" + value + "\n"; };
    g(0, "SECTION"), g(2, "HEADER"), g(9, "$ACADVER"), g(1, "AC1009"), g(9, "$LWDEFAULT"), g(70, "35");
    g(0, "ENDSEC"), g(0, "SECTION"), g(2, "TABLES"), g(0, "TABLE"), g(2, "LAYER"), g(70, "2");
    g(0, "LAYER"), g(2, "GRUBA"), g(70, "0"), g(62, "1"), g(370, "200");
    g(0, "LAYER"), g(2, "ZWYKLA"), g(70, "0"), g(62, "2");
    g(0, "ENDTAB"), g(0, "ENDSEC");
    g(0, "SECTION"), g(2, "BLOCKS"), g(0, "BLOCK"), g(8, "0"), g(2, "B"), g(70, "0"), g(10, "0"), g(20, "0");
    const auto line = [&](const std::string& layer, double y, const char* weight) {
        g(0, "LINE"), g(8, layer);
        if (weight)
            g(370, weight);
        g(10, "0"), g(20, std::to_string(y)), g(11, "10"), g(21, std::to_string(y));
    };
    line("0", 0, "-2"); // by block
    line("0", 1, nullptr); // by layer: layer 0 in a block is the reference's
    line("ZWYKLA", 2, "13");
    g(0, "ENDBLK"), g(8, "0");
    g(0, "ENDSEC"), g(0, "SECTION"), g(2, "ENTITIES");
    line("GRUBA", 100, nullptr);
    line("GRUBA", 101, "50");
    line("ZWYKLA", 102, nullptr); // the layer has none: the default
    line("ZWYKLA", 103, "-3");
    line("NIEMA", 104, nullptr); // a layer the table lacks
    line("GRUBA", 105, "-2"); // by block in model space: the default
    g(0, "INSERT"), g(8, "GRUBA"), g(2, "B"), g(370, "70"), g(10, "0"), g(20, "200");
    g(0, "INSERT"), g(8, "GRUBA"), g(2, "B"), g(10, "0"), g(20, "300");
    g(0, "ENDSEC"), g(0, "EOF");
    return d;
}

TEST(PlotWeights, EachLineTakesItsWeightFromTheDrawing)
{
    const auto doc = dxf::Document::fromMemory(weightsDrawing());
    Scene scene;
    SceneBuilder(cad::embedded::DrawingReader::Borrowed(doc)).buildModelSpace(scene);
    std::map<double, int> weightAt; // by the line's y
    for (const Item& item : scene.items())
        weightAt[scene.vertices()[item.first].y] = item.weight;
    const std::map<double, int> expected{
        {100, 200}, {101, 50},  {102, 35},  {103, 35}, {104, 35},
        {105, 35},  {200, 70},  {201, 200}, {202, 13}, // the reference's own 0.70, its layer's 2.00
        {300, 200}, {301, 200}, {302, 13}, // a reference by layer gives its blocks the layer's
    };
    EXPECT_EQ(weightAt, expected);
}

TEST(PlotPdf, ACancelledPlotLeavesTheEarlierFileAsItWas)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("plan.pdf"));
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("poprzedni");
    earlier.close();
    // Enough lines for progress to be asked a few times.
    Scene scene;
    for (int i = 0; i < 100000; ++i)
        scene.addPath({{double(i % 400), double(i / 400)}, {double(i % 400) + 0.5, double(i / 400)}}, false,
                      qRgb(255, 255, 255));
    scene.finish();
    const PlotSettings settings = sheet(Paper::A4, false, true, 1);
    const auto layout = layOutPlot(settings, scene.extents(), 1.0);
    ASSERT_TRUE(layout);
    int asked = 0;
    const PlotOutcome outcome = writePlotPdf(scene, settings, *layout, path, QStringLiteral("plan"),
                                             [&](std::size_t done, std::size_t total) {
                                                 EXPECT_LE(done, total);
                                                 return ++asked < 2;
                                             });
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_FALSE(outcome.written);
    EXPECT_EQ(asked, 2);
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), QByteArray("poprzedni"));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("plan.pdf")});

    // Let through, the same plot replaces it, and takes away what a plot
    // killed on the way left beside it.
    QFile leftover(path + QStringLiteral(".lumo-save-00000000deadbeef.tmp"));
    ASSERT_TRUE(leftover.open(QIODevice::WriteOnly));
    leftover.close();
    EXPECT_TRUE(writePlotPdf(scene, settings, *layout, path, QStringLiteral("plan")).written);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("plan.pdf")});
    earlier.close();
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_TRUE(earlier.readAll().startsWith("%PDF-"));
}

// ---- through the window to the PDF

QString run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000))
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

struct Word {
    QString text;
    double xMin = 0, yMin = 0, xMax = 0, yMax = 0; // points
};

std::vector<Word> wordsOf(const QString& pdf)
{
    const QString html
        = run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    std::vector<Word> words;
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    for (auto it = word.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        words.push_back({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return words;
}

const Word* find(const std::vector<Word>& words, const QString& text)
{
    for (const auto& w : words)
        if (w.text == text)
            return &w;
    return nullptr;
}

class PlotWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pdftoppm")).isEmpty())
            GTEST_SKIP() << "poppler-utils (pdfinfo, pdftotext, pdftoppm) are not installed";
        ASSERT_TRUE(folder.isValid());
        // In millimetres, at 1:500: the head's designation and a word 100 m
        // to its right, a heavy line (2.00 mm by its layer) and a default one.
        auto doc = dxf::Document::create("AC1032");
        doc.addLayer("JEZDNIA", 7, 200);
        doc.addText("26-15/987/K1", {0, 0, 0}, 2500);
        doc.addText("Kwiatowa", {100000, 0, 0}, 2500);
        doc.addEntity("LINE", "JEZDNIA", {{10, "0"}, {20, "-20000"}, {11, "100000"}, {21, "-20000"}});
        doc.addEntity("LINE", "0", {{10, "0"}, {20, "-40000"}, {11, "100000"}, {21, "-40000"}});
        doc.setCustomProperty("SKALA", "500");
        drawingPath = folder.filePath(QStringLiteral("plan.dxf"));
        doc.save(drawingPath.toStdString());
        window.setMessageSink([this](const QString& text) { messages << text; });
        window.resize(900, 600);
        window.show();
        ASSERT_TRUE(window.openDrawing(drawingPath));
        // (the host's progress dialog had the focus while the drawing was read)
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    PlotDialog* openDialog()
    {
        // (a dialog closed before may have left no window active)
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window))
            return nullptr;
        QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
        return window.findChild<PlotDialog*>();
    }
    template <typename T> static T* child(QObject* dialog, const char* name)
    {
        return dialog->findChild<T*>(QString::fromLatin1(name));
    }
    // Types the file's name and presses the export button.
    static void exportTo(PlotDialog* dialog, const QString& path)
    {
        auto* edit = child<QLineEdit>(dialog, "pdfPath");
        edit->clear();
        QTest::keyClicks(edit, path);
        QTest::mouseClick(child<QPushButton>(dialog, "exportPdf"), Qt::LeftButton);
    }
    // Dark pixels down the column x of the page rendered at 10 pixels a millimetre.
    int darkRunNear(const QString& pdf, double yMm)
    {
        const QString prefix = folder.filePath(QStringLiteral("page"));
        run(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("254"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, prefix});
        const QImage page(prefix + QStringLiteral(".png"));
        if (page.isNull())
            return -1;
        const int x = page.width() / 2;
        int dark = 0;
        for (int y = int((yMm - 5) * 10); y < int((yMm + 5) * 10); ++y)
            if (y >= 0 && y < page.height() && qGray(page.pixel(x, y)) < 128)
                ++dark;
        return dark;
    }

    QTemporaryDir folder;
    QStringList messages;
    HostedWindow hosted{[this](const QString& text) { messages << text; }};
    MainWindow& window = hosted.window;
    QString drawingPath;
};

TEST_F(PlotWindow, TheMenuWritesAPdfAtTheDrawingsScale)
{
    QPointer<PlotDialog> dialog = openDialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(child<QRadioButton>(dialog, "scaleFixed")->isChecked());
    EXPECT_EQ(child<QSpinBox>(dialog, "scale")->value(), 500);
    EXPECT_FALSE(child<QLabel>(dialog, "preview")->pixmap().isNull());
    const auto layout = dialog->layout();
    ASSERT_TRUE(layout);
    const QString pdf = folder.filePath(QStringLiteral("plan.pdf"));
    exportTo(dialog, pdf);
    ASSERT_TRUE(QFile::exists(pdf)) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(!dialog || !dialog->isVisible());

    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    // (the page's size in whole points)
    EXPECT_TRUE(info.contains(QStringLiteral("1191 x 842 pts (A3)"))) << info.toStdString();
    const auto words = wordsOf(pdf);
    const Word* head = find(words, QStringLiteral("26-15/987/K1"));
    const Word* street = find(words, QStringLiteral("Kwiatowa"));
    ASSERT_TRUE(head && street) << run(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).toStdString();
    // 100 m at 1:500 are 200 mm; 2.5 m high capitals are 5 mm.
    EXPECT_NEAR((street->xMin - head->xMin) / kPointsPerMm, 200.0, 0.5);
    EXPECT_NEAR(head->yMax, street->yMax, 0.5);
    EXPECT_GT((head->yMax - head->yMin) / kPointsPerMm, 5.0);
    EXPECT_LT((head->yMax - head->yMin) / kPointsPerMm, 9.0);

    // The heavy line 2 mm wide, the default one 0.25 mm.
    const int heavy = darkRunNear(pdf, layout->toSheet.map(50000, -20000).y);
    const int thin = darkRunNear(pdf, layout->toSheet.map(50000, -40000).y);
    EXPECT_GE(heavy, 17);
    EXPECT_LE(heavy, 23);
    EXPECT_GE(thin, 1);
    EXPECT_LE(thin, 5);
}

TEST_F(PlotWindow, AWindowPickedInTheDrawingIsAllThatIsPlotted)
{
    window.view()->setSnapsEnabled(false);
    QPointer<PlotDialog> dialog = openDialog();
    ASSERT_TRUE(dialog);
    // Around the head's designation only.
    const QPointF from = window.view()->toWidget({-5000, -5000});
    const QPointF to = window.view()->toWidget({30000, 8000});
    QTimer::singleShot(0, &window, [&] {
        EXPECT_FALSE(dialog->isVisible());
        QTest::mouseClick(window.view(), Qt::LeftButton, {}, from.toPoint());
        QTimer::singleShot(0, &window,
                           [&] { QTest::mouseClick(window.view(), Qt::LeftButton, {}, to.toPoint()); });
    });
    QTest::mouseClick(child<QPushButton>(dialog, "pickWindow"), Qt::LeftButton);
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_TRUE(child<QRadioButton>(dialog, "areaWindow")->isChecked());
    EXPECT_TRUE(window.promptLabel()->text().isEmpty());
    const PlotSettings s = dialog->settings();
    EXPECT_EQ(s.area, PlotArea::Window);
    EXPECT_NEAR(s.window.minX, -5000, 200);
    EXPECT_NEAR(s.window.maxY, 8000, 200);
    child<QRadioButton>(dialog, "scaleFit")->setChecked(true);
    child<QRadioButton>(dialog, "portrait")->setChecked(true);
    child<QComboBox>(dialog, "paper")->setCurrentIndex(0);
    child<QRadioButton>(dialog, "monochrome")->setChecked(true);
    const QString pdf = folder.filePath(QStringLiteral("okno.pdf"));
    exportTo(dialog, pdf);
    ASSERT_TRUE(QFile::exists(pdf)) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(run(QStringLiteral("pdfinfo"), {pdf}).contains(QStringLiteral("595 x 842 pts (A4)")));
    const auto words = wordsOf(pdf);
    EXPECT_TRUE(find(words, QStringLiteral("26-15/987/K1")));
    EXPECT_FALSE(find(words, QStringLiteral("Kwiatowa")));

    // Escape while the first corner is asked leaves the area as it was.
    child<QRadioButton>(dialog, "areaAll")->setChecked(true);
    QTimer::singleShot(0, &window, [&] { QTest::keyClick(window.view(), Qt::Key_Escape); });
    QTest::mouseClick(child<QPushButton>(dialog, "pickWindow"), Qt::LeftButton);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(child<QRadioButton>(dialog, "areaAll")->isChecked());
}

TEST_F(PlotWindow, AFileThatCannotBeWrittenIsToldAndLeftAsItWas)
{
    const QString readOnly = folder.filePath(QStringLiteral("stary.pdf"));
    QFile old(readOnly);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("stary");
    old.close();
    QFile::setPermissions(readOnly, QFile::ReadOwner);
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("teczka.pdf")));
    struct Case {
        QString path;
        QString reason;
    } cases[] = {
        {readOnly, QStringLiteral("Plik jest tylko do odczytu.")},
        {folder.filePath(QStringLiteral("brak/plan.pdf")), QStringLiteral("Folder nie istnieje.")},
        {folder.filePath(QStringLiteral("teczka.pdf")), QStringLiteral("W miejscu pliku jest folder.")},
    };
    QPointer<PlotDialog> dialog = openDialog();
    ASSERT_TRUE(dialog);
    for (const auto& c : cases) {
        messages.clear();
        exportTo(dialog, c.path);
        ASSERT_EQ(messages.size(), 1) << c.path.toStdString();
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Nie można zapisać pliku PDF\r\n")));
        EXPECT_TRUE(messages[0].endsWith(c.reason)) << messages[0].toStdString();
        EXPECT_TRUE(dialog->isVisible()); // the designer may choose another file
    }
    QFile kept(readOnly);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArray("stary"));
    // No temporary file is left behind.
    EXPECT_EQ(QDir(folder.path()).entryList({QStringLiteral("*.pdf*")}, QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("stary.pdf")});
}

// The dialog opens as it was last left, in this window or after a start;
// a window picked and a scale chosen belong to the drawing they were for.
TEST_F(PlotWindow, TheChoicesOfThePlotBeforeComeBack)
{
    const QString ini = folder.filePath(QStringLiteral("okno.ini"));
    window.setSettingsFile(ini);
    QPointer<PlotDialog> dialog = openDialog();
    ASSERT_TRUE(dialog);
    child<QComboBox>(dialog, "paper")->setCurrentIndex(int(Paper::A1));
    child<QRadioButton>(dialog, "portrait")->setChecked(true);
    child<QSpinBox>(dialog, "scale")->setValue(1000);
    child<QRadioButton>(dialog, "scaleFit")->setChecked(true);
    child<QRadioButton>(dialog, "areaView")->setChecked(true);
    child<QRadioButton>(dialog, "monochrome")->setChecked(true);
    child<QCheckBox>(dialog, "lineWeights")->setChecked(false);
    const PlotSettings left = dialog->settings();
    QTest::mouseClick(child<QPushButton>(dialog, "close"), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));

    dialog = openDialog();
    ASSERT_TRUE(dialog);
    PlotSettings s = dialog->settings();
    EXPECT_EQ(s.paper, Paper::A1);
    EXPECT_FALSE(s.landscape);
    EXPECT_TRUE(s.fit);
    EXPECT_EQ(s.scale, 1000);
    EXPECT_EQ(s.area, PlotArea::View);
    EXPECT_TRUE(s.monochrome);
    EXPECT_FALSE(s.lineWeights);
    dialog->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));

    struct Case {
        const char* what;
        QString drawing; // the one the remembered plot was of
        PlotArea area;
        double scale;
    } cases[] = {
        {"this drawing", drawingPath, PlotArea::Window, 1000},
        // another drawing's window and scale are not this one's (scale 1:500)
        {"another drawing", folder.filePath(QStringLiteral("inny.dxf")), PlotArea::Everything, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PlotSettings remembered = left;
        remembered.fit = false;
        remembered.area = PlotArea::Window;
        remembered.window = Box{-5000, -6000, 30000, 8000};
        RememberPlot(ini, remembered, c.drawing);
        dialog = openDialog();
        ASSERT_TRUE(dialog);
        s = dialog->settings();
        EXPECT_EQ(s.area, c.area);
        EXPECT_EQ(s.scale, c.scale);
        EXPECT_EQ(s.paper, Paper::A1);
        if (c.area == PlotArea::Window) {
            EXPECT_EQ(s.window.minX, -5000);
            EXPECT_EQ(s.window.maxY, 8000);
        }
        dialog->close();
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }));
    }
}

} // namespace
} // namespace lumo::view
