// Whole placements on the embedded host: the designer's input comes from a
// script, the dialogs from the recording double, and the result is read back
// from the saved drawing file and the settings file.
#include "signal_run.h"

#include "scoped_env.h"

#include "settings/ini_file.h"
#include "ui_frmMain.h"
#include "util/files.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRadioButton>
#include <QTimer>

#include <cmath>
#include <map>

#include <gtest/gtest.h>

namespace lumo::test {
namespace {

using cad::embedded::InputAnswer;

QString Ini(const TempSuite& suite, const QString& key)
{
    return ReadIniString(suite.settingsFile(), QStringLiteral("OstatnioUzyte"), key,
                         QStringLiteral("<none>"));
}

class Placement : public ::testing::Test {
protected:
    void SetUp() override { BuildSuite(suite); }

    // Starts, chooses the intersection "987", accepts and plays the follow-up.
    SignalRun& place(const QStringList& words, std::vector<InputAnswer> script,
                     const std::function<void(frmMain&)>& choose = {})
    {
        run = std::make_unique<SignalRun>(suite, drawing, std::move(script));
        run->polishHost = polishHost;
        run->start(words);
        EXPECT_TRUE(run->endReasons.isEmpty()) << run->endReasons.join(';').toStdString();
        auto& ui = run->form->ui();
        ui.cmbNumSkrzyz->setCurrentIndex(0);
        if (choose)
            choose(*run->form);
        ui.cmdAccept->click();
        run->runFollowUp();
        run->save();
        return *run;
    }

    TempSuite suite;
    std::string drawing;
    std::unique_ptr<SignalRun> run;
    bool polishHost = false;
};

TEST_F(Placement, VehicleHeadWithScreenEndToEnd)
{
    WriteIniString(suite.settingsFile(), QStringLiteral("OstatnioUzyte"), QStringLiteral("Orientacja00"),
                   QStringLiteral("7"));
    WriteIniString(suite.settingsFile(), QStringLiteral("OstatnioUzyte"),
                   QStringLiteral("CzcionkaOpisuSygnWys"), QStringLiteral("0,6"));
    drawing = WriteDrawing(suite, {});
    AnswerDescriptionForm({});
    // The run may cross midnight: its date is one of the two.
    const std::string dayBefore = QDate::currentDate().toString("yyyy.MM.dd").toStdString();
    place({"S-3wp"}, {InputAnswer::pointAt(100, 200), InputAnswer::angle(30), InputAnswer::pointAt(110, 215)},
          [](frmMain& form) { form.ui().chkEkrany->click(); });
    const std::string dayAfter = QDate::currentDate().toString("yyyy.MM.dd").toStdString();

    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("head placed")});
    EXPECT_TRUE(run->dialogs.calls().empty());
    EXPECT_EQ(run->input->remaining(), 0u);

    const auto doc = run->savedDrawing();
    // The block definition with its attribute definitions.
    const auto block = doc.findBlock("S-3wp");
    ASSERT_TRUE(block);
    ASSERT_EQ(block->attributeDefinitions().size(), 19u);
    EXPECT_EQ(block->attributeDefinitions().front().tag(), "OBIEKT");
    for (const auto& definition : block->attributeDefinitions()) {
        EXPECT_DOUBLE_EQ(definition.height(), 3.5);
        EXPECT_EQ(definition.flags(), dxf::kAttInvisible | dxf::kAttPreset);
    }

