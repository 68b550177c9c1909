#include "cad/embedded/view/drawing_input.h"

#include "cad/embedded/view/drawing_view.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>

#include <cmath>

namespace lumo::view {

namespace {

constexpr double kPi = 3.14159265358979323846;

std::optional<double> number(const QString& text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok); // C locale: decimal point
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The direction from base to p in degrees, 0..360; nullopt when they meet.
std::optional<double> angleTowards(Vec2 base, Vec2 p)
{
    if (p.x == base.x && p.y == base.y)
        return std::nullopt;
    double degrees = std::atan2(p.y - base.y, p.x - base.x) * 180.0 / kPi;
    if (degrees < 0.0)
        degrees += 360.0;
    return degrees;
}

// A click as the answer to the question: the point, or for an angle the
// direction towards it from the base.
std::optional<Answer> clickAnswer(Vec2 p, const Question& question)
{
    if (question.kind == Question::Kind::Point)
        return Answer{Answer::Kind::Point, p, 0.0};
    if (!question.base)
        return std::nullopt;
    if (const auto degrees = angleTowards(*question.base, p))
        return Answer{Answer::Kind::Angle, {}, *degrees};
    return std::nullopt;
}

} // namespace

std::optional<Answer> parseTyped(const QString& text, const Question& question)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return Answer{Answer::Kind::Accept, {}, 0.0};
    const auto parts = t.split(QLatin1Char(','));
    if (parts.size() == 2 || parts.size() == 3) {
        const auto x = number(parts[0]), y = number(parts[1]);
        if (!x || !y || (parts.size() == 3 && !number(parts[2])))
            return std::nullopt;
        return clickAnswer({*x, *y}, question);
    }
    // A lone number: an angle, or a value such as a scale the host asks for.
    if (parts.size() == 1) {
        if (const auto value = number(t))
            return Answer{Answer::Kind::Angle, {}, *value};
    }
    return std::nullopt;
}

DrawingInput::DrawingInput(DrawingView* view, QLabel* prompt, QLineEdit* edit, QObject* parent)
    : QObject(parent), view_(view), prompt_(prompt), edit_(edit)
{
    connect(view_, &DrawingView::pointPicked, this, [this](double x, double y) {
        if (current_ && current_->kind == Question::Kind::Point)
            give({Answer::Kind::Point, {x, y}, 0.0});
    });
    connect(view_, &DrawingView::anglePicked, this, [this](double degrees) {
        if (current_ && current_->kind == Question::Kind::Angle)
            give({Answer::Kind::Angle, {}, degrees});
    });
    connect(view_, &DrawingView::clickedUnasked, this, [this](double x, double y) {
        if (!current_)
            giveAhead({Ahead::Kind::Click, {x, y}, {}});
    });
    connect(view_, &DrawingView::cancelled, this, &DrawingInput::cancel);
    // What was kept belongs to what the designer saw in this window: once
    // another window (a form) takes over, it is no longer meant.
    view_->window()->installEventFilter(this);
    connect(view_, &DrawingView::entered, this, &DrawingInput::submitTyped);
    connect(view_, &DrawingView::typed, this, [this](const QString& text) {
        edit_->insert(text);
        edit_->setFocus(Qt::OtherFocusReason);
    });
    connect(edit_, &QLineEdit::returnPressed, this, &DrawingInput::submitTyped);
}

bool DrawingInput::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::WindowDeactivate && watched == view_->window() && !ahead_.empty())
        dropAhead();
    return QObject::eventFilter(watched, event);
}

void DrawingInput::submitTyped()
{
    // Enter ends a view command (a pan) wherever it is pressed, and answers nothing.
    if (view_->endViewTool())
        return;
    const QString text = edit_->text();
    if (!current_) {
        // Enter on an empty line answers nothing yet; a value waits for its question.
        if (text.trimmed().isEmpty())
            return;
        // Refused, the value stays on the line to be entered again.
        if (giveAhead({Ahead::Kind::Typed, {}, text}))
            edit_->clear();
        return;
    }
    const auto answer = parseTyped(text, *current_);
    if (!answer) {
        prompt_->setText(QStringLiteral("Nie rozpoznano \"%1\". %2").arg(text, current_->prompt));
        edit_->selectAll();
        return;
    }
    edit_->clear();
    give(*answer);
}

void DrawingInput::arm(const Question& question)
{
    if (current_ && *current_ == question)
        return;
    current_ = question;
    prompt_->setText(question.prompt);
    if (question.kind == Question::Kind::Angle && question.base)
        view_->askAngle(*question.base);
    else
        view_->askPoint(question.base, question.rubber);
    emit asked(question);
}

