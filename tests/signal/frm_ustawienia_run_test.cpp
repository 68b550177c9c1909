// The drawing settings dialog opened from the options form of a real run:
// one dialog at a time, and what its OK changes holds for the head placed
// afterwards.
#include "signal_run.h"

#include "ui_frmMain.h"
#include "ui_frmUstawienia.h"

#include <gtest/gtest.h>

namespace lumo::test {
namespace {

using cad::embedded::InputAnswer;

TEST(SettingsThenPlacement, WhatOkChangesHoldsForTheNextHead)
{
    using Texts = std::vector<std::pair<std::string, double>>; // value, height
    struct Case {
        const char* name;
        QString symbol;
        std::function<void(Ui::frmUstawienia&)> change;
        QString label; // at once after OK
        Texts texts;
        double headScale;
        std::string skala;
    };
    const Case cases[] = {
        {"scale 1000",
         "S-1",
         [](auto& d) { d.cbSkala->setCurrentIndex(3); },
         "Sygnalizator: 26-15//K1",
         {{"K1", 1000.0}},
         10.0,
         "1000"},
        {"format, font, no text scaling",
         "S-5pr",
         [](auto& d) {
             d.cmbFormatPR->setCurrentIndex(1);
             d.chkTextScaled->click();
             d.txtSygFontHeight->setText("2");
         },
         "Sygnalizator: 26-15//P1aR1a",
         {{"P1aR1a", 2.0}},
         5.0,
         "500"},
        {"no conditional descriptions",
         "S-2p",
         [](auto& d) { d.chkUstOpisSygnWar->click(); },
         "Sygnalizator: 26-15//K1",
         {{"K1", 500.0}},
         5.0,
         "500"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempSuite suite;
        BuildSuite(suite);
        SignalRun run(suite, WriteDrawing(suite, {}),
                      {InputAnswer::pointAt(1, 1), InputAnswer::angle(0), InputAnswer::pointAt(2, 2)});
        run.start({c.symbol});
        run.form->ui().cmdUstawienia->click();
        auto* dialog = run.form->settingsDialog();
        run.form->ui().cmdUstawienia->click(); // brings the open one forward
        EXPECT_EQ(run.form->findChildren<frmUstawienia*>(), QList<frmUstawienia*>{dialog});
        c.change(dialog->ui());
        dialog->ui().cmdOK->click();
        EXPECT_EQ(run.form->ui().Label3->text(), c.label);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(run.form->settingsDialog(), nullptr);

        AnswerDescriptionForm({});
        run.form->ui().cmbNumSkrzyz->setCurrentIndex(0);
        run.form->ui().cmdAccept->click();
        run.runFollowUp();
        run.save();
        ASSERT_EQ(run.endReasons, QStringList{"head placed"});
        const auto doc = run.savedDrawing();
        EXPECT_EQ(doc.customProperty("SKALA"), c.skala);
        Texts texts;
        for (const auto& text : TextsOf(doc))
            texts.emplace_back(text.value(), text.height());
        EXPECT_EQ(texts, c.texts);
        const auto heads = ReferencesOf(doc, c.symbol.toStdString());
        ASSERT_EQ(heads.size(), 1u);
        EXPECT_EQ(heads[0].scale().x, c.headScale);
    }
}

} // namespace
} // namespace lumo::test
