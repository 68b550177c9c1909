// Run under C.UTF-8 (see CMakeLists.txt): the program speaks Polish all the
// same.
#include "app/polish.h"
#include "app/program_icon.h"
#include "cad/embedded/view/file_dialogs.h"
#include "util/dates.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDate>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>
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

// The drawing window's Open and Save dialogs list the files' dates in
// Polish, not in the system's English ("7 Dec 2026 10:59").
TEST(Polish, FileDialogsDateTheFilesInPolish)
{
    SpeakPolish();
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    QFile file(folder.filePath(QStringLiteral("plan.dxf")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QDateTime modified(QDate(2026, 12, 7), QTime(10, 59));
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();

    using Choose = QString (*)(QWidget*, const QString&, const QString&, const QString&);
    for (const Choose choose : {Choose(&view::ChooseFileToOpen), Choose(&view::ChooseFileToSave)}) {
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            auto* list = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            ASSERT_NE(list, nullptr);
            // The folder is read in the background.
            QTRY_COMPARE(list->model()->rowCount(list->rootIndex()), 1);
            shown = list->model()->index(0, 3, list->rootIndex()).data().toString();
            dialog->reject();
        });
        EXPECT_EQ(choose(nullptr, QStringLiteral("Otwórz rysunek"), folder.path(), QStringLiteral("*.dxf")),
                  QString());
        EXPECT_EQ(shown, QLocale(QLocale::Polish).toString(modified, QLocale::ShortFormat));
        EXPECT_TRUE(shown.startsWith(QStringLiteral("7.12.2026"))) << shown.toStdString();
    }
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
