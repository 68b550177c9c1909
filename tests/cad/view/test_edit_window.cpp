// The designer's selection and edits through the real window: clicks,
// windows, Shift and Escape; erase, move, rotate and copy with their
// prompts, snaps and ortho, each one undo step saved to disk; the
// attribute dialog and a text's content by a double click.
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/attribute_dialog.h"
#include "cad/embedded/view/window_input.h"
#include "dxf/document.h"
#include "hosted_window.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressDialog>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace lumo::view {
namespace {

dxf::NewAttributeDefinition definition(const char* tag, dxf::Point at, int flags)
{
    dxf::NewAttributeDefinition d;
    d.tag = tag;
    d.point = at;
    d.flags = flags;
    return d;
}

namespace ce = cad::embedded;

class EditWindow : public ::testing::Test {
public:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        path = folder.filePath(QStringLiteral("plan.dxf")).toStdString();
        auto doc = dxf::Document::create("AC1015");
        // The head: a cross of two lines about its insertion point, with
        // its inventory number and date.
        auto block = doc.addBlock("S-3wp");
        block.addAttributeDefinition(definition("INWENT_NUMER", {}, dxf::kAttInvisible));
        block.addAttributeDefinition(definition("INWENT_DATA", {}, dxf::kAttInvisible));
        doc.addLayer("112-OPIS_SYGNALIZACJI");
        auto head = doc.addBlockReference("S-3wp", {10, 0, 0});
        head.attribute("INWENT_NUMER")->setValue("26-15/987/K1");
        doc.addText("K1", {30, 0, 0}, 2.0, {}, "112-OPIS_SYGNALIZACJI");
        doc.addEntity("LINE", "0",
                      {{100, "AcDbLine"}, {10, "50"}, {20, "-5"}, {30, "0"}, {11, "60"}, {21, "-5"}, {31, "0"}});
        doc.save(path);
        designer = std::make_unique<DesignerWindow>(path);
        host = designer->host;
        window = designer->window;
        editor = designer->hostWindow->editor();
        ASSERT_TRUE(editor);
        ASSERT_TRUE(designer->active());
        window->view()->setView({35, 0}, 8.0);
        window->view()->setSnapsEnabled(false); // clicks mean the raw points under the cursor
    }

