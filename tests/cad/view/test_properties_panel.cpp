// "Właściwości" through the real window: a head selected by a click shows
// its layer, place and attributes; typed values are written one undo step
// each and saved, bad ones are told and change nothing; many entities on
// several layers go to one layer at once; a run or an edit asking its
// points leaves the panel only showing.
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/properties_panel.h"
#include "cad/embedded/view/window_input.h"
#include "dxf/document.h"
#include "hosted_window.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumo::view {
namespace {

namespace ce = cad::embedded;

class PropertiesWindow : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        path = folder.filePath(QStringLiteral("plan.dxf")).toStdString();
        auto doc = dxf::Document::create("AC1015");
        // Two heads showing their inventory numbers, on layers of their
        // own, and a line on a third.
        auto block = doc.addBlock("S-3wp");
        dxf::NewAttributeDefinition number;
        number.tag = "INWENT_NUMER";
        block.addAttributeDefinition(number);
        dxf::NewAttributeDefinition date;
        date.tag = "INWENT_DATA";
        date.flags = dxf::kAttInvisible;
        block.addAttributeDefinition(date);
        doc.addLayer("SYGNALIZATORY");
        doc.addLayer("112-OPIS_SYGNALIZACJI");
        doc.addBlockReference("S-3wp", {10, 0, 0}).attribute("INWENT_NUMER")->setValue("26-15/987/K1");
        doc.addBlockReference("S-3wp", {40, 0, 0}, 1.0, 0.0, "SYGNALIZATORY")
            .attribute("INWENT_NUMER")
            ->setValue("26-15/987/K2");
        doc.addEntity("LINE", "SYGNALIZATORY",
                      {{100, "AcDbLine"}, {10, "10"}, {20, "-10"}, {30, "0"}, {11, "30"}, {21, "-10"}, {31, "0"}});
        doc.save(path);
        original = doc.toString();
        designer = std::make_unique<DesignerWindow>(path);
        host = designer->host;
        hostWindow = designer->hostWindow.get();
        window = designer->window;
        panel = hostWindow->properties();
        ASSERT_TRUE(panel);
        ASSERT_TRUE(designer->active());
        window->view()->setView({30, -3}, 8.0);
        window->view()->setSnapsEnabled(false);
        // Messages are answered as the designer would, and kept.
        answerer.setInterval(20);
        QObject::connect(&answerer, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                messages << box->text();
                box->accept();
            }
        });
        answerer.start();
    }

    void click(Vec2 p, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(window->view(), Qt::LeftButton, mods, window->view()->toWidget(p).toPoint());
    }
    void clickFirstHead() { click({11, 1}); }
    // Types into a field as the designer does: a click, all selected, the
    // text, then Enter or Tab.
    void type(QLineEdit* field, const QString& text, Qt::Key finish = Qt::Key_Return)
    {
        QTest::mouseClick(field, Qt::LeftButton);
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        QTest::keyClicks(field, text);
        QTest::keyClick(field, finish);
    }
    // The program's check of attribute values, as the attribute dialog has it.
    void editorCheck()
    {
        hostWindow->editor()->setAttributeCheck([](const QString& tag, const QString& value) {
            return tag == QStringLiteral("INWENT_DATA") && value.contains(QLatin1Char('-')) ? QStringLiteral("zła data")
                                                                                           : QString();
        });
    }
    double shown(PropertiesPanel::Field f) const { return ReadTypedNumber(panel->field(f)->text()).value_or(-1e9); }
    dxf::Document saved() const { return dxf::Document::load(path); }
    dxf::Entity savedEntity(std::size_t i) const { return saved().modelSpace().at(i); }
    bool nothingShown() const { return panel->nothingLabel()->isVisible() && !panel->kindLabel()->isVisible(); }

    QTemporaryDir folder;
    std::string path;
    std::string original;
    std::unique_ptr<DesignerWindow> designer;
    std::shared_ptr<ce::EmbeddedApplication> host;
    HostWindow* hostWindow = nullptr;
    MainWindow* window = nullptr;
    PropertiesPanel* panel = nullptr;
    QTimer answerer;
    QStringList messages;
};

