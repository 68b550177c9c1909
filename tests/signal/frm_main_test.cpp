// The options form driven through its real widgets: start-up, the click
// rules and the lookup's selections.
#include "signal_run.h"

#include "failing_host.h"
#include "scoped_current_folder.h"
#include "settings/ini_file.h"
#include "ui_frmMain.h"
#include "util/files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace lumo::test {
namespace {

class OptionsForm : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildSuite(suite);
        drawing = WriteDrawing(suite, setup);
    }

    SignalRun& startWith(const QStringList& words)
    {
        run = std::make_unique<SignalRun>(suite, drawing);
        run->start(words);
        return *run;
    }

    Ui::frmMain& ui() { return run->form->ui(); }
    frmMain& form() { return *run->form; }
    QString label() { return ui().Label3->text(); }

    TempSuite suite;
    DrawingSetup setup;
    std::string drawing;
    std::unique_ptr<SignalRun> run;
};

TEST_F(OptionsForm, StartUpWithAVehicleHeadShowsItsOptionsAndDesignation)
{
    startWith({"S-3wp"});
    EXPECT_TRUE(run->endReasons.isEmpty());
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Rodzaj i oznaczenie sygnalizatora w.1.0.5"));
    EXPECT_TRUE(ui().chkRodzSyg0->isChecked());
    EXPECT_EQ(ui().cmbRdz2Syg->currentText(), QStringLiteral("Kierunkowy na wprost i w prawo"));
    EXPECT_EQ(form().state().signalSymbol, QStringLiteral("S-3wp"));
    EXPECT_TRUE(ui().chkFiSocz0->isChecked());
    EXPECT_TRUE(ui().chkOrientGeo0->isChecked()); // nothing remembered: north
    EXPECT_EQ(form().state().designation.orientationCode, 1);
    // The drawing keeps no intersection and none was preselected.
    EXPECT_EQ(label(), QStringLiteral("Sygnalizator: 26-15//K1"));
    EXPECT_EQ(run->startup.cityDataFolder, suite.path(QStringLiteral("Dane\\Miasto")));
    EXPECT_TRUE(run->dialogs.calls().empty());
}

// The installer's registry values name the city relative to the suite. A
// program started from another folder (a CAD macro's, a double click on the
// program) reads the city's lists all the same.
TEST_F(OptionsForm, ACityNamedRelativeToTheSuiteIsFoundFromAnyFolder)
{
    suite.writeCityRegistry(QStringLiteral("Dane"), QStringLiteral("Miasto"));
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    const ScopedCurrentFolder startedElsewhere(elsewhere.path());
    ASSERT_TRUE(startedElsewhere.changed());

    startWith({"S-3wp"});
    EXPECT_TRUE(run->endReasons.isEmpty());
    EXPECT_TRUE(run->dialogs.calls().empty());
    EXPECT_EQ(run->startup.cityDataFolder, QStringLiteral("Dane\\Miasto"));
    ASSERT_EQ(ui().cmbNumSkrzyz->count(), 2);
    EXPECT_EQ(ui().cmbNumSkrzyz->itemText(1), QStringLiteral("12 Plac Żelazny"));
}

TEST_F(OptionsForm, TheDrawingsIntersectionIsPreselected)
{
    setup.intersection = "987";
    drawing = WriteDrawing(suite, setup);
    startWith({"S-1"});
    EXPECT_EQ(ui().cmbNumSkrzyz->currentText(), QStringLiteral("987 Rondo Kwiatowa"));
    EXPECT_EQ(label(), QStringLiteral("Sygnalizator: 26-15/987/K1"));
}