    // The head: one reference on its layer, turned and scaled.
    const auto heads = ReferencesOf(doc, "S-3wp");
    ASSERT_EQ(heads.size(), 1u);
    const auto& head = heads[0];
    EXPECT_EQ(head.layer(), "110-SYGNALIZACJA_KOMORY");
    EXPECT_NEAR(head.rotation(), 30.0, 1e-9);
    EXPECT_NEAR(head.scale().x, 5.0, 1e-12);
    EXPECT_NEAR(head.insertionPoint().x, 100.0, 1e-9);
    EXPECT_NEAR(head.insertionPoint().y, 200.0, 1e-9);
    auto values = AttributesOf(head);
    EXPECT_EQ(values["SYMBOL"], "S-3wp");
    EXPECT_EQ(values["INWENT_NUMER"], "26-15/987/K7");
    EXPECT_EQ(values["NUMER_SKRZYZ"], "987");
    EXPECT_EQ(values["TYP"], "Sygnalizator LED 1");
    EXPECT_EQ(values["SREDN_SOCZ"], "300");
    EXPECT_EQ(values["ZRODLO_SW"], "L1");
    EXPECT_EQ(values["WKLADY_ANTYZL"], "0");
    EXPECT_EQ(values["SYGN_AKUST"], "");
    EXPECT_EQ(values["KTO_NANIOSL"], "Jan Kowalski");
    EXPECT_EQ(values["NAZWA_ULICY"], "Kwiatowa");
    EXPECT_EQ(values["ZLECENIE_WNIOS"], "Zarząd Dróg Miejskich");
    EXPECT_EQ(values["ZLECENIE_NUMER"], "ZL/7/2024");
    EXPECT_EQ(values["UWAGI"], "uwagi żółte");
    EXPECT_TRUE(values["INWENT_DATA"] == dayBefore || values["INWENT_DATA"] == dayAfter)
        << values["INWENT_DATA"];

    // The description, on its layer, with the head's turn and the scaled height.
    const auto texts = TextsOf(doc);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].value(), "K7");
    EXPECT_EQ(texts[0].layer(), "112-OPIS_SYGNALIZACJI");
    EXPECT_EQ(texts[0].colour(), 1);
    EXPECT_NEAR(texts[0].height(), 300.0, 1e-9);
    EXPECT_NEAR(texts[0].rotation(), 30.0, 1e-9);
    EXPECT_NEAR(texts[0].insertionPoint().x, 110.0, 1e-9);
    const auto style = doc.findTextStyle("SYGN_OPISY_TXT");
    ASSERT_TRUE(style);
    EXPECT_DOUBLE_EQ(style->height(), 1000.0);
    EXPECT_EQ(doc.headerText("$CLAYER"), std::optional<std::string>("110-SYGNALIZACJA_KOMORY"));
    EXPECT_EQ(doc.headerText("$TEXTSTYLE"), std::optional<std::string>("SYGN_OPISY_TXT"));

    // The screen: at the head, turned with it, a hundredth of the scale.
    const auto screenBlock = doc.findBlock("EKP");
    ASSERT_TRUE(screenBlock);
    const auto screens = ReferencesOf(doc, "EKP");
    ASSERT_EQ(screens.size(), 1u);
    EXPECT_NEAR(screens[0].scale().x, 5.0, 1e-12);
    EXPECT_NEAR(screens[0].rotation(), 30.0, 1e-9);
    EXPECT_NEAR(screens[0].insertionPoint().x, 100.0, 1e-9);
    auto screenValues = AttributesOf(screens[0]);
    EXPECT_EQ(screenValues["INWENT_NUMER"], "26-15/987/K7");
    EXPECT_EQ(screenValues.count("TYP"), 0u);

    EXPECT_EQ(doc.customProperty("ONUMERSKRZYZ"), std::optional<std::string>("987"));
    EXPECT_EQ(doc.customProperty("OSTULICA"), std::optional<std::string>("Kwiatowa"));

    EXPECT_EQ(Ini(suite, QStringLiteral("NumerZlecenia00")), QStringLiteral("ZL/7/2024"));
    EXPECT_EQ(Ini(suite, QStringLiteral("Operator00")), QStringLiteral("Jan Kowalski"));
    EXPECT_EQ(Ini(suite, QStringLiteral("Orientacja00")), QStringLiteral("7"));
    EXPECT_EQ(Ini(suite, QStringLiteral("CzyUstawPetle")), QStringLiteral("0"));

    if (const auto errors = AuditErrors(run->drawingPath)) {
        EXPECT_TRUE(errors->isEmpty()) << errors->toStdString();
    }
}

