#include "app/qt_dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumo {
namespace {

// An accelerator answers the box at once: a box still open for Qt's tenth
// of a second of showing the press would swallow the designer's next click
// on the drawing.
TEST(QtDialogs, AnAcceleratorAnswersTheBoxAtOnce)
{
    struct Case {
        DialogButtons buttons;
        Qt::Key key;
        DialogAnswer expected;
    } cases[] = {
        {DialogButtons::YesNo, Qt::Key_Y, DialogAnswer::Yes},
        {DialogButtons::YesNo, Qt::Key_N, DialogAnswer::No},
        {DialogButtons::YesNoCancel, Qt::Key_N, DialogAnswer::No},
    };
    for (const auto& c : cases) {
        QtDialogs dialogs;
        bool boxShown = false;
        bool goneAtOnce = false;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            boxShown = box != nullptr;
            if (!box)
                return;
            // Accelerators work in the active window only.
            box->activateWindow();
            if (QTest::qWaitForWindowActive(box))
                QTest::keyClick(box, c.key, Qt::AltModifier);
            goneAtOnce = !box->isVisible();
            if (box->isVisible()) // the press not yet taken: end the box anyway
                QTimer::singleShot(0, box, [box] { box->reject(); });
        });
        const DialogAnswer answer
            = dialogs.message(QStringLiteral("LUMO_Sygnalizacja"), QStringLiteral("Dalej?"),
                              DialogIcon::Question, c.buttons, DialogAnswer::Yes);
        EXPECT_TRUE(boxShown);
        EXPECT_EQ(answer, c.expected);
        EXPECT_TRUE(goneAtOnce);
    }
}

} // namespace
} // namespace lumo