TEST_F(OptionsForm, CommandLineWordsChooseTheSuiteMarkerAndHelpFile)
{
    struct Case {
        QStringList words;
        bool marker;
    };
    const Case cases[] = {
        {{"S-1KOM", "BREV"}, true},
        {{"S-1", "brev"}, true},
        {{"S-1", "X", "BREV"}, false},
        {{"S-1"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.words.join(' ').toStdString());
        startWith(c.words);
        EXPECT_EQ(run->startup.suiteMarkerMode, c.marker);
        if (c.marker) {
            EXPECT_EQ(run->startup.helpFile, suite.programFolder() + QStringLiteral("\\BrevHelp.chm>MAIN"));
            EXPECT_EQ(run->startup.helpContext, 10256);
        } else {
            EXPECT_EQ(run->startup.helpContext, 10011);
        }
        EXPECT_TRUE(run->endReasons.isEmpty());
    }
}

// The input box keeps the case it was typed in, and the test of "pr" is
// exact: an upper-case symbol gives pedestrians.
TEST_F(OptionsForm, WithoutASymbolTheInputBoxAsksForOne)
{
    struct Case {
        QString typed, symbol; // the symbol kept, trimmed
        int kind;
    };
    const Case cases[] = {{"  S-2p  ", "S-2p", KindVehicles}, {"S-5PR", "S-5", KindPedestrians}};
    for (const auto& [typed, symbol, kind] : cases) {
        SCOPED_TRACE(typed.toStdString());
        run = std::make_unique<SignalRun>(suite, drawing);
        run->dialogs.answerInput(typed);
        run->start({});
        ASSERT_EQ(run->dialogs.calls().size(), 1u);
        EXPECT_EQ(run->dialogs.calls()[0].kind, DialogCall::Kind::Input);
        EXPECT_EQ(run->dialogs.calls()[0].text, QStringLiteral("Podaj nazwę sygnalizatora:"));
        EXPECT_TRUE(run->endReasons.isEmpty());
        EXPECT_EQ(form().state().signalSymbol, symbol);
        EXPECT_TRUE(form().chkRodzSyg[kind]->isChecked());
    }
}

TEST_F(OptionsForm, NoSymbolAtAllEndsTheProgramBeforeTheHostIsReached)
{
    run = std::make_unique<SignalRun>(suite, drawing);
    run->dialogs.answerInput(QString());
    run->dialogs.acceptMessages(1);
    run->start({});
    const auto messages = run->dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, QStringLiteral("Brak parametru sygnalizatora"));
    EXPECT_EQ(messages[0].text,
              QStringLiteral("Moduł wymaga przekazania symbolu sygnalizatora jako parametru, np. S-1"));
    EXPECT_EQ(messages[0].icon, DialogIcon::Information);
    EXPECT_EQ(run->endReasons.size(), 1);
    EXPECT_FALSE(run->host.app);
}

class NoHost : public cad::HostProvider {
public:
    std::shared_ptr<cad::Application> attach() override { throw cad::HostError("not running"); }
    std::shared_ptr<cad::Application> create() override { throw cad::HostError("cannot start"); }
};

TEST_F(OptionsForm, WithoutAHostTheFormStaysAsDesigned)
{
    run = std::make_unique<SignalRun>(suite, drawing);
    NoHost noHost;
    run->form = std::make_unique<frmMain>(*run->ctx, noHost, *run->placement);
    run->dialogs.acceptMessages(1);
    run->start({"S-3wp"});
    const auto messages = run->dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, QStringLiteral("LUMO_Sygnalizatory"));
    EXPECT_EQ(messages[0].text, QStringLiteral("Nie można nawiązać połączenia z programem:\r\n[AutoCAD]"));
    EXPECT_TRUE(run->endReasons.isEmpty());
    EXPECT_TRUE(form().isVisible());
    EXPECT_EQ(form().windowTitle(), QStringLiteral("Rodzaj i oznaczenie sygnalizatora"));
    EXPECT_EQ(label(), QStringLiteral("Sygnalizator: /???") + QStringLiteral("/?0"));
}

// A host that goes on refusing calls at start-up: its drawing's scale is
// unknown, not 1, so the run stops and says why instead of placing the head
// at the wrong size.
class BusyHost : public cad::HostProvider {
public:
    explicit BusyHost(cad::HostProvider& real) : real_(real) { }
    std::shared_ptr<cad::Application> attach() override { return busy(real_.attach()); }
    std::shared_ptr<cad::Application> create() override { return busy(real_.create()); }

private:
    static std::shared_ptr<cad::Application> busy(std::shared_ptr<cad::Application> app)
    {
        return std::make_shared<FailingApplication>(
            std::move(app), [] { throw cad::HostBusy("Call was rejected by callee."); });
    }
    cad::HostProvider& real_;
};

