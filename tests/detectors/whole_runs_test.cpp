// Whole runs on the embedded host, compared byte for byte with the drawing
// and the settings file they saved when they were recorded
// (tests/data/runs). A change to the order of the host calls, a command
// string, an attribute value or a settings key shows here even when every
// finer test still passes. After a deliberate change of the output, record
// anew with LUMO_RECORD_RUNS=1 and look at the difference before committing.
#include "detector_run.h"

#include "forms/frm_atrybuty_sygnalizatora.h"
#include "settings/ini_file.h"
#include "test_drawings.h"
#include "test_files.h"
#include "ui_frmDetektory.h"
#include "ui_frmMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace lumo::test {
namespace {

using cad::embedded::InputAnswer;

// The description form starts its dates at today; the recording keeps them
// as a marker.
std::string WithoutToday(std::string bytes)
{
    // The day before too: a run may start before midnight and save after it.
    for (const QDate day : {QDate::currentDate(), QDate::currentDate().addDays(-1)}) {
        const std::string text = day.toString(kDescriptionDateFormat).toStdString();
        for (std::size_t at; (at = bytes.find(text)) != std::string::npos;)
            bytes.replace(at, text.size(), "<today>");
    }
    return bytes;
}

void CompareWithRecording(const std::string& name, const std::string& drawing, const QString& settings,
                          const TempSuite& suite)
{
    const std::filesystem::path folder = TestDataFolder() / "runs";
    const std::pair<std::string, std::string> outputs[] = {
        {name + ".dxf", WithoutToday(readAll(drawing))},
        {name + ".ini", WithoutToday(readAll(suite.nativePath(settings).toStdString()))},
    };
    for (const auto& [file, bytes] : outputs) {
        SCOPED_TRACE(file);
        if (std::getenv("LUMO_RECORD_RUNS")) {
            std::filesystem::create_directories(folder);
            writeAll(folder / file, bytes);
            continue;
        }
        const std::string recorded = readAll(folder / file);
        ASSERT_FALSE(recorded.empty()) << "no recording: run with LUMO_RECORD_RUNS=1";
        EXPECT_TRUE(bytes == recorded) << "differs from tests/data/runs/" << file;
    }
}

TEST(WholeRuns, SaveWhatTheyAlwaysSaved)
{
    struct Case {
        const char* name;
        std::function<void(DetectorRun&)> play;
    };
    const Case cases[] = {
        {"head-with-screen",
         [](DetectorRun& r) {
             r.run = std::make_unique<SignalRun>(
                 r.suite, r.drawing,
                 std::vector<InputAnswer>{InputAnswer::pointAt(100, 200), InputAnswer::angle(30),
                                          InputAnswer::pointAt(110, 215), InputAnswer::pointAt(120, 230)});
             r.run->start({QStringLiteral("S-2p")});
             auto& ui = r.run->form->ui();
             ui.cmbNumSkrzyz->setCurrentIndex(0);
             ui.chkLinZatrz->click();
             ui.cmbLinZatrz->setCurrentIndex(2);
             ui.chkEkrany->click();
             ui.chkWkladyAntyZl->click();
             AnswerDescriptionForm({});
             ui.cmdAccept->click();
             r.run->runFollowUp();
             EXPECT_EQ(r.run->endReasons, QStringList{QStringLiteral("head placed")});
         }},
        {"pedestrian-head-two-buttons",
         [](DetectorRun& r) {
             r.placeHead({{"S-5"}, 0, 7},
                         {InputAnswer::pointAt(100, 200), InputAnswer::angle(90),
                          InputAnswer::pointAt(110, 215), InputAnswer::pointAt(95, 190),
                          InputAnswer::pointAt(90, 185), InputAnswer::pointAt(105, 190),
                          InputAnswer::pointAt(108, 185)});
             r.placeButton();
             r.form().ui().edtOpis->setText(QStringLiteral("D18b"));
             r.form().ui().cmbTypPrzycisku->setCurrentIndex(1);
             r.placeButton();
             r.form().ui().btnCcl->click();
             EXPECT_EQ(r.run->endReasons, QStringList{QStringLiteral("push buttons finished")});
         }},
        {"head-after-settings",
         [](DetectorRun& r) {
             r.run = std::make_unique<SignalRun>(r.suite, r.drawing,
                                                 std::vector<InputAnswer>{InputAnswer::pointAt(5, 6),
                                                                          InputAnswer::angle(45),
                                                                          InputAnswer::pointAt(7, 8)});
             r.run->start({QStringLiteral("S-5pr")});
             auto& ui = r.run->form->ui();
             ui.cmdUstawienia->click();
             QWidget* dialog = r.run->form->settingsDialog();
             dialog->findChild<QComboBox*>(QStringLiteral("cbSkala"))->setCurrentIndex(3);
             dialog->findChild<QComboBox*>(QStringLiteral("cmbFormatPR"))->setCurrentIndex(1);
             dialog->findChild<QLineEdit*>(QStringLiteral("txtSygFontHeight"))->setText(QStringLiteral("2"));
             dialog->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
             ui.cmbNumSkrzyz->setCurrentIndex(0);
             ui.chkSygnAkust->click();
             AnswerDescriptionForm({});
             ui.cmdAccept->click();
             r.run->runFollowUp();
             EXPECT_EQ(r.run->endReasons, QStringList{QStringLiteral("head placed")});
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DetectorRun r;
        c.play(r);
        ASSERT_TRUE(r.run);
        r.run->save();
        EXPECT_EQ(r.run->input->remaining(), 0u);
        CompareWithRecording(c.name, r.run->drawingPath, r.suite.settingsFile(), r.suite);
    }
}

} // namespace
} // namespace lumo::test
