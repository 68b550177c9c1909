// Push buttons placed from the detector form on the embedded host: the
// designer's input from a script, the result read back from the saved
// drawing and the settings file.
#include "detector_run.h"

#include "settings/ini_file.h"
#include "ui_frmDetektory.h"
#include "ui_frmUstawieniaDetektory.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace lumo::test {
namespace {

using cad::embedded::InputAnswer;

QString Ini(const TempSuite& suite, const QString& key)
{
    return ReadIniString(suite.settingsFile(), QStringLiteral("OstatnioUzyte"), key,
                         QStringLiteral("<none>"));
}

std::vector<dxf::Text> TextsOn(const dxf::Document& doc, const std::string& layer)
{
    std::vector<dxf::Text> found;
    for (const auto& text : TextsOf(doc)) {
        if (text.layer() == layer)
            found.push_back(text);
    }
    return found;
}

std::vector<std::string> DefinitionTags(const dxf::Document& doc)
{
    std::vector<std::string> tags;
    if (const auto block = doc.findBlock("sygnprzycisk")) {
        for (const auto& definition : block->attributeDefinitions())
            tags.push_back(definition.tag());
    }
    return tags;
}

TEST(PushButtonPlacement, TwoButtonsAfterAPedestrianHeadEndToEnd)
{
    DetectorRun r;
    WriteIniString(r.suite.settingsFile(), QStringLiteral("OstatnioUzyte"),
                   QStringLiteral("CzcionkaOpisuDetWys"), QStringLiteral("0,4"));
    r.placeHead({{"S-5"}, 0, 7},
                {InputAnswer::pointAt(100, 200), InputAnswer::angle(90), InputAnswer::pointAt(110, 215),
                 InputAnswer::pointAt(95, 190), InputAnswer::pointAt(90, 185), InputAnswer::pointAt(105, 190),
                 InputAnswer::pointAt(108, 185)});
    auto& form = r.form();
    auto& ui = form.ui();

    r.placeButton();
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(r.run->form->tRunNext().isActive());
    EXPECT_EQ(r.run->form->state().followUpStep, FollowUpStep::Idle);

    // A larger font for the next description, then a second button with
    // its own description and type.
    ui.cmdUstUstDet->click();
    ASSERT_NE(form.settingsDialog(), nullptr);
    form.settingsDialog()->ui().txtDetFontHeight->setText(QStringLiteral("0,6"));
    form.settingsDialog()->ui().cmdOKUstDet->click();
    ui.edtOpis->setText(QStringLiteral("D18b"));
    ui.cmbTypPrzycisku->setCurrentIndex(1);
    r.placeButton();
    EXPECT_TRUE(form.isVisible());

    ui.btnCcl->click();
    EXPECT_EQ(r.run->endReasons, QStringList{QStringLiteral("push buttons finished")});
    EXPECT_FALSE(form.isVisible());
    EXPECT_TRUE(r.run->dialogs.calls().empty());
    EXPECT_EQ(r.run->input->remaining(), 0u);
    EXPECT_EQ(Ini(r.suite, QStringLiteral("KsztPoprzPetli")), QStringLiteral("0"));
    EXPECT_EQ(Ini(r.suite, QStringLiteral("CzcionkaOpisuDetWys")), QStringLiteral("0,6"));
    EXPECT_EQ(Ini(r.suite, QStringLiteral("CzyUstawPetle")), QStringLiteral("1"));

    r.run->save();
    const auto doc = r.run->savedDrawing();
    EXPECT_EQ(DefinitionTags(doc), (std::vector<std::string>{"RODZAJ", "TYP", "PRODUCENT"}));
    const auto buttons = ReferencesOf(doc, "sygnprzycisk");
    ASSERT_EQ(buttons.size(), 2u);
    const std::vector<std::pair<double, std::string>> expected{{95, "sensorowy"}, {105, "mechaniczny"}};
    for (std::size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(buttons[i].layer(), "109-SYGNALIZACJA_PRZYCISKI");
        EXPECT_NEAR(buttons[i].rotation(), 90.0, 1e-9);
        EXPECT_NEAR(buttons[i].scale().x, 2.5, 1e-12);
        EXPECT_NEAR(buttons[i].scale().y, 2.5, 1e-12);
        EXPECT_NEAR(buttons[i].insertionPoint().x, expected[i].first, 1e-9);
        auto values = AttributesOf(buttons[i]);
        EXPECT_EQ(values["RODZAJ"], "Przycisk");
        EXPECT_EQ(values["TYP"], expected[i].second);
        EXPECT_EQ(values["PRODUCENT"], "Sygnalizator LED 1");
    }

    const auto descriptions = TextsOn(doc, "256-OPISY_DETEKTOROW");
    ASSERT_EQ(descriptions.size(), 2u);
    EXPECT_EQ(descriptions[0].value(), "D18a");
    EXPECT_EQ(descriptions[1].value(), "D18b");
    EXPECT_NEAR(descriptions[0].height(), 200.0, 1e-9); // 0,4 at 1:500
    EXPECT_NEAR(descriptions[1].height(), 300.0, 1e-9); // 0,6 from the settings dialog
    for (const auto& text : descriptions) {
        EXPECT_EQ(text.colour(), 1);
        EXPECT_NEAR(text.rotation(), 90.0, 1e-9);
    }
    EXPECT_NEAR(descriptions[1].insertionPoint().x, 108.0, 1e-9);
    EXPECT_EQ(TextsOn(doc, "112-OPIS_SYGNALIZACJI").size(), 1u);

    if (const auto errors = AuditErrors(r.run->drawingPath)) {
        EXPECT_TRUE(errors->isEmpty()) << errors->toStdString();
    }
}

TEST(PushButtonPlacement, RefusalsAndCancels)
{
    struct Case {
        const char* name;
        std::function<void(dxf::Document&)> drawing;
        std::function<void(DetectorRun&)> before; // after the hand-over
        std::vector<InputAnswer> buttonScript;
        std::pair<QString, QString> message; // its start and end; none when empty
        QString endReason; // "" when the run goes on
        std::vector<std::string> definitionTags;
        std::size_t buttons;
        std::size_t descriptions;
    };
    const std::vector<std::string> allTags{"RODZAJ", "TYP", "PRODUCENT"};
    const auto clearDescription = [](DetectorRun& r) { r.form().ui().edtOpis->clear(); };
    const auto removeBlockFile = [](DetectorRun& r) {
        QFile::remove(r.suite.nativePath(r.suite.path("aZasoby\\Symbole\\sygnprzycisk.dxf")));
    };
    // A drawing that already has the block keeps its definition as it is.
    const auto blockInDrawing = [](dxf::Document& doc) {
        dxf::NewAttributeDefinition type;
        type.tag = "TYP";
        doc.addBlock("sygnprzycisk").addAttributeDefinition(type);
    };
    const std::vector<Case> cases{
        {"empty description",
         {},
         clearDescription,
         {},
         {"Nie wypełniono pola opisu detektora!", ""},
         "",
         {},
         0,
         0},
        {"missing block file",
         {},
         removeBlockFile,
         {},
         {"Nie znaleziono pliku z symbolem przycisku - sygnprzycisk\r\nw folderze [", "/aZasoby/Symbole/]."},
         "",
         {},
         0,
         0},
        {"cancel at the insertion point",
         {},
         {},
         {InputAnswer::cancel()},
         {},
         "cancelled in the host",
         allTags,
         0,
         0},
        {"cancel at the description point",
         {},
         {},
         {InputAnswer::pointAt(1, 2), InputAnswer::cancel()},
         {},
         "host failure",
         allTags,
         1,
         0},
        {"block already in the drawing",
         blockInDrawing,
         {},
         {InputAnswer::pointAt(1, 2), InputAnswer::pointAt(3, 4)},
         {},
         "",
         {"TYP"},
         1,
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DetectorRun r(c.drawing);
        std::vector<InputAnswer> script{InputAnswer::pointAt(0, 0), InputAnswer::angle(0),
                                        InputAnswer::pointAt(0, 5)};
        script.insert(script.end(), c.buttonScript.begin(), c.buttonScript.end());
        r.placeHead({}, script);
        if (c.before)
            c.before(r);
        if (!c.message.first.isEmpty())
            r.run->dialogs.acceptMessages();
        r.placeButton();

        const auto messages = r.run->dialogs.messages();
        ASSERT_EQ(messages.size(), c.message.first.isEmpty() ? 0u : 1u);
        if (!messages.empty()) {
            EXPECT_EQ(messages[0].title, QStringLiteral("LUMO_Sygnalizacja"));
            EXPECT_EQ(messages[0].icon, DialogIcon::Exclamation);
            EXPECT_TRUE(messages[0].text.startsWith(c.message.first)) << messages[0].text.toStdString();
            EXPECT_TRUE(messages[0].text.endsWith(c.message.second)) << messages[0].text.toStdString();
        }
        if (c.endReason.isEmpty()) {
            EXPECT_TRUE(r.run->endReasons.isEmpty());
            EXPECT_TRUE(r.form().isVisible());
        } else {
            EXPECT_EQ(r.run->endReasons, QStringList{c.endReason});
        }
        EXPECT_FALSE(r.run->form->tRunNext().isActive());
        EXPECT_EQ(r.run->input->remaining(), 0u);

        r.run->save();
        const auto doc = r.run->savedDrawing();
        EXPECT_EQ(DefinitionTags(doc), c.definitionTags);
        const auto buttons = ReferencesOf(doc, "sygnprzycisk");
        ASSERT_EQ(buttons.size(), c.buttons);
        for (const auto& button : buttons) {
            EXPECT_EQ(button.layer(), "109-SYGNALIZACJA_PRZYCISKI");
            EXPECT_EQ(AttributesOf(button)["TYP"], "sensorowy");
        }
        EXPECT_EQ(TextsOn(doc, "256-OPISY_DETEKTOROW").size(), c.descriptions);
    }
}

} // namespace
} // namespace lumo::test