TEST_F(OptionsForm, ABusyHostAtStartUpIsReportedNotReadAsScaleOne)
{
    run = std::make_unique<SignalRun>(suite, drawing);
    BusyHost busy(*run->provider);
    run->form = std::make_unique<frmMain>(*run->ctx, busy, *run->placement);
    run->dialogs.acceptMessages(1);
    run->start({"S-1"});
    const auto messages = run->dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, QStringLiteral("LUMO_Sygnalizacja"));
    EXPECT_EQ(messages[0].text, QStringLiteral("Program AutoCAD nie odpowiada.\r\nUstawianie zostało przerwane."));
    EXPECT_EQ(messages[0].icon, DialogIcon::Exclamation);
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("host not responding")});
}

TEST_F(OptionsForm, TheRememberedOrientationIsSelected)
{
    struct Case {
        QString remembered;
        int index;
    };
    const Case cases[] = {{"7", 6}, {"", 0}, {"3", 2}, {"12", 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.remembered.toStdString());
        WriteIniString(suite.settingsFile(), QStringLiteral("OstatnioUzyte"), QStringLiteral("Orientacja00"),
                       c.remembered);
        startWith({"S-1"});
        EXPECT_TRUE(form().chkOrientGeo[c.index]->isChecked());
        EXPECT_EQ(form().state().designation.orientationCode, c.index + 1);
        EXPECT_TRUE(label().endsWith(QStringLiteral("/K") + QString::number(c.index + 1)));
    }
}

// The symbol on the command line selects kind, type and lens on the form.
TEST_F(OptionsForm, TheLookupSelectsTheSymbolsOptions)
{
    struct Case {
        QString word;
        int kind;
        int typeIndex; // -1: the type list stays empty
        QString symbol;
        int lens;
        QString kindCode;
    };
    const Case cases[] = {
        {"S-3wp", 0, 8, "S-3wp", 0, "K"},        {"s-5pr", 4, -1, "S-5pr", 1, "PR"},
        {"S-5plk", 3, 1, "S-5plk", 1, "P"},      {"STK-LW", 2, 4, "STK-LW", 1, "T"},
        {"S-pomocn", 0, 15, "S-pomocn", 2, "K"}, {"S-B", 1, -1, "S-B", 1, "B"},
        {"S-6", 5, -1, "S-6", 1, "R"},           {"ST", 2, 0, "ST", 1, "T"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.word.toStdString());
        startWith({c.word});
        ASSERT_TRUE(run->endReasons.isEmpty());
        EXPECT_TRUE(form().chkRodzSyg[c.kind]->isChecked());
        EXPECT_EQ(ui().cmbRdz2Syg->currentIndex(), c.typeIndex);
        EXPECT_EQ(ui().cmbRdz2Syg->isEnabled(), c.typeIndex >= 0);
        EXPECT_EQ(form().state().signalSymbol, c.symbol);
        EXPECT_TRUE(form().chkFiSocz[c.lens]->isChecked());
        EXPECT_EQ(form().state().designation.kindCode, c.kindCode);
    }
}

TEST_F(OptionsForm, TheLookupCountsAntiGlareInsertsByHeadWhileFiltersAreChosen)
{
    startWith({"S-1"});
    EXPECT_TRUE(form().LookUpSymbol(QStringLiteral("S-4")));
    EXPECT_EQ(form().state().antiGlareCount, 0); // no filters chosen yet

    ui().chkWkladyAntyZl->click();
    const std::pair<QString, short> cases[] = {
        {"S-4", 2},   {"S-1KOM", 1}, {"S-7", 1},   {"S-1", 3}, {"s-1kom", 3}, {"ST", 2},
        {"STK-P", 2}, {"S-5", 2},    {"S-5pr", 2}, {"S-B", 3}, {"S-6", 2},
    };
    for (const auto& [symbol, count] : cases) {
        SCOPED_TRACE(symbol.toStdString());
        form().state().antiGlareCount = -1;
        EXPECT_TRUE(form().LookUpSymbol(symbol));
        EXPECT_EQ(form().state().antiGlareCount, count);
    }
    EXPECT_TRUE(run->endReasons.isEmpty());
}

