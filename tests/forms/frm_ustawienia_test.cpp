// The drawing settings dialog driven through its widgets; a recorder stands
// in for the options form that opens it.
#include "forms/frm_ustawienia.h"
#include "failing_host.h"
#include "list_suite.h"
#include "settings/ini_file.h"
#include "ui_frmUstawienia.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QCheckBox>
#include <gtest/gtest.h>

namespace lumo {
namespace {

using testing::ListSuite;

class OptionsFormRecorder : public OptionsFormLink {
public:
    short scale = 500;
    QStringList calls;
    const QWidget* dialog = nullptr;

    short drawingScale() const override { return scale; }
    void setDrawingScale(short s) override { calls << QStringLiteral("scale %1").arg(scale = s); }
    void setPushButtonCaption() override { calls << "caption"; }
    void rebuildSignalLabel() override { calls << (dialog->isVisible() ? "label, open" : "label"); }
    void showHelpAt(int context) override { calls << QStringLiteral("help %1").arg(context); }
};

const QString kIni = QStringLiteral("LUMO\\Programy\\LUMO.ini");

struct DialogRun {
    DialogRun()
    {
        lists.startup.settingsFilePath = lists.suite.settingsFile();
        lists.setDrawingProperty("SKALA", "500");
    }
    QString ini(const QString& key, const QString& section = QStringLiteral("OstatnioUzyte")) const
    {
        return ReadIniString(lists.suite.settingsFile(), section, key, QStringLiteral("<none>"));
    }
    std::string skala() { return lists.drawingProperty("SKALA"); }
    std::unique_ptr<frmUstawienia> open()
    {
        auto dialog = std::make_unique<frmUstawienia>(lists.ctx, optionsForm);
        dialog->show();
        optionsForm.dialog = dialog.get();
        return dialog;
    }

