#include "cad/embedded/view/editor.h"

#include "cad/embedded/view/attribute_dialog.h"
#include "cad/embedded/view/main_window.h"

#include <QAction>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

#include <algorithm>

namespace lumo::view {

namespace ce = cad::embedded;

Editor::Editor(MainWindow* window, std::shared_ptr<ce::EmbeddedApplication> host)
    : QObject(window), window_(window), host_(std::move(host))
{
    label_ = new QLabel(window);
    label_->setObjectName(QStringLiteral("selection"));
    window->statusBar()->addWidget(label_);

    auto make = [this](const QString& text, const QString& name, const QKeySequence& key, auto slot) {
        auto* action = new QAction(text, window_);
        action->setObjectName(name);
        if (!key.isEmpty())
            action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };
    erase_ = make(QStringLiteral("&Usuń"), QStringLiteral("erase"), QKeySequence(Qt::Key_Delete), &Editor::erase);
    move_ = make(QStringLiteral("Prze&suń"), QStringLiteral("move"), QKeySequence(Qt::CTRL | Qt::Key_M),
                 &Editor::startMove);
    rotate_ = make(QStringLiteral("&Obróć"), QStringLiteral("rotate"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R),
                   &Editor::startRotate);
    copy_ = make(QStringLiteral("&Kopiuj"), QStringLiteral("copy"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
                 &Editor::startCopy);
    attributes_ = make(QStringLiteral("Edytuj &atrybuty..."), QStringLiteral("attributes"), {}, [this] {
        if (const auto chosen = selection(); chosen.size() == 1)
            editEntity(chosen.front());
    });
    QMenu* menu = window->editMenu();
    menu->addSeparator();
    for (QAction* action : {erase_, move_, rotate_, copy_, attributes_})
        menu->addAction(action);
    context_ = new QMenu(window);
    for (QAction* action : {erase_, move_, rotate_, copy_, attributes_})
        context_->addAction(action);

    DrawingView* view = window->view();
    connect(view, &DrawingView::pickClicked, this, &Editor::picked);
    connect(view, &DrawingView::windowPicked, this, &Editor::windowPicked);
    connect(view, &DrawingView::doubleClicked, this, &Editor::doubleClicked);
    connect(view, &DrawingView::contextMenuAsked, this, &Editor::showContextMenu);
    connect(view, &DrawingView::viewChanged, this, &Editor::sceneMaybeChanged);
    connect(window->input(), &DrawingInput::answered, this, &Editor::answered);
    connect(window->input(), &DrawingInput::cancelledUnasked, this, [this] {
        if (editable_)
            clearSelection();
    });
    attributeDialog_ = [this](const QString& blockName, const std::vector<AttributeValue>& values) {
        return lumo::view::AttributeDialog::ask(window_, blockName, values, check_);
    };
    textDialog_ = [this](const QString& text) -> std::optional<QString> {
        bool ok = false;
        const QString changed = QInputDialog::getText(window_, QStringLiteral("Edycja tekstu"),
                                                      QStringLiteral("Tekst:"), QLineEdit::Normal, text, &ok);
        if (!ok)
            return std::nullopt;
        return changed;
    };
    updateActions();
}

Editor::~Editor() = default;

void Editor::setEditable(bool editable)
{
    if (editable == editable_)
        return;
    editable_ = editable;
    if (window_)
        window_->view()->setSelecting(editable);
    if (!editable) {
        // A run takes over the prompt line and the drawing.
        step_ = Step::None;
        clearSelection();
    }
    updateActions();
}

std::vector<std::size_t> Editor::selection() const
{
    std::vector<std::size_t> out;
    for (std::size_t i = 0; i < selected_.size(); ++i)
        if (selected_[i])
            out.push_back(i);
    return window_ ? window_->inDrawing(out) : out;
}

void Editor::select(const std::vector<std::uint32_t>& entities, bool add)
{
    if (!add)
        selected_.assign(selected_.size(), false);
    for (const std::uint32_t e : entities) {
        if (e >= selected_.size())
            selected_.resize(std::size_t(e) + 1, false);
        // With Shift a click takes away what was selected.
        selected_[e] = add ? !selected_[e] : true;
    }
    showSelection();
}

void Editor::clearSelection()
{
    if (count_ == 0 && selected_.empty())
        return;
    selected_.clear();
    showSelection();
}

const Picker* Editor::picker()
{
    const Scene* scene = window_ ? window_->view()->scene() : nullptr;
    if (!scene)
        return nullptr;
    if (scene != pickerScene_ || !picker_) {
        picker_ = std::make_unique<Picker>(*scene);
        pickerScene_ = scene;
    }
    return picker_.get();
}

void Editor::picked(Vec2 at, double aperture, bool shift)
{
    if (!editable_ || busy())
        return;
    const Picker* p = picker();
    const auto hit = p ? p->at(at, aperture) : std::nullopt;
    if (!hit) {
        if (!shift)
            clearSelection();
        return;
    }
    select({*hit}, shift);
}

void Editor::windowPicked(const Box& window, bool crossing, bool shift)
{
    if (!editable_ || busy())
        return;
    const Picker* p = picker();
    if (!p)
        return;
    auto hits = p->inWindow(window, crossing);
    if (shift) {
        // A window with Shift adds what it holds; a click with Shift toggles.
        for (const std::uint32_t e : hits) {
            if (e >= selected_.size())
                selected_.resize(std::size_t(e) + 1, false);
            selected_[e] = true;
        }
        showSelection();
        return;
    }
    select(hits);
}

void Editor::doubleClicked(Vec2 at, double aperture)
{
    if (!editable_ || busy())
        return;
    const Picker* p = picker();
    const auto hit = p ? p->at(at, aperture) : std::nullopt;
    if (!hit)
        return;
    select({*hit});
    if (const auto chosen = selection(); chosen.size() == 1)
        editEntity(chosen.front());
}

void Editor::showContextMenu(QPoint globalPos)
{
    if (!editable_ || busy() || count_ == 0)
        return;
    context_->popup(globalPos);
}

void Editor::sceneMaybeChanged()
{
    const Scene* scene = window_ ? window_->view()->scene() : nullptr;
    if (scene == pickerScene_)
        return;
    picker_.reset();
    pickerScene_ = nullptr;
    // The drawing was drawn anew: the highlight follows what moved.
    showSelection();
}

void Editor::showSelection()
{
    count_ = std::count(selected_.begin(), selected_.end(), true);
    if (window_) {
        const Scene* scene = window_->view()->scene();
        window_->view()->setHighlight(count_ && scene ? SceneOf(*scene, selected_) : nullptr);
    }
    label_->setText(selectionText());
    updateActions();
    emit selectionChanged();
}

QString Editor::selectionText() const
{
    if (count_ == 0)
        return {};
    if (count_ == 1) {
        QString block;
        bool isText = false;
        QString text;
        const auto values = attributesOf(selection().front(), &block, &isText, &text);
        for (const AttributeValue& a : values)
            if (a.tag.compare(QStringLiteral("INWENT_NUMER"), Qt::CaseInsensitive) == 0 && !a.value.isEmpty())
                return QStringLiteral("Sygnalizator %1 (%2)").arg(a.value, block);
    }
    return ObjectCount(count_);
}

void Editor::updateActions()
{
    const bool some = editable_ && !busy() && count_ > 0;
    for (QAction* action : {erase_, move_, rotate_, copy_})
        action->setEnabled(some);
    attributes_->setEnabled(some && count_ == 1);
    const bool open = editable_ && !busy();
    if (open != wasOpen_) {
        wasOpen_ = open;
        emit editableChanged();
    }
}

std::vector<AttributeValue> Editor::attributesOf(std::size_t entity, QString* blockName, bool* isText,
                                                 QString* text) const
{
    std::vector<AttributeValue> out;
    const auto drawing = host_->drawing();
    drawing.forEachModelSpace(entity, [&](std::size_t, const ce::DrawingEntity& e) {
        *isText = e.type() == "TEXT" || e.type() == "MTEXT";
        if (*isText)
            *text = QString::fromStdString(e.text(1));
        if (e.type() == "INSERT") {
            *blockName = QString::fromStdString(e.text(2));
            for (const auto& child : e.children())
                if (child.type() == "ATTRIB")
                    out.push_back({QString::fromStdString(child.text(2)), QString::fromStdString(child.text(1))});
        }
        return false;
    });
    return out;
}

// ---------------------------------------------------------------- edits

void Editor::erase()
{
    if (!editable_ || busy() || count_ == 0)
        return;
    const auto chosen = selection();
    selected_.clear();
    showSelection();
    host_->erase(chosen);
}

void Editor::startMove()
{
    if (editable_ && !busy() && count_ > 0)
        ask(Step::MoveBase, {Question::Kind::Point, QString::fromUtf8(kBasePointPrompt), std::nullopt});
}

void Editor::startRotate()
{
    if (editable_ && !busy() && count_ > 0)
        ask(Step::RotateBase, {Question::Kind::Point, QString::fromUtf8(kBasePointPrompt), std::nullopt});
}

void Editor::startCopy()
{
    if (editable_ && !busy() && count_ > 0)
        ask(Step::CopyBase, {Question::Kind::Point, QString::fromUtf8(kBasePointPrompt), std::nullopt});
}

void Editor::ask(Step step, Question question)
{
    step_ = step;
    question_ = std::move(question);
    window_->view()->setSelecting(false);
    updateActions();
    window_->input()->ask(question_);
}

void Editor::finish(PromptLine prompt)
{
    step_ = Step::None;
    if (!window_)
        return;
    window_->view()->setRubberBlock(nullptr);
    window_->view()->setSelecting(editable_);
    if (prompt == PromptLine::Clear)
        window_->input()->showPrompt(QString());
    updateActions();
}

void Editor::answered()
{
    if (step_ == Step::None || !window_)
        return;
    const auto answer = window_->input()->poll(question_);
    if (!answer)
        return;
    if (answer->kind == Answer::Kind::Cancel || answer->kind == Answer::Kind::Accept) {
        // Nothing changed; the prompt line shows the cancel.
        finish(PromptLine::Keep);
        return;
    }
    const Scene* scene = window_->view()->scene();
    auto follow = [&](Vec2 base) {
        // The selection follows the cursor, held at the base point.
        if (scene)
            window_->view()->setRubberBlock(
                SceneOf(*scene, selected_, Affine::translation(-base.x, -base.y)));
    };
    switch (step_) {
    case Step::MoveBase:
    case Step::CopyBase:
        if (answer->kind != Answer::Kind::Point)
            break;
        base_ = answer->point;
        follow(base_);
        ask(step_ == Step::MoveBase ? Step::MoveTo : Step::CopyTo,
            {Question::Kind::Point, QString::fromUtf8(kSecondPointPrompt), base_});
        return;
    case Step::RotateBase:
        if (answer->kind != Answer::Kind::Point)
            break;
        base_ = answer->point;
        follow(base_);
        ask(Step::RotateAngle, {Question::Kind::Angle, QString::fromUtf8(kRotationPrompt), base_});
        return;
    case Step::MoveTo:
    case Step::CopyTo: {
        if (answer->kind != Answer::Kind::Point)
            break;
        const bool copying = step_ == Step::CopyTo;
        ce::EmbeddedApplication::Placement how;
        how.dx = answer->point.x - base_.x;
        how.dy = answer->point.y - base_.y;
        const auto chosen = selection();
        const std::size_t before = host_->drawing().modelSpaceCount();
        finish(PromptLine::Clear);
        if (copying && host_->copy(chosen, how)) {
            // The copies are selected now, to be placed on.
            std::vector<std::uint32_t> copies;
            for (std::size_t i = before, n = host_->drawing().modelSpaceCount(); i < n; ++i)
                copies.push_back(std::uint32_t(i));
            select(copies);
        } else if (!copying) {
            host_->transform(chosen, how);
        }
        return;
    }
    case Step::RotateAngle: {
        if (answer->kind != Answer::Kind::Angle)
            break;
        ce::EmbeddedApplication::Placement how;
        how.baseX = base_.x;
        how.baseY = base_.y;
        how.degrees = answer->degrees;
        finish(PromptLine::Clear);
        host_->transform(selection(), how);
        return;
    }
    case Step::None: return;
    }
    // Not an answer to this question: asked again.
    window_->input()->ask(question_);
}

void Editor::editEntity(std::size_t entity)
{
    if (!editable_ || busy())
        return;
    QString block, text;
    bool isText = false;
    const auto values = attributesOf(entity, &block, &isText, &text);
    if (isText) {
        if (const auto changed = textDialog_(text); changed && *changed != text)
            host_->setText(entity, changed->toStdString());
        return;
    }
    if (values.empty())
        return;
    const auto changed = attributeDialog_(block, values);
    if (!changed)
        return;
    std::vector<std::pair<std::string, std::string>> written;
    for (const AttributeValue& a : *changed)
        written.push_back({a.tag.toStdString(), a.value.toStdString()});
    host_->setAttributes(entity, written);
}

} // namespace lumo::view