TEST_F(Placement, PedestrianAndCyclistHeadFromALowerCaseSymbol)
{
    WriteIniString(suite.settingsFile(), QStringLiteral("LUMO_Sygnalizatory"), QStringLiteral("SkalujTekst"),
                   QStringLiteral("0"));
    drawing = WriteDrawing(suite, {});
    // This run takes its drawing and designer from the environment, as the
    // program started from the suite's shell does.
    const QString script = suite.nativePath(
        suite.writeBytes(QStringLiteral("wejscie.txt"), "# head\npoint 10 20\nangle 90\n\npoint 12 25\n"));
    {
        const ScopedEnv input("LUMO_CAD_INPUT", script.toLocal8Bit());
        const ScopedEnv drawingFile("LUMO_CAD_DRAWING", QByteArray::fromStdString(drawing));
        const ScopedEnv config("XDG_CONFIG_HOME",
                               suite.nativePath(suite.makeFolder(QStringLiteral("cfg"))).toLocal8Bit());
        run = std::make_unique<SignalRun>(suite, SignalRun::FromEnvironment{});
        AnswerDescriptionForm({});
        run->start({"s-5pr"}); // the host is made here
    }
    ASSERT_TRUE(run->endReasons.isEmpty());
    run->form->ui().cmbNumSkrzyz->setCurrentIndex(0);
    run->form->ui().chkSygnAkust->click();
    run->form->ui().chkWkladyAntyZl->click();
    run->form->ui().cmdAccept->click();
    run->runFollowUp();
    run->save();
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("head placed")});

    const auto doc = run->savedDrawing();
    const auto heads = ReferencesOf(doc, "S-5pr");
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_NEAR(heads[0].rotation(), 90.0, 1e-9);
    auto values = AttributesOf(heads[0]);
    EXPECT_EQ(values["SYMBOL"], "S-5/6");
    EXPECT_EQ(values["RODZAJ"], "pieszy i rowerowy");
    EXPECT_EQ(values["INWENT_NUMER"], "26-15/987/PR1a");
    EXPECT_EQ(values["SREDN_SOCZ"], "200");
    EXPECT_EQ(values["SYGN_AKUST"], "TAK");
    EXPECT_EQ(values["WKLADY_ANTYZL"], "2");
    const auto texts = TextsOf(doc);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].value(), "PR1a");
    EXPECT_NEAR(texts[0].height(), 1.0, 1e-9); // no scaling with the drawing
    EXPECT_TRUE(ReferencesOf(doc, "EKP").empty());
}

TEST_F(Placement, ConditionalTurnHeadGetsASecondDescription)
{
    drawing = WriteDrawing(suite, {});
    AnswerDescriptionForm({});
    place({"S-2p"},
          {InputAnswer::pointAt(0, 0), InputAnswer::angle(0), InputAnswer::pointAt(5, 5),
           InputAnswer::pointAt(5, 9)});
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("head placed")});
    const auto doc = run->savedDrawing();
    const auto texts = TextsOf(doc);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].value(), "K1");
    EXPECT_EQ(texts[1].value(), "SK1");
}

