// The drawing window's "Pomoc": F1 opens the help's contents (or says where
// the help should be), the shortcut list names the window's real keys, and
// a help opener that finds no browser is heard of.
#include "app/help_menu.h"
#include "app/qt_dialogs.h"
#include "cad/embedded/view/main_window.h"
#include "recording_dialogs.h"
#include "scoped_env.h"
#include "util/files.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace lumo {
namespace {

QAction* helpAction(QMainWindow& window, const QString& text)
{
    for (QAction* top : window.menuBar()->actions()) {
        if (top->text() != QStringLiteral("Pomo&c"))
            continue;
        for (QAction* action : top->menu()->actions()) {
            if (action->text() == text)
                return action;
        }
    }
    return nullptr;
}

TEST(HelpMenu, F1OpensTheContentsOrSaysWhereTheHelpIs)
{
    QTemporaryDir suite;
    ASSERT_TRUE(suite.isValid());
    const QString programs = suite.filePath(QStringLiteral("LUMO/Programy"));
    struct Case {
        bool helpInstalled;
        QString document; // "" none shown
        QString message; // "" none
    } cases[] = {
        {true, QStringLiteral("pomoc/index.html"), QString()},
        {false, QString(), QStringLiteral("Nie znaleziono pliku pomocy")},
    };
    for (const auto& c : cases) {
        QDir(programs + QStringLiteral("/pomoc")).removeRecursively();
        if (c.helpInstalled) {
            ASSERT_TRUE(QDir().mkpath(programs + QStringLiteral("/pomoc")));
            QFile page(programs + QStringLiteral("/pomoc/index.html"));
            ASSERT_TRUE(page.open(QIODevice::WriteOnly));
        }
        view::MainWindow window;
        test::RecordingDialogs dialogs;
        if (!c.message.isEmpty())
            dialogs.acceptMessages(1);
        AddHelpMenu(window, dialogs, SuiteHelpFile(FromNativePath(programs)));
        QAction* contents = helpAction(window, QStringLiteral("&Spis treści"));
        ASSERT_NE(contents, nullptr);
        EXPECT_EQ(contents->shortcut(), QKeySequence(Qt::Key_F1));
        contents->trigger();
        if (c.document.isEmpty()) {
            EXPECT_TRUE(dialogs.documents().empty());
        } else {
            ASSERT_EQ(dialogs.documents().size(), 1u);
            EXPECT_TRUE(dialogs.documents()[0].toLocalFile().endsWith(c.document));
        }
        if (c.message.isEmpty()) {
            EXPECT_TRUE(dialogs.calls().empty());
        } else {
            ASSERT_EQ(dialogs.calls().size(), 1u);
            EXPECT_TRUE(dialogs.calls()[0].text.startsWith(c.message));
            EXPECT_TRUE(dialogs.calls()[0].text.contains(QStringLiteral("index.html")));
        }
        EXPECT_NE(helpAction(window, QStringLiteral("S&króty klawiszowe")), nullptr);
        EXPECT_NE(helpAction(window, QStringLiteral("&O programie")), nullptr);
    }
}

TEST(HelpMenu, ShortcutsAndAboutNameWhatIsThere)
{
    view::MainWindow window;
    const QString list = ShortcutList(window);
    for (const char* line : {"Widok → Cały rysunek — Home", "Plik → Otwórz... — Ctrl+O", "F3 — ", "F8 — "})
        EXPECT_TRUE(list.contains(QString::fromUtf8(line))) << line << "\n" << list.toStdString();
    const QString about = AboutText();
    EXPECT_TRUE(about.contains(QStringLiteral(" w. %1.%2.%3")
                                   .arg(LUMO_VERSION_MAJOR)
                                   .arg(LUMO_VERSION_MINOR)
                                   .arg(LUMO_VERSION_PATCH)));
    EXPECT_TRUE(about.contains(QStringLiteral("LGPL")));
}

#ifndef _WIN32
// The help opener's own word counts: without a program for the page
// (xdg-open's exit code 3) the help says where the file is.
TEST(HelpMenu, AnOpenerThatFindsNoProgramIsHeardOf)
{
    QTemporaryDir bin;
    ASSERT_TRUE(bin.isValid());
    struct Case {
        const char* script; // nullptr: no opener at all
        bool shown;
    } cases[] = {
        {"exit 3", false},
        {"exit 0", true},
        {"/bin/sleep 3", true}, // the browser keeps the opener
        {nullptr, false},
    };
    for (const auto& c : cases) {
        const QString opener = bin.filePath(QStringLiteral("xdg-open"));
        QFile::remove(opener);
        if (c.script) {
            QFile file(opener);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(QByteArray("#!/bin/sh\n") + c.script + "\n");
            file.close();
            file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        const test::ScopedEnv path("PATH", bin.path().toLocal8Bit());
        QtDialogs dialogs;
        EXPECT_EQ(dialogs.showDocument(QUrl::fromLocalFile(QStringLiteral("/x/index.html"))), c.shown)
            << (c.script ? c.script : "none");
    }
}
#endif

} // namespace
} // namespace lumo