TEST_F(OptionsForm, PedestrianAndCyclistDesignationFollowsFormatPR)
{
    WriteIniString(suite.settingsFile(), QStringLiteral("OstatnioUzyte"), QStringLiteral("FormatPR"),
                   QStringLiteral("1"));
    startWith({"s-5pr"});
    EXPECT_EQ(label(), QStringLiteral("Sygnalizator: 26-15//P1aR1a"));
    // The kind rule clears the additional-head option but keeps its text.
    ui().chkRodzSyg0->click();
    EXPECT_EQ(label(), QStringLiteral("Sygnalizator: 26-15//K1a"));
}

TEST_F(OptionsForm, KindRulesSetListsSymbolsAndEquipment)
{
    startWith({"S-1"});
    struct Case {
        int kind;
        int types;
        QString symbol;
        int lens; // before acceptance
        bool directional; // "Kierunkowy" selected
        bool acoustic; // chkSygnAkust enabled
    };
    const Case cases[] = {
        {3, 2, "S-5", 1, true, true},  {0, 17, "S-1", 0, false, false}, {4, 0, "S-5pr", 0, true, true},
        {2, 8, "ST", 1, false, false}, {1, 0, "S-B", 1, false, false},  {5, 0, "S-6", 1, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        form().chkRodzSyg[c.kind]->click();
        EXPECT_EQ(ui().cmbRdz2Syg->count(), c.types);
        EXPECT_EQ(ui().cmbRdz2Syg->isEnabled(), c.types > 0);
        EXPECT_EQ(form().state().signalSymbol, c.symbol);
        EXPECT_TRUE(form().chkFiSocz[c.lens]->isChecked());
        EXPECT_EQ(form().chkPowtStr[1]->isChecked(), c.directional);
        if (c.directional) {
            EXPECT_TRUE(ui().cmbStrum->isEnabled());
        }
        EXPECT_EQ(ui().chkSygnAkust->isEnabled(), c.acoustic);
        EXPECT_EQ(ui().chkUstawDetektory->isEnabled(), c.kind >= 3);
        EXPECT_TRUE(label().contains(QStringLiteral("/") + KindCodes()[c.kind]));
    }
}

TEST_F(OptionsForm, VehiclesAfterPedestriansClearThePushButtonsAndAdditionalHeads)
{
    startWith({"S-1"});
    form().chkRodzSyg[KindPedestrians]->click();
    ui().chkUstawDetektory->click();
    ASSERT_TRUE(form().state().pushButtons);
    ASSERT_TRUE(ui().cmbStrum->isEnabled());

    form().chkRodzSyg[KindVehicles]->click();
    EXPECT_FALSE(ui().chkUstawDetektory->isEnabled());
    EXPECT_FALSE(ui().chkUstawDetektory->isChecked());
    EXPECT_FALSE(form().state().pushButtons);
    for (int i : {0, 1, 2})
        EXPECT_FALSE(form().chkPowtStr[i]->isChecked());
    // The combos and the suffix wait for the next additional-head click.
    EXPECT_TRUE(ui().cmbStrum->isEnabled());
    EXPECT_EQ(form().state().designation.suffix, QStringLiteral("a"));
}

TEST_F(OptionsForm, TypeRulesChooseTheLensOnlyBeforeAcceptance)
{
    startWith({"S-1"});
    ui().cmbRdz2Syg->setCurrentIndex(15);
    EXPECT_EQ(form().state().signalSymbol, QStringLiteral("S-pomocn"));
    EXPECT_TRUE(ui().chkFiSocz2->isChecked());
    EXPECT_EQ(form().state().lensDiameter, 100);
    ui().cmbRdz2Syg->setCurrentIndex(4);
    EXPECT_TRUE(ui().chkFiSocz0->isChecked());
    EXPECT_EQ(form().state().lensDiameter, 300);

    form().state().placementStarted = true;
    ui().cmbRdz2Syg->setCurrentIndex(15);
    EXPECT_EQ(form().state().signalSymbol, QStringLiteral("S-pomocn"));
    EXPECT_TRUE(ui().chkFiSocz0->isChecked());
}

TEST_F(OptionsForm, AdditionalHeadsAndStopLineBuildTheDesignation)
{
    startWith({"S-1"});
    struct Step {
        std::function<void(Ui::frmMain&)> act;
        QString code;
    };
    const Step steps[] = {
        {[](Ui::frmMain& u) { u.chkPowtStr0->click(); }, "K1p"},
        {[](Ui::frmMain& u) { u.cmbPowt->setCurrentIndex(3); }, "K1p3"},
        {[](Ui::frmMain& u) { u.cmbStrum->setCurrentIndex(10); }, "K1p3"}, // not the chosen list
        {[](Ui::frmMain& u) { u.chkPowtStr1->click(); }, "K1k"},
        {[](Ui::frmMain& u) { u.chkPowtStr2->click(); }, "K1ap"},
        {[](Ui::frmMain& u) { u.cmbPowtStrum->setCurrentIndex(32); }, "K1kp2"},
        {[](Ui::frmMain& u) { u.chkLinZatrz->click(); }, "K11kp2"},
        {[](Ui::frmMain& u) { u.cmbLinZatrz->setCurrentIndex(7); }, "K81kp2"},
        {[](Ui::frmMain& u) { u.chkOrientGeo7->click(); }, "K88kp2"},
        {[](Ui::frmMain& u) { u.chkLinZatrz->click(); }, "K8kp2"},
        {[](Ui::frmMain& u) { u.chkPowtStr3->click(); }, "K8"},
    };
    int n = 0;
    for (const auto& step : steps) {
        SCOPED_TRACE(n++);
        step.act(ui());
        EXPECT_EQ(form().state().designation.SignalCode, step.code);
        EXPECT_EQ(label(), QStringLiteral("Sygnalizator: 26-15//") + step.code);
    }
    EXPECT_FALSE(ui().cmbLinZatrz->isEnabled());
    EXPECT_FALSE(ui().Label2->isEnabled());
    EXPECT_FALSE(ui().cmbPowtStrum->isEnabled());
}

TEST_F(OptionsForm, EquipmentRules)
{
    startWith({"S-1"});
    ui().chkEkrany->click();
    EXPECT_TRUE(ui().optRodzEkran0->isEnabled());
    EXPECT_TRUE(ui().optRodzEkran0->isChecked());
    EXPECT_EQ(form().state().screenSymbol, QStringLiteral("EKP"));
    EXPECT_TRUE(form().state().screens);
    ui().optRodzEkran1->click();
    EXPECT_EQ(form().state().screenSymbol, QStringLiteral("EKO"));
    ui().chkEkrany->click();
    EXPECT_FALSE(ui().optRodzEkran1->isEnabled());
    EXPECT_FALSE(form().state().screens);
    EXPECT_EQ(form().state().screenSymbol, QStringLiteral("EKO"));

    ui().chkWkladyAntyZl->click();
    EXPECT_TRUE(form().state().antiGlare);
    form().state().antiGlareCount = 3;
    ui().chkWkladyAntyZl->click();
    EXPECT_EQ(form().state().antiGlareCount, 0);
}

TEST_F(OptionsForm, TheIntersectionNumberIsTheTextBeforeTheFirstBlank)
{
    startWith({"S-1"});
    ui().cmbNumSkrzyz->setCurrentIndex(1);
    EXPECT_EQ(form().state().designation.intersectionNumber, QStringLiteral("12"));
    EXPECT_TRUE(form().state().intersectionChosen);
    EXPECT_EQ(label(), QStringLiteral("Sygnalizator: 26-15/12/K1"));

    ui().cmbNumSkrzyz->setEditText(QStringLiteral("555"));
    ui().cmdDodajWpis->click();
    EXPECT_EQ(form().state().designation.intersectionNumber, QStringLiteral("555"));
    EXPECT_TRUE(suite.readBytes(QStringLiteral("Dane\\Miasto\\Ulic\\Skrzyzowania.lst")).endsWith("555\r\n"));
}

TEST_F(OptionsForm, AcceptWithoutAnIntersectionKeepsTheFormOpen)
{
    startWith({"S-1"});
    ui().cmbNumSkrzyz->setCurrentIndex(-1);
    ui().cmbNumSkrzyz->setEditText(QStringLiteral("   "));
    run->dialogs.acceptMessages(1);
    ui().cmdAccept->click();
    const auto messages = run->dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("Nie wypełniono pola \"Skrzyżowanie\"!"));
    EXPECT_EQ(messages[0].title, form().windowTitle());
    EXPECT_EQ(messages[0].icon, DialogIcon::Exclamation);
    EXPECT_TRUE(form().isVisible());
    EXPECT_TRUE(run->endReasons.isEmpty());
    EXPECT_FALSE(form().state().placementStarted);
}

