// The window around the drawing, on the host that keeps it: opening (with
// progress and cancel), keeping the previous drawing when one cannot be
// read, the title's name and changed mark, saving, the recent drawings, the
// view of each drawing kept between starts, a long redraw given up.
#include "cad/embedded/view/main_window.h"
#include "cad/embedded/view/view_memory.h"
#include "dxf/document.h"
#include "hosted_window.h"
#include "test_drawings.h"

#include <QApplication>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumo::view {
namespace {

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        window.setSettingsFile(folder.filePath(QStringLiteral("recent.ini")));
    }
    // A corpus drawing copied where the test may write.
    QString copy(const char* name, const QString& as)
    {
        const QString target = folder.filePath(as);
        QFile::copy(QString::fromStdString(lumo::test::TestDrawing(name).string()), target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
        return target;
    }

    QTemporaryDir folder;
    QStringList messages;
    HostedWindow hosted{[this](const QString& text) { messages << text; }};
    MainWindow& window = hosted.window;
};

TEST_F(Window, OpeningShowsTheDrawingAndRemembersIt)
{
    const QString path = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("kołnierz.dxf"));
    ASSERT_TRUE(window.openDrawing(path));
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("kołnierz.dxf[*]")));
    EXPECT_FALSE(window.isWindowModified());
    ASSERT_NE(window.view()->scene(), nullptr);
    EXPECT_GT(window.view()->scene()->items().size(), 200u);
    EXPECT_EQ(window.recentDrawings().value(0), path);

    // Another window reads the same recent list.
    MainWindow other;
    other.setSettingsFile(folder.filePath(QStringLiteral("recent.ini")));
    EXPECT_EQ(other.recentDrawings().value(0), path);
}

// Newest first, only drawings that still exist, and the one opened before
// the window knew its store (at start) among them.
TEST_F(Window, RecentDrawingsAreTheExistingOnesNewestFirst)
{
    const QString older = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("starszy.dxf"));
    const QString gone = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("usunięty.dxf"));
    const QString newer = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("nowszy.dxf"));
    const QString atStart = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("na-start.dxf"));
    for (const QString& path : {older, gone, newer})
        ASSERT_TRUE(window.openDrawing(path));
    QFile::remove(gone);

    HostedWindow hosted;
    MainWindow& started = hosted.window;
    ASSERT_TRUE(started.openDrawing(atStart));
    started.setSettingsFile(folder.filePath(QStringLiteral("recent.ini")));
    EXPECT_EQ(started.recentDrawings(), (QStringList{atStart, newer, older}));
    MainWindow later;
    later.setSettingsFile(folder.filePath(QStringLiteral("recent.ini")));
    EXPECT_EQ(later.recentDrawings(), (QStringList{atStart, newer, older}));
}

TEST_F(Window, ADrawingThatCannotBeReadKeepsThePreviousOne)
{
    const QString good = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("dobry.dxf"));
    ASSERT_TRUE(window.openDrawing(good));
    const auto before = window.drawing();
    const QString title = window.windowTitle();

    struct Case {
        QString path;
        const char* why;
    } cases[] = {
        {copy("r2000_BINARY_acad__ACadSharp_sample_AC1015_binary.dxf", QStringLiteral("binarny.dxf")),
         "binary"},
        {folder.filePath(QStringLiteral("brak.dxf")), "missing"},
    };
    QFile garbage(folder.filePath(QStringLiteral("zly.dxf")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n");
    garbage.close();
    for (const auto& c : {cases[0], cases[1], Case{garbage.fileName(), "truncated"}}) {
        messages.clear();
        EXPECT_FALSE(window.openDrawing(c.path)) << c.why;
        ASSERT_EQ(messages.size(), 1) << c.why;
        EXPECT_TRUE(messages[0].contains(QStringLiteral("[") + c.path + QStringLiteral("]"))) << c.why;
        EXPECT_TRUE(messages[0].startsWith(QStringLiteral("Nie znaleziono rysunku: ["))
                    || messages[0].section(QStringLiteral("\r\n"), 2).size() > 0)
            << c.why << ": no reason given";
        EXPECT_TRUE(window.drawing() == before) << c.why;
        EXPECT_EQ(window.windowTitle(), title) << c.why;
        EXPECT_EQ(window.recentDrawings().value(0), good) << c.why;
    }
}

TEST_F(Window, CancellingALongOpenKeepsThePreviousDrawing)
{
    const QString good = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("dobry.dxf"));
    ASSERT_TRUE(window.openDrawing(good));
    const auto before = window.drawing();
    const QString large
        = copy("r2000_acad_attribs_dwgprops__ACadSharp_sample_AC1015_ascii.dxf", QStringLiteral("duzy.dxf"));
    window.setProgressDelay(0);
    bool progressShown = false;
    QTimer::singleShot(0, &window, [&] {
        if (auto* progress = window.findChild<QProgressDialog*>()) {
            progressShown = true;
            progress->cancel();
        }
    });
    EXPECT_FALSE(window.openDrawing(large));
    EXPECT_TRUE(progressShown);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(window.drawing() == before);
}