    ListSuite lists;
    OptionsFormRecorder optionsForm;
};

// Changes every control the designer sees: the font height to "2,5", the
// format to "PxxRxx", each of the three check boxes, and the scale.
void ChangeEveryVisibleControl(Ui::frmUstawienia& ui, const QString& scale)
{
    ui.txtSygFontHeight->setText("2,5");
    ui.cmbFormatPR->setCurrentIndex(1);
    for (QCheckBox* box : {ui.chkTextScaled, ui.chkUstOpisSygnWar, ui.chkOstrzezDuplikatSygn})
        box->click();
    ui.cbSkala->setEditText(scale);
}

TEST(SettingsDialog, LoadShowsTheStoredValuesCentredOnTheScreen)
{
    DialogRun run;
    run.lists.suite.writeBytes(kIni,
                               "[OstatnioUzyte]\r\nCzcionkaOpisuSygnWys=0,6\r\nFormatPR=1\r\n"
                               "DomyslnyDetektor=2\r\nOpisyWarunkowych=0\r\n"
                               "CzyPytNumInwSyg=2\r\n");
    run.lists.startup.suiteMarkerMode = true;
    auto dialog = run.open();
    auto& ui = dialog->ui();
    const QStringList texts{ui.cbSkala->currentText(),     ui.txtSygFontHeight->text(),
                            ui.txtSygFontWdth->text(),     ui.labScaled->text(),
                            ui.cmbFormatPR->currentText(), ui.cmbDomDetektor->currentText()};
    EXPECT_EQ(texts, QStringList({"500", "0,6", "0.73", "300", "PxxRxx", "Obszary detekcji"}));
    const std::vector<bool> states{ui.chkTextScaled->isChecked(), ui.chkUstOpisSygnWar->isChecked(),
                                   ui.chkOstrzezDuplikatSygn->isChecked(), ui.txtSygFontWdth->isHidden(),
                                   ui.cmbDomDetektor->isHidden()};
    EXPECT_EQ(states, std::vector<bool>({true, false, true, true, true}));
    // Centred give or take the window frame, which is not known before showing.
    const QPoint centre = QGuiApplication::primaryScreen()->geometry().center();
    EXPECT_LE((dialog->frameGeometry().center() - centre).manhattanLength(), 10);
    ui.cmdHelp->click();
    EXPECT_EQ(run.optionsForm.calls, QStringList{"help 10332"}); // 10012 outside the suite
}

TEST(SettingsDialog, ScaledHeightFollowsTheScaleTheHeightAndTheSwitch)
{
    DialogRun run;
    auto dialog = run.open();
    auto& ui = dialog->ui();
    const QString point = QLocale::system().decimalPoint();
    struct Case {
        QString scale, height;
        bool ticked;
        QString shown;
    };
    const Case cases[] = {
        {"250", "1,5", true, "375"}, {"500", "1.5", true, "750"}, {"250", "0.73", true, "182" + point + "5"},
        {"500", "abc", true, "0"},   {"abc", "2", true, "0"},     {"250", "1,5", false, ""},
        {"250", "1,5", true, "375"}};
    for (const Case& c : cases) {
        ui.cbSkala->setEditText(c.scale);
        ui.txtSygFontHeight->setText(c.height);
        ui.chkTextScaled->setChecked(c.ticked);
        EXPECT_EQ(ui.labScaled->text(), c.shown) << c.scale.toStdString() << c.height.toStdString();
    }
    ui.cbSkala->setCurrentIndex(3); // "1000" from the list
    EXPECT_EQ(ui.labScaled->text(), "1500");
}

TEST(SettingsDialog, OkWritesTheSettingsTheRunAndTheDrawing)
{
    struct Case {
        const char* name;
        QString scaleTyped;
        std::string skala; // the drawing's afterwards
        short runScale;
        QByteArray detectorRead; // hidden: goes back as read
        QString detectorWritten;
        bool drawingOpen = true, hostConnected = true;
    };
    const Case cases[] = {
        {"typed scale", "1000", "1000", 1000, "2", "2"},
        {"not a number", "abc", "1", 1, "7", "7"},
        {"zero", "0", "1", 1, "-1", "-1"},
        {"no drawing open", "250", "500", 250, "", "0", false},
        {"no host", "250", "500", 250, "1", "1", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogRun run;
        run.lists.suite.writeBytes(kIni,
                                   "[OstatnioUzyte]\r\nDomyslnyDetektor=" + c.detectorRead
                                       + "\r\nCzcionkaOpisuSygnSzer=0,8\r\n");
        if (!c.drawingOpen)
            run.lists.closeDrawing();
        if (!c.hostConnected)
            run.lists.session.app = nullptr;
        auto dialog = run.open();
        ChangeEveryVisibleControl(dialog->ui(), c.scaleTyped);
        dialog->ui().cmdOK->click();

        EXPECT_EQ(run.optionsForm.calls,
                  QStringList({"caption", QStringLiteral("scale %1").arg(c.runScale), "label"}));
        EXPECT_EQ(run.skala(), c.skala);
        const QStringList written{run.ini("OpisyWarunkowych"),
                                  run.ini("CzyPytNumInwSyg"),
                                  run.ini("SkalujTekst", "LUMO_Sygnalizatory"),
                                  run.ini("FormatPR"),
                                  run.ini("CzcionkaOpisuSygnWys"),
                                  run.ini("CzcionkaOpisuSygnSzer"),
                                  run.ini("DomyslnyDetektor")};
        EXPECT_EQ(written, QStringList({"0", "0", "0", "1", "2,5", "0,8", c.detectorWritten}));
        EXPECT_FALSE(run.lists.startup.textScaling);
        EXPECT_EQ(run.lists.settings.formatPR, 1);
        EXPECT_EQ(run.lists.settings.signalFontHeight, "2,5");
        EXPECT_TRUE(run.lists.dialogs.calls().empty() && run.lists.hostMessages.empty());
    }
}

// A host that will not take the scale is heard of; the run goes on with the
// new scale, the drawing keeps its old one.
TEST(SettingsDialog, AScaleTheHostRefusesIsReported)
{
    struct Case {
        const char* name;
        test::Failure failure;
        QString said;
    };
    const QString unsaved = QStringLiteral("\r\nSkala nie została zapisana w rysunku.");
    const Case cases[] = {
        {"busy", [] { throw cad::HostBusy("Call was rejected by callee."); },
         QStringLiteral("Program AutoCAD nie odpowiada.") + unsaved},
        {"failure", [] { throw cad::HostError("Automation error"); },
         QStringLiteral("Program AutoCAD zgłosił błąd:\r\n[Automation error]") + unsaved},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DialogRun run;
        run.lists.session.app = std::make_shared<test::FailingApplication>(run.lists.app, c.failure);
        run.lists.dialogs.acceptMessages(1);
        auto dialog = run.open();
        dialog->ui().cbSkala->setEditText("1000");
        dialog->ui().cmdOK->click();
        EXPECT_EQ(run.optionsForm.calls, QStringList({"caption", "scale 1000", "label"}));
        EXPECT_EQ(run.skala(), "500");
        const auto messages = run.lists.dialogs.messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].title, QStringLiteral("LUMO_Sygnalizacja"));
        EXPECT_EQ(messages[0].text, c.said);
        EXPECT_EQ(messages[0].icon, DialogIcon::Exclamation);
    }
}

TEST(SettingsDialog, CancelWritesNothing)
{
    DialogRun run;
    const QByteArray before = "; r\xEA"
                              "cznie\r\n[OstatnioUzyte]\r\nFormatPR = 0\r\nDomyslnyDetektor=1\r\n";
    run.lists.suite.writeBytes(kIni, before);
    auto dialog = run.open();
    ChangeEveryVisibleControl(dialog->ui(), "1000");
    dialog->ui().txtSygFontWdth->setText("0.9");
    dialog->ui().cmbDomDetektor->setCurrentIndex(2);
    dialog->ui().cmdCancel->click();

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(run.lists.suite.readBytes(kIni), before);
    EXPECT_EQ(run.skala(), "500");
    EXPECT_TRUE(run.optionsForm.calls.isEmpty());
    EXPECT_TRUE(run.lists.startup.textScaling);
    EXPECT_EQ(run.lists.settings.formatPR, 0);
}

} // namespace
} // namespace lumo
