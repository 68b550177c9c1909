// Placements into drawings other programs write without their TABLES,
// BLOCKS or OBJECTS sections (only a header, or only entities): the host
// makes what the head needs, as a CAD program does, and the head is in the
// saved drawing, which reads back. (Its description goes on the layer
// 112-OPIS_SYGNALIZACJI, which the program expects in the designer's
// drawing and does not make; without it the run stops there, as it does
// in a CAD program, and the host says why.)
#include "signal_run.h"

#include "scoped_env.h"
#include "test_drawings.h"
#include "ui_frmMain.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace lumo::test {
namespace {

std::string headerOnly(const std::string& version)
{
    return "0\nSECTION\n2\nHEADER\n9\n$ACADVER\n1\n" + version + "\n9\n$INSUNITS\n70\n6\n0\nENDSEC\n0\nEOF\n";
}

TEST(DrawingsWithoutTables, AHeadIsPlacedAndSaved)
{
    struct Case {
        const char* name;
        std::string text; // "" for the entities-only test drawing
        bool keepsProperties; // R12 has no place for them
    } cases[] = {
        {"naglowek-r12.dxf", headerOnly("AC1009"), false},
        {"naglowek-r2000.dxf", headerOnly("AC1015"), true},
        {"naglowek-r2018.dxf", headerOnly("AC1032"), true},
        {"same-obiekty.dxf", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempSuite suite;
        BuildSuite(suite);
        suite.makeFolder(QStringLiteral("Rysunki"));
        const std::string drawing
            = suite.nativePath(suite.path(QStringLiteral("Rysunki\\") + QString::fromLatin1(c.name)))
                  .toStdString();
        if (c.text.empty()) {
            const auto source
                = TestDrawing("awkward_entities_only_trailing_spaces_noEOF__ezdxf_recover01.dxf");
            ASSERT_FALSE(source.empty());
            std::filesystem::copy_file(source, drawing);
        } else {
            std::ofstream(drawing, std::ios::binary) << c.text;
        }
        const std::size_t entitiesBefore = dxf::Document::load(drawing).modelSpaceCount();

        const QString script = suite.nativePath(
            suite.writeBytes(QStringLiteral("wejscie.txt"), "point 100 200\nangle 30\npoint 110 215\n"));
        std::unique_ptr<SignalRun> run;
        {
            const ScopedEnv input("LUMO_CAD_INPUT", script.toLocal8Bit());
            const ScopedEnv drawingFile("LUMO_CAD_DRAWING", QByteArray::fromStdString(drawing));
            const ScopedEnv config("XDG_CONFIG_HOME",
                                   suite.nativePath(suite.makeFolder(QStringLiteral("cfg"))).toLocal8Bit());
            run = std::make_unique<SignalRun>(suite, SignalRun::FromEnvironment{});
            // No section number in the drawing: the designer goes on and types one.
            run->dialogs.answerMessage(DialogAnswer::Yes);
            run->dialogs.answerInput(QStringLiteral("26-15"));
            if (!c.keepsProperties)
                run->dialogs.answerMessage(DialogAnswer::Ok); // why the section number is not kept
            run->dialogs.acceptMessages(1); // why the description cannot go on its layer
            run->start({"S-3wp"});
        }
        ASSERT_TRUE(run->endReasons.isEmpty()) << run->endReasons.join(';').toStdString();
        run->form->ui().cmbNumSkrzyz->setCurrentIndex(0);
        run->form->ui().cmdAccept->click();
        run->runFollowUp();
        run->save();
        EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("host failure")}); // the description's layer
        EXPECT_EQ(run->input->remaining(), 0u);

        // What the designer was told: the section question and, for R12, why
        // the drawing keeps no properties.
        QStringList told;
        for (const auto& call : run->dialogs.calls())
            told << call.text;
        EXPECT_EQ(told.filter(QStringLiteral("nie ma miejsca na właściwości rysunku")).size(),
                  c.keepsProperties ? 0 : 1)
            << told.join('|').toStdString();
        // The run stops at the description's layer, but not without a word.
        EXPECT_EQ(told.filter(QStringLiteral("W rysunku nie ma warstwy \"112-OPIS_SYGNALIZACJI\"")).size(), 1)
            << told.join('|').toStdString();

        const auto doc = run->savedDrawing();
        EXPECT_EQ(doc.modelSpaceCount(), entitiesBefore + 2); // the head and its description
        const auto heads = ReferencesOf(doc, "S-3wp");
        ASSERT_EQ(heads.size(), 1u);
        EXPECT_EQ(heads[0].layer(), "110-SYGNALIZACJA_KOMORY");
        EXPECT_NEAR(heads[0].rotation(), 30.0, 1e-9);
        EXPECT_NEAR(heads[0].insertionPoint().x, 100.0, 1e-9);
        EXPECT_FALSE(heads[0].handle().empty());
        EXPECT_TRUE(doc.findByHandle(heads[0].handle()));
        EXPECT_EQ(AttributesOf(heads[0]).count("INWENT_NUMER"), 1u);
        ASSERT_TRUE(doc.findBlock("S-3wp"));
        EXPECT_TRUE(doc.findLayer("0"));
        EXPECT_TRUE(doc.findLayer("110-SYGNALIZACJA_KOMORY"));
        EXPECT_TRUE(doc.findTextStyle("SYGN_OPISY_TXT"));
        const auto texts = TextsOf(doc);
        ASSERT_FALSE(texts.empty());
        EXPECT_EQ(texts.back().value(), "K1");
        if (c.keepsProperties) {
            EXPECT_EQ(doc.customProperty("NUMERSEKCJI"), std::optional<std::string>("26-15"));
        }
        // The saved drawing reads back the same, here and in another reader.
        EXPECT_EQ(dxf::Document::fromMemory(doc.toString()).toString(), doc.toString());
        // (the entities-only drawing is one the other reader refuses before
        // the run too: it reads it only in its recovery mode)
        if (const auto errors = c.text.empty() ? std::nullopt : AuditErrors(run->drawingPath)) {
            EXPECT_TRUE(errors->isEmpty()) << errors->toStdString();
        }
    }
}

} // namespace
} // namespace lumo::test
