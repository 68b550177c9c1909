// The detector form's load and tab rules, driven through its widgets after
// the hand-over from a placed pedestrian head.
#include "detector_run.h"

#include "settings/ini_file.h"
#include "ui_frmDetektory.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

#include <functional>

#include <gtest/gtest.h>

namespace lumo::test {
namespace {

using cad::embedded::InputAnswer;

const std::vector<InputAnswer> kHeadScript{InputAnswer::pointAt(10, 20), InputAnswer::angle(0),
                                           InputAnswer::pointAt(12, 25)};

TEST(DetectorForm, OpensOnThePushButtonTabWithTheHeadsDescriptionCode)
{
    struct Case {
        HeadChoice head;
        QString description;
        int helpContext;
    };
    const std::vector<Case> cases{
        {{{"S-5"}, 0, 7}, "D18a", 10010},
        {{{"s-5plk", "BREV"}, -1, 2}, "D3a", 10239},
        {{{"S-5pr"}, 7, 0}, "D81a", 10010},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.head.words.join(' ').toStdString());
        DetectorRun r;
        r.placeHead(c.head, kHeadScript);
        auto& form = r.form();
        auto& ui = form.ui();
        EXPECT_TRUE(form.isVisible());
        EXPECT_FALSE(r.run->form->isVisible());
        EXPECT_EQ(form.helpContext(), c.helpContext);
        EXPECT_EQ(ui.edtOpis->text(), c.description);
        EXPECT_EQ(form.DetectorDescription, c.description);
        EXPECT_EQ(ui.tabRodzDet->currentIndex(), TabPrzyciski);
        EXPECT_TRUE(ui.cmbTypPrzycisku->isEnabled());
        EXPECT_TRUE(ui.cmbProdPrzycisku->isEnabled());
        EXPECT_EQ(ui.cmbTypPrzycisku->currentText(), QStringLiteral("sensorowy"));
        EXPECT_EQ(ui.cmbProdPrzycisku->currentText(), QStringLiteral("Sygnalizator LED 1"));

        // No way onto the other tabs: not from code, not by mouse, not by
        // the keyboard.
        QTabBar* bar = ui.tabRodzDet->tabBar();
        for (int tab : {TabPetle, TabNadjezdniowe, TabObszaryDetekcji}) {
            const std::vector<std::function<void()>> ways{
                [&] { form.selectTab(tab); },
                [&] { ui.tabRodzDet->setCurrentIndex(tab); },
                [&] { QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(tab).center()); },
                [&] { QTest::keyClick(ui.tabRodzDet, Qt::Key_Tab, Qt::ControlModifier); },
                [&] { QTest::keyClick(ui.tabRodzDet, Qt::Key_Backtab, Qt::ControlModifier); },
            };
            for (std::size_t way = 0; way < ways.size(); ++way) {
                ways[way]();
                EXPECT_EQ(ui.tabRodzDet->currentIndex(), TabPrzyciski) << tab << " " << way;
            }
        }
        EXPECT_TRUE(r.run->dialogs.calls().empty());
    }
}

TEST(DetectorForm, MissingProducerListIsReportedOnceAndKeepsTheDesignedText)
{
    DetectorRun r;
    QFile::remove(r.suite.nativePath(r.suite.path("aZasoby\\Listy\\SygnTypySygnDet.lst")));
    // The options form reports the same file at its start, the detector form once more.
    r.placeHead({}, kHeadScript, 2);
    const auto messages = r.run->dialogs.messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[1].title, QStringLiteral("LUMO_Sygnalizacja"));
    EXPECT_EQ(messages[1].icon, DialogIcon::Exclamation);
    EXPECT_TRUE(messages[1].text.startsWith(QStringLiteral("Nie znaleziono pliku z listą: \r\n[")));
    EXPECT_TRUE(messages[1].text.endsWith(QStringLiteral("SygnTypySygnDet.lst]")));
    EXPECT_EQ(r.form().ui().cmbProdPrzycisku->currentText(), QStringLiteral("brak danych"));
    EXPECT_TRUE(r.form().isVisible());
}

TEST(DetectorForm, WithoutAHostTheLoadSaysSoAndUnloads)
{
    DetectorRun r;
    SignalRun run(r.suite, r.drawing); // never started: no host
    run.dialogs.acceptMessages();
    frmDetektory form(*run.ctx, run.form->placement(), QStringLiteral("1.0.5"));
    EXPECT_FALSE(form.Form_Load());
    EXPECT_FALSE(form.isVisible());
    ASSERT_EQ(run.dialogs.messages().size(), 1u);
    EXPECT_EQ(run.dialogs.messages()[0].text,
              QStringLiteral("LUMO Detektory\r\nNie można nawiązać połączenia z programem\r\n"
                             "[interCAD PL] lub [interCAD Viewer Plus]"));
}

TEST(DetectorForm, ClosingTheWindowEndsTheProgramKeepingTheLoopShape)
{
    for (const QString& stored : {QStringLiteral("1"), QStringLiteral("7")}) {
        DetectorRun r;
        WriteIniString(r.suite.settingsFile(), "OstatnioUzyte", "KsztPoprzPetli", stored);
        r.placeHead({}, kHeadScript);
        r.form().close();
        EXPECT_FALSE(r.form().isVisible());
        EXPECT_EQ(r.run->endReasons, QStringList{QStringLiteral("push buttons finished")});
        // A shape that names no option is read as the first one.
        EXPECT_EQ(ReadIniString(r.suite.settingsFile(), "OstatnioUzyte", "KsztPoprzPetli", ""),
                  stored == QStringLiteral("1") ? QStringLiteral("1") : QStringLiteral("0"));
    }
}

} // namespace
} // namespace lumo::test
