// Run under C.UTF-8 (see CMakeLists.txt): the program speaks Polish all the
// same.
#include "app/polish.h"
#include "app/program_icon.h"
#include "util/dates.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDate>
#include <QDialogButtonBox>
#include <QKeySequence>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

namespace lumo {
namespace {

TEST(Polish, WhateverTheSystemLocale)
{
    ASSERT_NE(QLocale::system().language(), QLocale::Polish) << "run this under C.UTF-8";
    SpeakPolish();

    EXPECT_EQ(QDate(2026, 12, 7).toString(ShortDateFormat()), QStringLiteral("07.12.2026"));
    EXPECT_EQ(ShortDatePattern(), QStringLiteral("dd.mm.rrrr"));
    EXPECT_EQ(QLocale().decimalPoint(), QStringLiteral(","));

    QCalendarWidget calendar;
    EXPECT_EQ(calendar.locale().monthName(12, QLocale::LongFormat), QStringLiteral("grudnia"));
    EXPECT_EQ(calendar.locale().standaloneMonthName(12), QStringLiteral("grudzień"));
    EXPECT_EQ(calendar.locale().dayName(1, QLocale::ShortFormat), QStringLiteral("pon."));

    // Key names as printed on the keys, next to Qt's Polish words elsewhere.
    struct Case {
        QKeySequence keys;
        QString shown;
    } cases[] = {
        {QKeySequence(Qt::Key_Home), QStringLiteral("Home")},
        {QKeySequence(Qt::Key_End), QStringLiteral("End")},
        {QKeySequence(Qt::Key_PageUp), QStringLiteral("PgUp")},
        {QKeySequence(Qt::CTRL | Qt::Key_R), QStringLiteral("Ctrl+R")},
        {QKeySequence(Qt::Key_F1), QStringLiteral("F1")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.keys.toString(QKeySequence::NativeText), c.shown);

    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Anuluj"));
}

// Every window, a message box too, carries the signal head, not a generic icon.
TEST(ProgramIcon, EveryWindowHasIt)
{
    UseProgramIcon();
    QWidget window;
    QMessageBox box;
    for (QWidget* w : {static_cast<QWidget*>(&window), static_cast<QWidget*>(&box)}) {
        const QImage image = w->windowIcon().pixmap(64, 64).toImage();
        ASSERT_EQ(image.size(), QSize(64, 64));
        EXPECT_EQ(image.pixelColor(32, 13), QColor(0xe0, 0x20, 0x20)); // the red lens
        EXPECT_EQ(image.pixelColor(32, 41), QColor(0x20, 0xb0, 0x40)); // the green one
        EXPECT_EQ(image.pixelColor(2, 2).alpha(), 0);
    }
}

} // namespace
} // namespace lumo