    QPoint at(Vec2 drawing) const { return window->view()->toWidget(drawing).toPoint(); }
    void click(Vec2 p, Qt::KeyboardModifiers mods = {}) { QTest::mouseClick(window->view(), Qt::LeftButton, mods, at(p)); }
    void drag(Vec2 from, Vec2 to)
    {
        QTest::mousePress(window->view(), Qt::LeftButton, {}, at(from));
        QTest::mouseMove(window->view(), at(to));
        QTest::mouseRelease(window->view(), Qt::LeftButton, {}, at(to));
    }
    QString status() const { return editor->selectionLabel()->text(); }
    dxf::Document saved() const { return dxf::Document::load(path); }
    dxf::Entity savedEntity(std::size_t i) const { return saved().modelSpace().at(i); }
    void settle()
    {
        // what the host told the window is drawn
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

    QTemporaryDir folder;
    std::string path;
    std::unique_ptr<DesignerWindow> designer;
    std::shared_ptr<ce::EmbeddedApplication> host;
    MainWindow* window = nullptr;
    Editor* editor = nullptr;
};

TEST_F(EditWindow, ClicksWindowsShiftAndEscapeSelect)
{
    // The text's box and the line; the head shows only by its attributes,
    // which are hidden: the text stands in for a visible entity.
    struct Step {
        const char* name;
        std::function<void()> act;
        const char* status;
        std::vector<std::size_t> selected;
    };
    const Step steps[] = {
        {"a click on the text", [&] { click({30.5, 0.8}); }, "1 obiekt", {1}},
        {"Shift adds the line", [&] { click({55, -5}, Qt::ShiftModifier); }, "2 obiekty", {1, 2}},
        {"Shift takes the text away", [&] { click({30.5, 0.8}, Qt::ShiftModifier); }, "1 obiekt", {2}},
        {"a click in empty space clears", [&] { click({40, 10}); }, "", {}},
        {"a window from left to right: only what lies inside", [&] { drag({28, -8}, {58, 4}); }, "1 obiekt", {1}},
        {"from right to left: what it crosses", [&] { drag({58, 4}, {28, -8}); }, "2 obiekty", {1, 2}},
        {"Escape clears", [&] { QTest::keyClick(window->view(), Qt::Key_Escape); }, "", {}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        EXPECT_EQ(status(), QString::fromUtf8(s.status));
        EXPECT_EQ(editor->selection(), s.selected);
    }
    // The prompt line says nothing of refused clicks: they select.
    EXPECT_FALSE(window->promptLabel()->text().contains(QStringLiteral("pominięte")));
}

TEST_F(EditWindow, AHeadIsNamedAndARunLeavesNothingToSelect)
{
    editor->select({0});
    EXPECT_EQ(status(), QStringLiteral("Sygnalizator 26-15/987/K1 (S-3wp)"));
    // A run on: a click is kept for the program's next question, not a selection.
    host->beginRun();
    EXPECT_TRUE(editor->selection().empty());
    click({30.5, 0.8});
    EXPECT_TRUE(editor->selection().empty());
    EXPECT_FALSE(editor->eraseAction()->isEnabled());
    host->endRun();
    click({30.5, 0.8});
    EXPECT_EQ(editor->selection(), std::vector<std::size_t>{1});
}

// Each edit on the text at (30, 0), from the key to the drawing on disk, and
// undo taking it back in one step.
struct EditCase {
    const char* name;
    std::function<void(EditWindow&)> act;
    std::size_t count; // entities after
    double x, y, rotation; // where the last entity of the text's kind is
};

TEST_F(EditWindow, EachEditFromItsKeyToTheDrawingAndBack)
{
    const std::string original = saved().toString();
    const EditCase cases[] = {
        {"Delete",
         [](EditWindow& t) { QTest::keyClick(t.window->view(), Qt::Key_Delete); }, 2, 0, 0, 0},
        {"move by two clicks",
         [](EditWindow& t) {
             QTest::keyClick(t.window->view(), Qt::Key_M, Qt::ControlModifier);
             EXPECT_EQ(t.window->promptLabel()->text(), QStringLiteral("Wskaż punkt bazowy:"));
             t.click({30, 0});
             EXPECT_EQ(t.window->promptLabel()->text(), QStringLiteral("Wskaż drugi punkt:"));
             EXPECT_EQ(t.window->view()->asking(), DrawingView::Ask::Point);
             t.click({40, 5});
         },
         3, 40, 5, 0},
        {"move with ortho: level with the base",
         [](EditWindow& t) {
             t.window->view()->setOrtho(true);
             t.editor->moveAction()->trigger();
             t.click({30, 0});
             t.click({40, 2});
             t.window->view()->setOrtho(false);
         },
         3, 40, 0, 0},
        {"rotate by a typed angle",
         [](EditWindow& t) {
             QTest::keyClick(t.window->view(), Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
             t.click({30, 0});
             EXPECT_EQ(t.window->promptLabel()->text(), QStringLiteral("Podaj kąt obrotu:"));
             EXPECT_EQ(t.window->view()->asking(), DrawingView::Ask::Angle);
             QTest::keyClicks(t.window->promptEdit(), QStringLiteral("45"));
             QTest::keyClick(t.window->promptEdit(), Qt::Key_Return);
         },
         3, 30, 0, 45},
        {"copy to a typed point",
         [](EditWindow& t) {
             t.editor->copyAction()->trigger();
             QTest::keyClicks(t.window->promptEdit(), QStringLiteral("30,0"));
             QTest::keyClick(t.window->promptEdit(), Qt::Key_Return);
             QTest::keyClicks(t.window->promptEdit(), QStringLiteral("30,-20"));
             QTest::keyClick(t.window->promptEdit(), Qt::Key_Return);
         },
         4, 30, -20, 0},
    };
    for (const EditCase& c : cases) {
        SCOPED_TRACE(c.name);
        editor->select({1});
        c.act(*this);
        settle();
        EXPECT_FALSE(editor->busy());
        // The edit's last question is gone from the prompt line.
        EXPECT_EQ(window->promptLabel()->text(), QString());
        const auto doc = saved();
        ASSERT_EQ(doc.modelSpaceCount(), c.count);
        if (c.count > 2) {
            const auto text = doc.modelSpace().back().typeName() == "TEXT" ? doc.modelSpace().back()
                                                                         : doc.modelSpace().at(1);
            // (a click lands within half a pixel, 1/16 unit, of the point meant)
            EXPECT_NEAR(text.insertionPoint().x, c.x, 0.13);
            EXPECT_NEAR(text.insertionPoint().y, c.y, 0.13);
            EXPECT_NEAR(text.rotation(), c.rotation, 1e-9);
        }
        // One step back, through the window's own key.
        ASSERT_TRUE(window->undoAction()->isEnabled());
        window->undoAction()->trigger();
        settle();
        EXPECT_EQ(saved().toString(), original);
        EXPECT_FALSE(window->undoAction()->isEnabled());
    }
    EXPECT_TRUE(designer->reports.empty());
}

// Undo and redo keep the selection on the entities selected, wherever the
// step puts them in the drawing; an entity the step takes away leaves it.
TEST_F(EditWindow, UndoAndRedoKeepTheSelection)
{
    struct Step {
        const char* name;
        std::function<void()> act;
        std::vector<std::size_t> selected;
        const char* status;
    };
    const Step steps[] = {
        {"the head erased", [&] {
             editor->select({0});
             QTest::keyClick(window->view(), Qt::Key_Delete);
         }, {}, ""},
        {"the line and the text selected", [&] {
             click({55, -5});
             click({30.5, 0.8}, Qt::ShiftModifier);
         }, {0, 1}, "2 obiekty"},
        {"undo: the head is back before them", [&] { window->undoAction()->trigger(); }, {1, 2}, "2 obiekty"},
        {"redo: the head goes again", [&] { window->redoAction()->trigger(); }, {0, 1}, "2 obiekty"},
        {"the text moved", [&] {
             editor->select({0});
             editor->startMove();
             click({30, 0});
             click({40, 5});
         }, {0}, "1 obiekt"},
        {"the line copied: the copy is selected", [&] {
             editor->select({1});
             editor->startCopy();
             click({50, -5});
             click({50, -15});
         }, {2}, "1 obiekt"},
        {"the copy undone: nothing is left selected", [&] { window->undoAction()->trigger(); }, {}, ""},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.name);
        s.act();
        settle();
        EXPECT_EQ(editor->selection(), s.selected);
        EXPECT_EQ(status(), QString::fromUtf8(s.status));
    }
    // What stays selected is what the edits work on: the line is erased.
    editor->select({1});
    QTest::keyClick(window->view(), Qt::Key_Delete);
    settle();
    const auto doc = saved();
    ASSERT_EQ(doc.modelSpaceCount(), 1u);
    EXPECT_EQ(doc.modelSpace().front().typeName(), "TEXT");
}

// A redraw given up leaves the picture behind the drawing: what the designer
// picks there is still the entity edited, though the drawing numbers it
// otherwise now.
TEST_F(EditWindow, AnEditOnAPictureBehindTheDrawingHitsTheEntityPicked)
{
    // Enough beside them, far away, for a redraw long enough to be given up.
    {
        auto doc = dxf::Document::load(path);
        for (int i = 0; i < 5000; ++i)
            doc.addEntity("LINE", "0",
                          {{100, "AcDbLine"},
                           {10, std::to_string(1000 + i % 100)},
                           {20, std::to_string(i / 100)},
                           {30, "0"},
                           {11, std::to_string(1001 + i % 100)},
                           {21, std::to_string(i / 100)},
                           {31, "0"}});
        designer.reset();
        doc.save(path);
        designer = std::make_unique<DesignerWindow>(path);
        host = designer->host;
        window = designer->window;
        editor = designer->hostWindow->editor();
        ASSERT_TRUE(designer->active());
        window->view()->setView({35, 0}, 8.0);
        window->view()->setSnapsEnabled(false);
    }
    ASSERT_TRUE(host->copy({2}, {0.0, -10.0})); // a second line below the first
    settle();
    // The head erased and a layer switched off at once: the whole drawing is
    // drawn anew, and the designer gives that up.
    ASSERT_TRUE(host->erase({0}));
    ASSERT_TRUE(host->saveLayerStates({{"112-OPIS_SYGNALIZACJI", false, false}}));
    window->setProgressDelay(0);
    bool cancelled = false;
    QTimer::singleShot(0, window, [&] {
        if (auto* progress = window->findChild<QProgressDialog*>()) {
            cancelled = true;
            progress->cancel();
        }
    });
    window->refresh();
    ASSERT_TRUE(cancelled);
    ASSERT_FALSE(window->pictureIsCurrent());
    ASSERT_TRUE(designer->active()); // (the progress had the keys)

    click({55, -5}); // the first line: third in the picture, second in the drawing
    EXPECT_EQ(status(), QStringLiteral("1 obiekt"));
    QTest::keyClick(window->view(), Qt::Key_Delete);
    settle();
    const auto doc = saved();
    const auto entities = doc.modelSpace();
    ASSERT_EQ(entities.size(), 5002u);
    EXPECT_EQ(entities[0].typeName(), "TEXT");
    EXPECT_EQ(entities[1].insertionPoint().x, 1000); // the first of those far away
    EXPECT_EQ(entities.back().insertionPoint().y, -15); // the copy stays
}

TEST_F(EditWindow, EscapeInTheMiddleOfAnEditChangesNothing)
{
    const std::string original = saved().toString();
    for (const int answered : {0, 1}) {
        SCOPED_TRACE(answered);
        editor->select({1});
        editor->startMove();
        if (answered)
            click({30, 0});
        QTest::keyClick(window->view(), Qt::Key_Escape);
        settle();
        EXPECT_FALSE(editor->busy());
        EXPECT_EQ(window->view()->asking(), DrawingView::Ask::Nothing);
        EXPECT_EQ(saved().toString(), original);
        EXPECT_FALSE(window->undoAction()->isEnabled());
        // The selection stays for another try.
        EXPECT_EQ(editor->selection(), std::vector<std::size_t>{1});
    }
}

TEST_F(EditWindow, TheContextMenuOffersTheEdits)
{
    editor->select({1});
    QStringList offered;
    for (QAction* action : editor->contextMenu()->actions())
        if (action->isEnabled())
            offered << action->text().remove(QLatin1Char('&'));
    EXPECT_EQ(offered, (QStringList{QStringLiteral("Usuń"), QStringLiteral("Przesuń"), QStringLiteral("Obróć"),
                                    QStringLiteral("Kopiuj"), QStringLiteral("Edytuj atrybuty...")}));
}

TEST_F(EditWindow, TheAttributeDialogChecksAndWritesInOneStep)
{
    editor->setAttributeCheck([](const QString& tag, const QString& value) {
        return tag == QStringLiteral("INWENT_DATA") && value.contains(QLatin1Char('-')) ? QStringLiteral("zła data")
                                                                                       : QString();
    });
    QStringList complaints;
    bool seen = false;
    QTimer::singleShot(0, window, [&] {
        auto* dialog = qobject_cast<AttributeDialog*>(QApplication::activeModalWidget());
        ASSERT_TRUE(dialog);
        seen = true;
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Edycja atrybutów"));
        EXPECT_EQ(dialog->field(QStringLiteral("INWENT_NUMER"))->text(), QStringLiteral("26-15/987/K1"));
        dialog->setComplaint([&](const QString& why) { complaints << why; });
        dialog->field(QStringLiteral("INWENT_NUMER"))->setText(QStringLiteral("26-15/987/K2"));
        dialog->field(QStringLiteral("INWENT_DATA"))->setText(QStringLiteral("2024-05-17"));
        dialog->accept(); // refused: stays open
        EXPECT_TRUE(dialog->isVisible());
        dialog->field(QStringLiteral("INWENT_DATA"))->setText(QStringLiteral("2024.05.17"));
        dialog->accept();
    });
    editor->select({0});
    editor->attributesAction()->trigger();
    ASSERT_TRUE(seen);
    settle();
    EXPECT_EQ(complaints, QStringList{QStringLiteral("zła data")});
    const auto head = savedEntity(0).asBlockReference();
    EXPECT_EQ(head.attribute("INWENT_NUMER")->value(), "26-15/987/K2");
    EXPECT_EQ(head.attribute("INWENT_DATA")->value(), "2024.05.17");
    EXPECT_EQ(status(), QStringLiteral("Sygnalizator 26-15/987/K2 (S-3wp)"));
    window->undoAction()->trigger();
    EXPECT_EQ(savedEntity(0).asBlockReference().attribute("INWENT_NUMER")->value(), "26-15/987/K1");
    EXPECT_EQ(savedEntity(0).asBlockReference().attribute("INWENT_DATA")->value(), "");
}

TEST_F(EditWindow, ADoubleClickOnATextEditsItsContent)
{
    std::optional<QString> shown;
    editor->setTextDialog([&](const QString& text) -> std::optional<QString> {
        shown = text;
        return QStringLiteral("K1p");
    });
    QTest::mouseDClick(window->view(), Qt::LeftButton, {}, at({30.5, 0.8}));
    ASSERT_TRUE(shown);
    EXPECT_EQ(*shown, QStringLiteral("K1"));
    EXPECT_EQ(savedEntity(1).asText().value(), "K1p");
}

} // namespace
} // namespace lumo::view