// A host that speaks English marks a cancel "*Cancel*", a Polish one "*Anulowano*".
TEST_F(Placement, CancelInTheHostEndsSilently)
{
    for (const bool polish : {false, true}) {
        SCOPED_TRACE(polish ? "Polish host" : "English host");
        polishHost = polish;
        drawing = WriteDrawing(suite, {}, polish ? QStringLiteral("pl.dxf") : QStringLiteral("en.dxf"));
        place({"S-1"}, {InputAnswer::cancel()});
        EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("cancelled in the host")});
        EXPECT_TRUE(run->dialogs.calls().empty());
        EXPECT_NE(run->host.doc->getVariable("LASTPROMPT").find(polish ? "*Anulowano*" : "*Cancel*"),
                  std::string::npos);
        const auto doc = run->savedDrawing();
        EXPECT_TRUE(ReferencesOf(doc, "S-1").empty());
        EXPECT_TRUE(TextsOf(doc).empty());
        EXPECT_EQ(Ini(suite, QStringLiteral("Operator00")), QStringLiteral("<none>"));
    }
}

// A host state that refuses its first calls, as a host busy with a command
// does. On the first refusal it posts an event that notes how many were left.
class RefusingState final : public cad::HostState {
public:
    RefusingState(std::shared_ptr<cad::HostState> real, int refusals)
        : real_(std::move(real)), refusals(refusals)
    {
    }
    std::string typeName() const override { return real_->typeName(); }
    bool isQuiescent() const override
    {
        if (refusals == 0)
            return real_->isQuiescent();
        if (leftWhenEventRan < 0)
            QTimer::singleShot(0, [this] { leftWhenEventRan = refusals; });
        --refusals;
        throw cad::HostBusy("Call was rejected by callee.");
    }
    std::shared_ptr<cad::HostState> real_;
    mutable int refusals;
    mutable int leftWhenEventRan = -1;
};

TEST_F(Placement, BusyHostDuringTheFollowUpIsAskedAgainAtTheNextTick)
{
    drawing = WriteDrawing(suite, {});
    AnswerDescriptionForm({});
    run = std::make_unique<SignalRun>(suite, drawing,
                                      std::vector<InputAnswer>{InputAnswer::pointAt(100, 200),
                                                               InputAnswer::angle(0),
                                                               InputAnswer::pointAt(110, 215)});
    run->start({"S-1"});
    auto refusing = std::make_shared<RefusingState>(run->host.state, 8);
    run->host.state = refusing;
    run->form->ui().cmbNumSkrzyz->setCurrentIndex(0);
    run->form->ui().cmdAccept->click();

    // The real timer drives the follow-up here, as in the program.
    QElapsedTimer clock;
    clock.start();
    while (!run->form->ended() && clock.elapsed() < 30000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

    EXPECT_GT(refusing->leftWhenEventRan, 0); // the interface went on meanwhile
    EXPECT_EQ(refusing->refusals, 0);
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("head placed")});
    run->save();
    EXPECT_EQ(ReferencesOf(run->savedDrawing(), "S-1").size(), 1u);
}

TEST_F(Placement, CancelledDescriptionLeavesTheHeadUndescribed)
{
    WriteIniString(suite.settingsFile(), QStringLiteral("OstatnioUzyte"), QStringLiteral("Operator00"),
                   QStringLiteral("Anna"));
    drawing = WriteDrawing(suite, {});
    DescriptionAnswers answers;
    answers.accept = false;
    AnswerDescriptionForm(answers);
    place({"S-1"}, {InputAnswer::pointAt(1, 1), InputAnswer::angle(0), InputAnswer::pointAt(2, 2)});
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("description not accepted")});
    const auto doc = run->savedDrawing();
    const auto heads = ReferencesOf(doc, "S-1");
    ASSERT_EQ(heads.size(), 1u);
    EXPECT_EQ(AttributesOf(heads[0])["INWENT_NUMER"], "");
    EXPECT_EQ(AttributesOf(heads[0])["OBIEKT"], "sygnalizator");
    EXPECT_EQ(Ini(suite, QStringLiteral("Operator00")), QStringLiteral("Anna"));
    EXPECT_EQ(Ini(suite, QStringLiteral("NumerZlecenia00")), QStringLiteral("<none>"));
    EXPECT_FALSE(doc.customProperty("OSTULICA").has_value());
}

