// The drawing window fits the screen it opens on (a 1366 x 768 laptop too)
// and opens as large as the designer left it.
#include "cad/embedded/view/main_window.h"
#include "cad/embedded/view/window_size.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumo::view {
namespace {

TEST(WindowSize, FitsTheScreensFreeArea)
{
    const QSize frame(10, 40);
    struct Case {
        QSize wanted;
        QRect available;
        QSize expected;
    } cases[] = {
        {{1100, 750}, {0, 0, 1366, 768}, {1100, 728}},
        {{1100, 750}, {0, 0, 1366, 740}, {1100, 700}}, // a panel takes 28 pixels
        {{1100, 750}, {0, 0, 1920, 1080}, {1100, 750}},
        {{1600, 900}, {0, 0, 1024, 600}, {1014, 560}},
        {{1100, 750}, {}, {1100, 750}}, // no screen known
    };
    for (const auto& c : cases)
        EXPECT_EQ(FittedWindowSize(c.wanted, c.available, frame), c.expected) << c.wanted.width();
}

TEST(WindowSize, RemembersTheSizeTheDesignerLeft)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString ini = folder.filePath(QStringLiteral("cad-window.ini"));
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize left(available.width() / 2, available.height() / 2);
    {
        MainWindow window;
        new WindowSizeKeeper(window, ini);
        EXPECT_LE(window.height(), available.height() - 40);
        window.show();
        window.resize(left);
        window.close();
    }
    MainWindow again;
    new WindowSizeKeeper(again, ini);
    EXPECT_EQ(again.size(), left);
}

} // namespace
} // namespace lumo::view