TEST_F(OptionsForm, CancelEndsTheProgramWithoutWritingSettings)
{
    startWith({"S-1"});
    ui().cmdCancel->click();
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("cancel")});
    EXPECT_FALSE(FileExists(suite.settingsFile()));
}

TEST_F(OptionsForm, HelpOpensTheCompiledHelpElseTheHtmlPageOfTheContext)
{
    struct Case {
        const char* name;
        QStringList words;
        QStringList files; // written below the suite root
        QString opened; // the end of the document shown, or "" for none
        QString message; // the start of the message shown, or "" for none
    };
    const QString page = QStringLiteral("LUMO\\Programy\\pomoc\\sygnalizator.html");
    const Case cases[] = {
        {"html page", {"S-1"}, {page}, QStringLiteral("/pomoc/sygnalizator.html"), {}},
        {"html page in suite mode", {"S-1", "BREV"}, {page}, QStringLiteral("/pomoc/sygnalizator.html"), {}},
        {"compiled help wins",
         {"S-1"},
         {page, QStringLiteral("LUMO\\Programy\\LUMO.chm")},
         QStringLiteral("/LUMO.chm"),
         {}},
        {"suite's compiled help",
         {"S-1", "BREV"},
         {page, QStringLiteral("LUMO\\Programy\\BrevHelp.chm")},
         QStringLiteral("/BrevHelp.chm"),
         {}},
        {"neither", {"S-1"}, {}, {}, QStringLiteral("Nie znaleziono pliku pomocy\r\n[")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempSuite fresh;
        BuildSuite(fresh);
        for (const QString& file : c.files)
            fresh.writeBytes(file, "<html></html>");
        run = std::make_unique<SignalRun>(fresh, WriteDrawing(fresh, setup));
        run->start(c.words);
        if (!c.message.isEmpty())
            run->dialogs.acceptMessages(1);
        ui().cmdHelp->click();

        const auto& shown = run->dialogs.documents();
        EXPECT_EQ(shown.size(), c.opened.isEmpty() ? 0u : 1u);
        if (!c.opened.isEmpty() && shown.size() == 1) {
            EXPECT_TRUE(shown[0].isLocalFile());
            EXPECT_TRUE(shown[0].toLocalFile().endsWith(c.opened)) << shown[0].toString().toStdString();
        }
        const auto messages = run->dialogs.messages();
        EXPECT_EQ(messages.size(), c.message.isEmpty() ? 0u : 1u);
        if (!c.message.isEmpty() && messages.size() == 1) {
            EXPECT_TRUE(messages[0].text.startsWith(c.message));
            EXPECT_EQ(messages[0].title, QStringLiteral("LUMO_Sygnalizacja"));
            EXPECT_TRUE(messages[0].text.endsWith(QStringLiteral("sygnalizator.html]")));
        }
        run.reset();
    }
}

} // namespace
} // namespace lumo::test
