// What a handler throws during a run and nobody catches: the designer is
// told in Polish, the run ends, and the drawing on disk keeps what it had
// before the run.
#include "app/program.h"
#include "app/workplace.h"
#include "cad/embedded/view/window_input.h"
#include "cad/drawing.h"
#include "signal_run.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace lumo::test {
namespace {

TEST(EventGuard, WhatAHandlerThrowsEndsTheRunAndSavesNothing)
{
    struct Case {
        const char* name;
        std::function<void()> fault; // empty: the designer cancels
        QString shown;
    };
    const QString tail
        = QStringLiteral("]\r\nUstawianie zostało przerwane, a zmiany w rysunku nie zostały zapisane.");
    const QString head = QStringLiteral("Wystąpił nieoczekiwany błąd programu:\r\n[");
    const Case cases[] = {
        {"a standard exception", [] { throw std::out_of_range("vector::at"); }, head + "vector::at" + tail},
        {"anything else", [] { throw 42; }, head + QStringLiteral("nieznany wyjątek") + tail},
        {"no fault", {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempSuite suite;
        BuildSuite(suite);
        const std::string drawing = WriteDrawing(suite, {});
        RecordingDialogs dialogs;
        if (c.fault)
            dialogs.acceptMessages(1);
        cad::embedded::EmbeddedHostProvider provider([&drawing] {
            cad::embedded::EmbeddedHostOptions options;
            options.drawing = drawing;
            return options;
        });
        Program program(dialogs, suite.programFolder(), provider);
        program.startup.registryFile = SuiteRegistryFile(suite);

        // Once the options form waits: a change to the drawing, then the fault
        // in a handler of its own.
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (!program.host.doc || !program.form() || !program.form()->isVisible())
                return;
            look.stop();
            cad::SetDrawingProperty(program.host, "SKALA", "250");
            if (c.fault)
                QTimer::singleShot(0, c.fault);
            else
                program.end(QStringLiteral("cancel"));
        });
        look.start(10);
        const int exitCode = program.run({QString(), QStringLiteral("S-1")});

        const auto messages = dialogs.messages();
        if (c.fault) {
            EXPECT_EQ(exitCode, 1);
            EXPECT_EQ(program.endReason(), QStringLiteral("unexpected error"));
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].title, QStringLiteral("LUMO_Sygnalizacja"));
            EXPECT_EQ(messages[0].text, c.shown);
            EXPECT_EQ(messages[0].icon, DialogIcon::Exclamation);
            EXPECT_EQ(dxf::Document::load(drawing).customProperty("SKALA"), "500");
        } else {
            EXPECT_EQ(exitCode, 0);
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(dxf::Document::load(drawing).customProperty("SKALA"), "250");
        }
    }
}

// The workplace's window cannot be made for a reason that is not the host's:
// the designer is told once, in Polish, and nothing runs after it (no bare
// question for a symbol, no second try).
TEST(EventGuard, AWorkplaceThatCannotStartSaysWhyOnceAndEnds)
{
    struct ThrowingProvider : view::WindowedHostProvider {
        ThrowingProvider() : view::WindowedHostProvider({}) { }
        std::shared_ptr<cad::Application> create() override { throw std::runtime_error("brak pamięci"); }
    };
    for (const QStringList& args : {QStringList{QString()}, QStringList{QString(), QStringLiteral("S-1")}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        TempSuite suite;
        BuildSuite(suite);
        RecordingDialogs dialogs;
        dialogs.acceptMessages(1);
        ThrowingProvider provider;
        const int exitCode
            = RunWorkplace(dialogs, suite.programFolder(), SuiteRegistryFile(suite), provider, args, true);
        EXPECT_EQ(exitCode, 1);
        ASSERT_EQ(dialogs.calls().size(), 1u);
        EXPECT_EQ(dialogs.calls()[0].text,
                  QStringLiteral("Wystąpił nieoczekiwany błąd programu:\r\n[brak pamięci]\r\n"
                                 "Okno rysunku nie zostało otwarte."));
    }
}

} // namespace
} // namespace lumo::test