TEST_F(Window, ChangesShowInTheTitleAndTheDrawingAndSaveClearsTheMark)
{
    const QString plan = folder.filePath(QStringLiteral("plan.dxf"));
    QFile file(plan);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("0\nSECTION\n2\nENTITIES\n0\nLINE\n8\n0\n10\n0\n20\n0\n30\n0\n11\n100\n21\n100\n31\n0\n"
               "0\nENDSEC\n0\nEOF\n");
    file.close();
    ASSERT_TRUE(window.openDrawing(plan));
    const std::size_t items = window.view()->scene()->items().size();
    EXPECT_FALSE(window.isWindowModified());

    hosted.host->activeDocument()->modelSpace()->addText("Opis", {50, 50, 0}, 2.5);
    QCoreApplication::processEvents();
    EXPECT_TRUE(window.isWindowModified());
    EXPECT_EQ(window.view()->scene()->items().size(), items + 1);

    const QString target = folder.filePath(QStringLiteral("plan-kopia.dxf"));
    ASSERT_TRUE(window.saveAs(target));
    EXPECT_TRUE(QFile::exists(target));
    EXPECT_FALSE(window.isWindowModified());
    EXPECT_TRUE(window.windowTitle().startsWith(QStringLiteral("plan-kopia.dxf[*]")));
    const auto saved = dxf::Document::load(target.toStdString());
    EXPECT_EQ(saved.modelSpaceCount(), 2u);
}

// A drawing opened again shows the part the designer left it at, in a
// window started anew; one that no longer has anything there is shown whole.
TEST_F(Window, EachDrawingComesBackWithItsView)
{
    const QString ini = folder.filePath(QStringLiteral("recent.ini"));
    const QString flange = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("kołnierz.dxf"));
    const QString other = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("inny.dxf"));
    Box extents;
    Vec2 leftAt;
    double leftScale = 0;
    {
        HostedWindow first;
        first.window.setSettingsFile(ini);
        ASSERT_TRUE(first.window.openDrawing(flange));
        DrawingView* view = first.window.view();
        extents = view->scene()->extents();
        view->zoomToWindow(Box{extents.minX, extents.minY, (extents.minX + extents.maxX) / 2,
                               (extents.minY + extents.maxY) / 2});
        leftAt = view->centre();
        leftScale = view->pixelsPerUnit();
        ASSERT_TRUE(first.window.openDrawing(other)); // the flange's view is kept as another opens
        first.window.close();
    }

    struct Case {
        const char* what;
        QString path;
        std::optional<RememberedView> stored; // written over what the window left
        bool restored;
    } cases[] = {
        {"as left", flange, std::nullopt, true},
        {"never zoomed", other, std::nullopt, false},
        {"nothing of the drawing there any more", flange,
         RememberedView{{extents.maxX + 100 * extents.width(), extents.maxY}, leftScale}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.stored)
            RememberView(ini, c.path, *c.stored);
        HostedWindow again;
        ASSERT_TRUE(again.window.openDrawing(c.path));
        again.window.setSettingsFile(ini); // known after the first drawing, as at start
        DrawingView* view = again.window.view();
        const QPointF middle(view->width() / 2.0, view->height() / 2.0);
        if (c.restored) {
            EXPECT_DOUBLE_EQ(view->centre().x, leftAt.x);
            EXPECT_DOUBLE_EQ(view->centre().y, leftAt.y);
            EXPECT_DOUBLE_EQ(view->pixelsPerUnit(), leftScale);
        } else {
            // The whole drawing, its middle in the view's middle.
            const Vec2 centre = view->toDrawing(middle);
            EXPECT_NEAR(centre.x, (extents.minX + extents.maxX) / 2, 1e-6 * extents.width());
            EXPECT_NEAR(centre.y, (extents.minY + extents.maxY) / 2, 1e-6 * extents.height());
            EXPECT_TRUE(view->visibleBox().intersects(extents));
        }
        EXPECT_FALSE(view->hasPreviousView());
    }
}