TEST_F(PropertiesWindow, AClickedHeadShowsItsLayerPlaceAndAttributes)
{
    EXPECT_TRUE(nothingShown());
    EXPECT_EQ(panel->nothingLabel()->text(), QStringLiteral("Nic nie zaznaczono"));
    clickFirstHead();
    ASSERT_EQ(hostWindow->editor()->selection(), std::vector<std::size_t>{0});
    EXPECT_FALSE(nothingShown());
    EXPECT_EQ(panel->kindLabel()->text(), QStringLiteral("Blok S-3wp"));
    EXPECT_EQ(panel->layerBox()->currentText(), QStringLiteral("0"));
    EXPECT_EQ(shown(PropertiesPanel::X), 10);
    EXPECT_EQ(shown(PropertiesPanel::Y), 0);
    EXPECT_EQ(shown(PropertiesPanel::Rotation), 0);
    EXPECT_EQ(shown(PropertiesPanel::ScaleX), 1);
    ASSERT_TRUE(panel->attributeField(QStringLiteral("INWENT_NUMER")));
    EXPECT_EQ(panel->attributeField(QStringLiteral("INWENT_NUMER"))->text(), QStringLiteral("26-15/987/K1"));
    EXPECT_TRUE(panel->attributeField(QStringLiteral("INWENT_NUMER"))->isVisible());

    // The line: no turn or scale, no attributes.
    click({20, -10});
    EXPECT_EQ(panel->kindLabel()->text(), QStringLiteral("Linia"));
    EXPECT_EQ(panel->layerBox()->currentText(), QStringLiteral("SYGNALIZATORY"));
    EXPECT_EQ(shown(PropertiesPanel::X), 10);
    EXPECT_EQ(shown(PropertiesPanel::Y), -10);
    EXPECT_FALSE(panel->field(PropertiesPanel::Rotation)->isVisible());
    EXPECT_FALSE(panel->attributeField(QStringLiteral("INWENT_NUMER"))
                 && panel->attributeField(QStringLiteral("INWENT_NUMER"))->isVisible());

    click({30, 20}); // empty space
    EXPECT_TRUE(nothingShown());

    // "Widok" hides and shows it.
    QAction* toggle = panel->toggleViewAction();
    QMenu* viewMenu = nullptr;
    for (QAction* menu : window->menuBar()->actions())
        if (menu->text() == QStringLiteral("&Widok"))
            viewMenu = menu->menu();
    ASSERT_TRUE(viewMenu);
    EXPECT_TRUE(viewMenu->actions().contains(toggle));
    toggle->trigger();
    EXPECT_FALSE(panel->isVisible());
    toggle->trigger();
    EXPECT_TRUE(panel->isVisible());
}

