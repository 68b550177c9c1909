// The designer's own work on what the drawing holds, between the program's
// runs: selecting (click, windows, Shift, Escape) with the selection
// highlighted and named in the status bar, and the edits of the "Edycja"
// menu and the context menu (erase, move, rotate, copy, attributes, a
// text's content), each asking its points on the prompt line as the
// placement does and each one step of the host's undo.
#pragma once

#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/drawing_input.h"
#include "cad/embedded/view/selection.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;

namespace lumo::view {

class MainWindow;

// The prompts of the edits.
inline constexpr const char* kBasePointPrompt = "Wskaż punkt bazowy:";
inline constexpr const char* kSecondPointPrompt = "Wskaż drugi punkt:";
inline constexpr const char* kRotationPrompt = "Podaj kąt obrotu:";

// An attribute of a block reference as the attribute dialog edits it.
struct AttributeValue {
    QString tag;
    QString value;
};
// Checks a value the designer gave for a tag: "" when good, else why not
// (in the designer's words).
using AttributeCheck = std::function<QString(const QString& tag, const QString& value)>;

class Editor : public QObject {
    Q_OBJECT
public:
    Editor(MainWindow* window, std::shared_ptr<cad::embedded::EmbeddedApplication> host);
    ~Editor() override;

    // Whether the designer may select and edit now (no run on, no command
    // waiting); off, the selection is dropped and an edit under way ends.
    void setEditable(bool editable);
    bool editable() const { return editable_; }

    // The selected model-space entities by their numbers in the drawing,
    // ascending (see MainWindow::inDrawing).
    std::vector<std::size_t> selection() const;
    void select(const std::vector<std::uint32_t>& entities, bool add = false);
    void clearSelection();
    // What the status bar says of the selection ("" when nothing).
    QString selectionText() const;
    QLabel* selectionLabel() const { return label_; }

    // The edits (each needs a selection; the menu's actions run these).
    void erase();
    void startMove();
    void startRotate();
    void startCopy();
    // The attribute dialog for a block reference, a text's content for a text.
    void editEntity(std::size_t entity);
    bool busy() const { return step_ != Step::None; }

    QAction* eraseAction() const { return erase_; }
    QAction* moveAction() const { return move_; }
    QAction* rotateAction() const { return rotate_; }
    QAction* copyAction() const { return copy_; }
    QAction* attributesAction() const { return attributes_; }
    // The menu a right click on the drawing shows.
    QMenu* contextMenu() const { return context_; }

    // How the attribute values and a text's content are asked; tests answer
    // here (nullopt: cancelled).
    using AttributeAsk = std::function<std::optional<std::vector<AttributeValue>>(
        const QString& blockName, const std::vector<AttributeValue>& values)>;
    void setAttributeDialog(AttributeAsk dialog) { attributeDialog_ = std::move(dialog); }
    using TextDialog = std::function<std::optional<QString>(const QString& text)>;
    void setTextDialog(TextDialog dialog) { textDialog_ = std::move(dialog); }
    void setAttributeCheck(AttributeCheck check) { check_ = std::move(check); }
    const AttributeCheck& attributeCheck() const { return check_; }

signals:
    void selectionChanged();
    // Editing was allowed or refused (a run, an edit asking its points).
    void editableChanged();

private:
    enum class Step { None, MoveBase, MoveTo, RotateBase, RotateAngle, CopyBase, CopyTo };

    void picked(Vec2 at, double aperture, bool shift);
    void windowPicked(const Box& window, bool crossing, bool shift);
    void doubleClicked(Vec2 at, double aperture);
    void showContextMenu(QPoint globalPos);
    void sceneMaybeChanged();
    void showSelection();
    void updateActions();
    void ask(Step step, Question question);
    void answered();
    // Ends the edit under way: the prompt line keeps what it shows (a
    // cancel) or is cleared (an edit done).
    enum class PromptLine { Keep, Clear };
    void finish(PromptLine prompt);
    const Picker* picker();
    std::vector<AttributeValue> attributesOf(std::size_t entity, QString* blockName, bool* isText,
                                             QString* text) const;

    QPointer<MainWindow> window_;
    std::shared_ptr<cad::embedded::EmbeddedApplication> host_;
    bool editable_ = false;
    std::vector<bool> selected_; // by entity
    std::size_t count_ = 0;
    const Scene* pickerScene_ = nullptr;
    std::unique_ptr<Picker> picker_;
    QLabel* label_ = nullptr;
    QAction* erase_ = nullptr;
    QAction* move_ = nullptr;
    QAction* rotate_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* attributes_ = nullptr;
    QMenu* context_ = nullptr;

    Step step_ = Step::None;
    bool wasOpen_ = false; // editable and not busy, as last told
    Question question_;
    Vec2 base_;
    AttributeAsk attributeDialog_;
    TextDialog textDialog_;
    AttributeCheck check_;
};

} // namespace lumo::view