TEST_F(Placement, MissingBlockFileEndsTheProgramWithItsName)
{
    drawing = WriteDrawing(suite, {});
    run = std::make_unique<SignalRun>(suite, drawing);
    run->dialogs.acceptMessages(1);
    run->start({"S-9"});
    const auto messages = run->dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, QStringLiteral("LUMO_Sygnalizacja"));
    EXPECT_EQ(messages[0].icon, DialogIcon::Exclamation);
    const QString folder = suite.path(QStringLiteral("aZasoby\\Sygnalizacja\\Sygnalizatory"));
    EXPECT_EQ(messages[0].text,
              QStringLiteral("Nie znaleziono sygnalizatora s-9.dxf\r\nw folderze [") + DisplayPath(folder)
                  + QStringLiteral("]."));
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("block file missing")});
}

TEST_F(Placement, InvalidSectionNumberIsAskedForOrEndsTheProgram)
{
    struct Case {
        DialogAnswer answer;
        QString typed; // only asked after Yes
        bool goesOn;
    };
    const Case cases[] = {
        {DialogAnswer::No, {}, false},
        {DialogAnswer::Yes, QStringLiteral("26/15"), false},
        {DialogAnswer::Yes, QStringLiteral("30-18"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        DrawingSetup setup;
        setup.section = "26/15";
        drawing = WriteDrawing(suite, setup);
        run = std::make_unique<SignalRun>(suite, drawing);
        run->dialogs.answerMessage(c.answer);
        if (c.answer == DialogAnswer::Yes)
            run->dialogs.answerInput(c.typed);
        run->start({"S-1"});
        const auto& calls = run->dialogs.calls();
        ASSERT_GE(calls.size(), 1u);
        EXPECT_EQ(calls[0].title, QStringLiteral("Komunikat LUMO_Sygnalizacja"));
        EXPECT_EQ(calls[0].text,
                  QStringLiteral("Zawarty w aktywnym dokumencie numer sekcji\r\n[26/15] jest "
                                 "niezgodny z wzorcem.\r\nCzy pomimo tego kontynuować ustawianie "
                                 "sygnalizatora?"));
        EXPECT_EQ(calls[0].buttons, DialogButtons::YesNo);
        if (c.answer == DialogAnswer::Yes) {
            ASSERT_EQ(calls.size(), 2u);
            EXPECT_EQ(calls[1].text, QStringLiteral("Podaj numer sekcji (np. 26-15):"));
            EXPECT_EQ(calls[1].title, QStringLiteral("LUMO_Sygnalizacja - brak numeru sekcji"));
        }
        EXPECT_EQ(run->endReasons.isEmpty(), c.goesOn);
        run->save();
        if (c.goesOn) {
            EXPECT_EQ(run->form->ui().Label3->text(), QStringLiteral("Sygnalizator: 30-18//K1"));
            EXPECT_EQ(run->savedDrawing().customProperty("NUMERSEKCJI"), std::optional<std::string>("30-18"));
        }
    }
}

TEST_F(Placement, DuplicateInventoryNumberIsQuestioned)
{
    drawing = WriteDrawing(suite, {});
    AnswerDescriptionForm({});
    place({"S-1"}, {InputAnswer::pointAt(1, 1), InputAnswer::angle(0), InputAnswer::pointAt(2, 2)});
    ASSERT_EQ(run->endReasons, QStringList{QStringLiteral("head placed")});

    // The same head again: No ends the program before anything is placed.
    run = std::make_unique<SignalRun>(suite, drawing);
    run->dialogs.answerMessage(DialogAnswer::No);
    run->start({"S-1"});
    run->form->ui().cmbNumSkrzyz->setCurrentIndex(0);
    run->form->ui().cmdAccept->click();
    const auto messages = run->dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              QStringLiteral("W aktywnym dokumencie ustawiano już sygnalizator\r\n[26-15/987/K1]."
                             "\r\nCzy kontynuować ustawianie sygnalizatora?"));
    EXPECT_EQ(messages[0].icon, DialogIcon::Question);
    EXPECT_EQ(messages[0].defaultButton, DialogAnswer::No);
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("duplicate inventory number")});
    run->save();
    EXPECT_EQ(ReferencesOf(run->savedDrawing(), "S-1").size(), 1u);

    // With the warning switched off nobody is asked.
    WriteIniString(suite.settingsFile(), QStringLiteral("OstatnioUzyte"), QStringLiteral("CzyPytNumInwSyg"),
                   QStringLiteral("0"));
    AnswerDescriptionForm({});
    place({"S-1"}, {InputAnswer::pointAt(5, 1), InputAnswer::angle(0), InputAnswer::pointAt(6, 2)});
    EXPECT_TRUE(run->dialogs.calls().empty());
    const auto doc = run->savedDrawing();
    EXPECT_EQ(ReferencesOf(doc, "S-1").size(), 2u);
    // The definition made by the first placement is used as it is.
    EXPECT_EQ(doc.findBlock("S-1")->attributeDefinitions().size(), 19u);
}