// The view commands from their keys: each prompts on the prompt line, and
// Escape ends the command and gives the line back to what was asked.
TEST_F(Window, ViewCommandsPromptAndEscapeEndsThem)
{
    const QString path = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("kołnierz.dxf"));
    ASSERT_TRUE(window.openDrawing(path));
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.input()->ask({Question::Kind::Point, QStringLiteral("Wskaż punkt:"), std::nullopt});
    EXPECT_FALSE(window.zoomPreviousAction()->isEnabled());

    struct Case {
        QKeySequence key;
        DrawingView::ViewTool tool;
        const char* prompt;
    } cases[] = {
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W), DrawingView::ViewTool::ZoomWindow,
         "Wskaż pierwszy narożnik okna:"},
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H), DrawingView::ViewTool::Pan,
         "Przeciągnij rysunek; Esc lub Enter kończy przesuwanie."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.prompt);
        QTest::keySequence(&window, c.key);
        EXPECT_EQ(window.view()->viewTool(), c.tool);
        EXPECT_EQ(window.promptLabel()->text(), QString::fromUtf8(c.prompt));
        QTest::keyClick(window.view(), Qt::Key_Escape);
        EXPECT_EQ(window.view()->viewTool(), DrawingView::ViewTool::None);
        EXPECT_EQ(window.promptLabel()->text(), QStringLiteral("Wskaż punkt:"));
        ASSERT_TRUE(window.input()->current()); // still asked
    }

    // A zoom, and "Poprzedni widok" takes it back.
    const Vec2 centre = window.view()->centre();
    QTest::keySequence(&window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    QTest::mouseClick(window.view(), Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseClick(window.view(), Qt::LeftButton, {}, QPoint(80, 60));
    EXPECT_TRUE(window.zoomPreviousAction()->isEnabled());
    EXPECT_FALSE(window.input()->poll(*window.input()->current()).has_value());
    QTest::keySequence(&window, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    EXPECT_DOUBLE_EQ(window.view()->centre().x, centre.x);
    EXPECT_DOUBLE_EQ(window.view()->centre().y, centre.y);
    EXPECT_FALSE(window.zoomPreviousAction()->isEnabled());
    window.input()->clear();
}

// A redraw that takes long shows progress; given up, the picture before
// stays and says so, and the drawing is as it was. The next redraw is whole.
TEST_F(Window, ALongRedrawCanBeGivenUp)
{
    auto doc = dxf::Document::create("AC1032");
    for (int i = 0; i < 40000; ++i)
        doc.addEntity("LINE", "0",
                      {{10, std::to_string(i % 200)},
                       {20, std::to_string(i / 200)},
                       {11, std::to_string(i % 200 + 1)},
                       {21, std::to_string(i / 200)}});
    const QString plan = folder.filePath(QStringLiteral("duzy.dxf"));
    doc.save(plan.toStdString());
    const std::size_t count = doc.modelSpaceCount();
    ASSERT_TRUE(window.openDrawing(plan));
    const Scene* before = window.view()->scene();
    const auto drawing = window.drawing();
    window.setProgressDelay(0);

    bool cancelled = false;
    QTimer::singleShot(0, &window, [&] {
        if (auto* progress = window.findChild<QProgressDialog*>()) {
            cancelled = true;
            progress->cancel();
        }
    });
    window.rebuild();
    ASSERT_TRUE(cancelled);
    EXPECT_EQ(window.view()->scene(), before);
    auto* warning = window.findChild<QLabel*>(QStringLiteral("drawingWarning"));
    ASSERT_TRUE(warning);
    EXPECT_EQ(warning->text(),
              QStringLiteral("Rysowanie przerwane: widok pokazuje rysunek sprzed ostatniej zmiany."));
    EXPECT_TRUE(window.drawing() == drawing);
    EXPECT_EQ(window.drawing().modelSpaceCount(), count);
    EXPECT_FALSE(hosted.host->modified());
    EXPECT_TRUE(messages.isEmpty());

    // Nothing changed since, and still the next refresh draws it all.
    window.refresh();
    EXPECT_NE(window.view()->scene(), before);
    EXPECT_TRUE(warning->text().isEmpty());
    EXPECT_EQ(window.findChild<QProgressDialog*>(), nullptr);
}

// A question in the prompt line does not move the drawing, however long:
// the side panels keep their widths and the view its place, so the click the
// designer aims at the picture lands where the picture was. (The line's
// width followed its text, and a narrow window gave it the panels' room.)
TEST_F(Window, AQuestionInThePromptLineDoesNotMoveTheView)
{
    const QString path = copy("r2013_odafamily_attribs__qcad_flange.dxf", QStringLiteral("plan.dxf"));
    ASSERT_TRUE(window.openDrawing(path));
    auto* palette = new QDockWidget(QStringLiteral("Paleta"), &window);
    auto* tools = new QWidget(palette);
    tools->setMinimumWidth(160);
    palette->setWidget(tools);
    window.addDockWidget(Qt::LeftDockWidgetArea, palette);
    window.resize(790, 750);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.resizeDocks({palette}, {256}, Qt::Horizontal);
    QApplication::processEvents();
    const int viewWidth = window.view()->width();
    ASSERT_LT(viewWidth, 400); // a narrow window: the panels take most of it
    const Affine before = window.view()->toScreen();

    for (const QString& question : {QStringLiteral("Podaj kąt obrotu <0>:"),
                                    QStringLiteral("Wskaż położenie opisu sygnalizatora 26-15/988/K1 "
                                                   "(punkt wstawienia tekstu na warstwie opisów):")}) {
        SCOPED_TRACE(question.toStdString());
        window.promptLabel()->setText(question);
        // the layout's requests travel up one widget a turn of the event loop
        for (int turn = 0; turn < 5; ++turn)
            QApplication::processEvents();
        EXPECT_EQ(window.width(), 790);
        EXPECT_EQ(palette->width(), 256);
        EXPECT_EQ(window.view()->width(), viewWidth);
        EXPECT_TRUE(window.view()->toScreen() == before);
    }
}

} // namespace
} // namespace lumo::view
