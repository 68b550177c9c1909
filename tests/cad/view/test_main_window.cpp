// The window around the drawing, on the host that keeps it: opening (with
// progress and cancel), keeping the previous drawing when one cannot be
// read, the title's name and changed mark, saving, the recent drawings.
#include "cad/embedded/view/main_window.h"
#include "dxf/document.h"
#include "hosted_window.h"
#include "test_drawings.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
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
        window.setRecentStore(folder.filePath(QStringLiteral("recent.ini")));
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
    other.setRecentStore(folder.filePath(QStringLiteral("recent.ini")));
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
    started.setRecentStore(folder.filePath(QStringLiteral("recent.ini")));
    EXPECT_EQ(started.recentDrawings(), (QStringList{atStart, newer, older}));
    MainWindow later;
    later.setRecentStore(folder.filePath(QStringLiteral("recent.ini")));
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

} // namespace
} // namespace lumo::view