TEST_F(Placement, AHeadMissingFromTheSymbolTableGetsOnlyTheDescriptionTags)
{
    drawing = WriteDrawing(suite, {});
    AnswerDescriptionForm({});
    place({"S-3lw"}, {InputAnswer::pointAt(1, 1), InputAnswer::angle(0), InputAnswer::pointAt(2, 2)});
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("head placed")});
    const auto doc = run->savedDrawing();
    const auto block = doc.findBlock("S-3lw");
    ASSERT_TRUE(block);
    const auto definitions = block->attributeDefinitions();
    ASSERT_EQ(definitions.size(), 16u);
    EXPECT_EQ(definitions.front().tag(), "INWENT_NUMER");
    EXPECT_EQ(AttributesOf(ReferencesOf(doc, "S-3lw").at(0))["INWENT_NUMER"], "26-15/987/K1");
}

TEST_F(Placement, MissingScreenBlockFileStopsAfterTheDescriptions)
{
    QFile::remove(
        suite.nativePath(suite.path(QStringLiteral("aZasoby\\Sygnalizacja\\Sygnalizatory\\EKO.dxf"))));
    drawing = WriteDrawing(suite, {});
    run = std::make_unique<SignalRun>(suite, drawing,
                                      std::vector<InputAnswer>{InputAnswer::pointAt(1, 1),
                                                               InputAnswer::angle(0),
                                                               InputAnswer::pointAt(2, 2)});
    run->start({"S-1"});
    auto& ui = run->form->ui();
    ui.cmbNumSkrzyz->setCurrentIndex(0);
    ui.chkEkrany->click();
    ui.optRodzEkran1->click();
    run->dialogs.acceptMessages(1);
    ui.cmdAccept->click();
    run->runFollowUp();
    run->save();

    const auto messages = run->dialogs.messages();
    ASSERT_EQ(messages.size(), 1u);
    const QString folder = suite.path(QStringLiteral("aZasoby\\Sygnalizacja\\Sygnalizatory"));
    EXPECT_EQ(messages[0].text,
              QStringLiteral("Nie znaleziono ekranu EKO\r\nw folderze [") + DisplayPath(folder)
                  + QStringLiteral("]."));
    EXPECT_EQ(run->endReasons, QStringList{QStringLiteral("screen block file missing")});
    const auto doc = run->savedDrawing();
    EXPECT_EQ(ReferencesOf(doc, "S-1").size(), 1u);
    EXPECT_EQ(TextsOf(doc).size(), 1u);
    EXPECT_TRUE(ReferencesOf(doc, "EKO").empty());
    EXPECT_FALSE(doc.customProperty("ONUMERSKRZYZ").has_value());
}

} // namespace
} // namespace lumo::test