void DrawingInput::give(const Answer& answer)
{
    answers_.push_back({*current_, answer});
    // One answer per question: the next question arms the view again.
    current_.reset();
    view_->askNothing();
    if (answer.kind == Answer::Kind::Cancel)
        prompt_->setText(QString::fromLatin1(kCancelPrompt));
    emit answered();
}

bool DrawingInput::giveAhead(const Ahead& ahead)
{
    if (closed_ || !keepsAhead_ || !keepsAhead_()) {
        if (ahead.kind == Ahead::Kind::Cancel)
            return false; // nothing to cancel
        prompt_->setText(QString::fromUtf8(kRefusedPrompt));
        QApplication::beep();
        return false;
    }
    ahead_.push_back(ahead);
    prompt_->setText(QString::fromUtf8(kKeptPrompt));
    return true;
}

void DrawingInput::dropAhead()
{
    if (ahead_.empty())
        return;
    ahead_.clear();
    prompt_->setText(QString::fromUtf8(kDroppedPrompt));
}

std::optional<Answer> DrawingInput::takeAhead(const Question& question)
{
    while (!ahead_.empty()) {
        const Ahead ahead = ahead_.front();
        ahead_.pop_front();
        switch (ahead.kind) {
        case Ahead::Kind::Cancel: return Answer{Answer::Kind::Cancel, {}, 0.0};
        case Ahead::Kind::Click:
            if (auto answer = clickAnswer(ahead.point, question))
                return answer;
            break;
        case Ahead::Kind::Typed:
            if (auto answer = parseTyped(ahead.text, question))
                return answer;
            break;
        }
        // Not an answer to this question: the designer sees it was passed over.
        prompt_->setText(QString::fromUtf8(kDroppedPrompt));
    }
    return std::nullopt;
}

std::optional<Answer> DrawingInput::take(const Question& question)
{
    if (closed_)
        return Answer{Answer::Kind::Cancel, {}, 0.0};
    // Answers to a question the host no longer asks went with it.
    while (!answers_.empty() && !(answers_.front().question == question))
        answers_.pop_front();
    if (!answers_.empty()) {
        const Answer a = answers_.front().answer;
        answers_.pop_front();
        return a;
    }
    if (auto a = takeAhead(question)) {
        if (a->kind == Answer::Kind::Cancel)
            prompt_->setText(QString::fromLatin1(kCancelPrompt));
        return a;
    }
    return std::nullopt;
}

std::optional<Answer> DrawingInput::poll(const Question& question)
{
    if (auto a = take(question))
        return a;
    arm(question);
    return std::nullopt;
}

void DrawingInput::ask(const Question& question)
{
    if (closed_ || (current_ && *current_ == question))
        return;
    // What was kept answers it at once: the host hears of it as of a click.
    if (!ahead_.empty() && answers_.empty()) {
        if (auto a = takeAhead(question)) {
            answers_.push_back({question, *a});
            QMetaObject::invokeMethod(this, &DrawingInput::answered, Qt::QueuedConnection);
            return;
        }
    }
    arm(question);
}

Answer DrawingInput::wait(const Question& question)
{
    if (auto a = poll(question))
        return *a;
    ++waiting_;
    QEventLoop loop;
    connect(this, &DrawingInput::answered, &loop, &QEventLoop::quit);
    std::optional<Answer> a;
    while (!(a = take(question))) {
        // Whatever happened meanwhile, the question of this wait stays asked.
        if (!current_)
            arm(question);
        loop.exec();
    }
    --waiting_;
    return *a;
}

void DrawingInput::clear()
{
    // A wait still running keeps its question.
    if (waiting_ > 0)
        return;
    current_.reset();
    answers_.clear();
    view_->askNothing();
}

void DrawingInput::cancel()
{
    if (current_)
        give({Answer::Kind::Cancel, {}, 0.0});
    else if (!giveAhead({Ahead::Kind::Cancel, {}, {}}))
        emit cancelledUnasked();
}

void DrawingInput::close()
{
    closed_ = true;
    ahead_.clear();
    if (current_)
        give({Answer::Kind::Cancel, {}, 0.0});
}

void DrawingInput::showPrompt(const QString& text)
{
    prompt_->setText(text);
}

QString DrawingInput::promptText() const
{
    return prompt_->text();
}

} // namespace lumo::view