TEST_F(PropertiesWindow, EachTypedValueIsOneStepSavedAndShown)
{
    editorCheck();
    struct Case {
        const char* name;
        std::function<QLineEdit*()> field;
        const char* typed;
        Qt::Key finish;
        std::function<void(const dxf::Entity&)> expect;
    };
    auto place = [this](PropertiesPanel::Field f) { return [this, f] { return panel->field(f); }; };
    const Case cases[] = {
        {"X with a decimal comma, Enter", place(PropertiesPanel::X), "12,5", Qt::Key_Return,
         [](const dxf::Entity& e) { EXPECT_EQ(e.insertionPoint().x, 12.5); }},
        {"Y with a point, left by Tab", place(PropertiesPanel::Y), " -3.25 ", Qt::Key_Tab,
         [](const dxf::Entity& e) { EXPECT_EQ(e.insertionPoint().y, -3.25); }},
        {"the turn", place(PropertiesPanel::Rotation), "90", Qt::Key_Return,
         [](const dxf::Entity& e) {
             EXPECT_EQ(e.rotation(), 90);
             EXPECT_NEAR(e.asBlockReference().attribute("INWENT_NUMER")->rotation(), 90, 1e-9);
         }},
        {"the scale", place(PropertiesPanel::ScaleY), "2", Qt::Key_Return,
         [](const dxf::Entity& e) { EXPECT_EQ(e.asBlockReference().scale().y, 2); }},
        {"an attribute", [this] { return panel->attributeField(QStringLiteral("INWENT_NUMER")); }, "26-15/987/K3",
         Qt::Key_Return,
         [](const dxf::Entity& e) { EXPECT_EQ(e.asBlockReference().attribute("INWENT_NUMER")->value(), "26-15/987/K3"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        clickFirstHead();
        QLineEdit* field = c.field();
        ASSERT_TRUE(field);
        type(field, QString::fromUtf8(c.typed), c.finish);
        c.expect(savedEntity(0));
        // The panel shows what the drawing has now, the head still selected.
        EXPECT_EQ(c.field()->text().trimmed().replace(QLatin1Char(','), QLatin1Char('.')),
                  QString::fromUtf8(c.typed).trimmed().replace(QLatin1Char(','), QLatin1Char('.')));
        // Enter again, or leaving the field, writes nothing more.
        QTest::keyClick(c.field(), Qt::Key_Return);
        const QString before = c.field()->text();
        window->undoAction()->trigger();
        EXPECT_EQ(saved().toString(), original);
        EXPECT_FALSE(window->undoAction()->isEnabled());
        // The head stays selected, the panel shows it as it was.
        EXPECT_FALSE(nothingShown());
        EXPECT_NE(c.field()->text(), before);
        QTest::keyClick(window->view(), Qt::Key_Escape); // (the next case selects it anew)
    }
    EXPECT_TRUE(messages.isEmpty()) << messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(designer->reports.empty());
}

TEST_F(PropertiesWindow, ABadValueIsToldAndChangesNothing)
{
    editorCheck();
    struct Case {
        const char* name;
        std::function<QLineEdit*()> field;
        const char* typed;
        const char* told; // the start of the message
        const char* kept;
    };
    const Case cases[] = {
        {"letters", [this] { return panel->field(PropertiesPanel::X); }, "dziesiec", "„dziesiec” nie jest liczbą", "10"},
        {"two separators", [this] { return panel->field(PropertiesPanel::X); }, "1.234,5", "„1.234,5” nie jest liczbą",
         "10"},
        {"nothing", [this] { return panel->field(PropertiesPanel::Rotation); }, "", "„” nie jest liczbą", "0"},
        {"a scale of 0", [this] { return panel->field(PropertiesPanel::ScaleX); }, "0,0", "Skala nie może być zerem",
         "1"},
        {"a date the program refuses", [this] { return panel->attributeField(QStringLiteral("INWENT_DATA")); },
         "2024-05-17", "zła data", ""},
    };
    clickFirstHead();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        QLineEdit* field = c.field();
        ASSERT_TRUE(field);
        type(field, QString::fromUtf8(c.typed));
        ASSERT_EQ(messages.size(), 1);
        EXPECT_TRUE(messages.front().startsWith(QString::fromUtf8(c.told))) << messages.front().toStdString();
        EXPECT_EQ(c.field()->text(), QString::fromUtf8(c.kept));
        // Leaving the field after the message tells nothing more.
        QTest::keyClick(c.field(), Qt::Key_Tab);
        EXPECT_EQ(messages.size(), 1);
    }
    EXPECT_EQ(saved().toString(), original);
    EXPECT_FALSE(window->undoAction()->isEnabled());
}

TEST_F(PropertiesWindow, ManyOnSeveralLayersGoToOneInOneStep)
{
    clickFirstHead();
    click({20, -10}, Qt::ShiftModifier);
    ASSERT_EQ(hostWindow->editor()->selection(), (std::vector<std::size_t>{0, 2}));
    EXPECT_EQ(panel->kindLabel()->text(), QStringLiteral("2 obiekty"));
    EXPECT_EQ(panel->layerBox()->currentText(), QString::fromUtf8(kMixedLayers));
    EXPECT_FALSE(panel->field(PropertiesPanel::X)->isVisible());

    // Chosen in the opened list with the keys.
    QComboBox* box = panel->layerBox();
    const int target = box->findText(QStringLiteral("112-OPIS_SYGNALIZACJI"));
    ASSERT_GT(target, 0);
    QTest::mouseClick(box, Qt::LeftButton);
    QAbstractItemView* list = box->view();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }));
    while (list->currentIndex().row() < target)
        QTest::keyClick(list, Qt::Key_Down);
    QTest::keyClick(list, Qt::Key_Return);

    auto layers = [this] {
        const auto doc = saved();
        return std::vector<std::string>{doc.modelSpace()[0].layer(), doc.modelSpace()[1].layer(),
                                        doc.modelSpace()[2].layer()};
    };
    const std::vector<std::string> moved{"112-OPIS_SYGNALIZACJI", "SYGNALIZATORY", "112-OPIS_SYGNALIZACJI"};
    EXPECT_EQ(layers(), moved);
    EXPECT_EQ(box->currentText(), QStringLiteral("112-OPIS_SYGNALIZACJI"));
    EXPECT_EQ(box->findText(QString::fromUtf8(kMixedLayers)), -1);

    window->undoAction()->trigger();
    EXPECT_EQ(layers(), (std::vector<std::string>{"0", "SYGNALIZATORY", "SYGNALIZATORY"}));
    // Still the three, on their layers as they were.
    EXPECT_EQ(box->currentText(), QString::fromUtf8(kMixedLayers));
    window->redoAction()->trigger();
    EXPECT_EQ(layers(), moved);
    clickFirstHead();
    EXPECT_EQ(box->currentText(), QStringLiteral("112-OPIS_SYGNALIZACJI"));
}

TEST_F(PropertiesWindow, OnlyShowsWhileAnEditAsksOrARunGoesOn)
{
    clickFirstHead();
    EXPECT_TRUE(panel->field(PropertiesPanel::X)->isEnabled());
    hostWindow->editor()->startMove();
    EXPECT_FALSE(panel->field(PropertiesPanel::X)->isEnabled());
    EXPECT_FALSE(panel->layerBox()->isEnabled());
    QTest::keyClick(window->view(), Qt::Key_Escape);
    EXPECT_TRUE(panel->field(PropertiesPanel::X)->isEnabled());

    host->beginRun();
    EXPECT_TRUE(nothingShown());
    host->endRun();
    clickFirstHead();
    EXPECT_EQ(shown(PropertiesPanel::X), 10);
}

} // namespace
} // namespace lumo::view
