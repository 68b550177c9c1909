#include "cad/embedded/view/drawing_input.h"

#include "cad/embedded/view/drawing_view.h"

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
        const Vec2 p{*x, *y};
        if (question.kind == Question::Kind::Point)
            return Answer{Answer::Kind::Point, p, 0.0};
        if (!question.base || (p.x == question.base->x && p.y == question.base->y))
            return std::nullopt;
        double degrees = std::atan2(p.y - question.base->y, p.x - question.base->x) * 180.0 / kPi;
        if (degrees < 0.0)
            degrees += 360.0;
        return Answer{Answer::Kind::Angle, {}, degrees};
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
    connect(view_, &DrawingView::cancelled, this, [this] {
        if (current_)
            give({Answer::Kind::Cancel, {}, 0.0});
    });
    connect(view_, &DrawingView::entered, this, &DrawingInput::submitTyped);
    connect(view_, &DrawingView::typed, this, [this](const QString& text) {
        edit_->insert(text);
        edit_->setFocus(Qt::OtherFocusReason);
    });
    connect(edit_, &QLineEdit::returnPressed, this, &DrawingInput::submitTyped);
}

void DrawingInput::submitTyped()
{
    if (!current_)
        return;
    const QString text = edit_->text();
    const auto answer = parseTyped(text, *current_);
    if (!answer) {
        prompt_->setText(QStringLiteral("Nie rozpoznano \"%1\". %2").arg(text, current_->prompt));
        edit_->selectAll();
        return;
    }
    edit_->clear();
    give(*answer);
}

void DrawingInput::ask(const Question& question)
{
    if (current_ && *current_ == question)
        return;
    current_ = question;
    prompt_->setText(question.prompt);
    if (question.kind == Question::Kind::Angle && question.base)
        view_->askAngle(*question.base);
    else
        view_->askPoint(question.base);
}

void DrawingInput::give(const Answer& answer)
{
    answers_.push_back(answer);
    // One answer per question: the next question arms the view again.
    current_.reset();
    view_->askNothing();
    if (answer.kind == Answer::Kind::Cancel)
        prompt_->setText(QString::fromLatin1(kCancelPrompt));
    emit answered();
}

std::optional<Answer> DrawingInput::poll(const Question& question)
{
    if (closed_)
        return Answer{Answer::Kind::Cancel, {}, 0.0};
    if (!answers_.empty()) {
        const Answer a = answers_.front();
        answers_.pop_front();
        return a;
    }
    ask(question);
    return std::nullopt;
}

Answer DrawingInput::wait(const Question& question)
{
    if (auto a = poll(question))
        return *a;
    ++waiting_;
    QEventLoop loop;
    connect(this, &DrawingInput::answered, &loop, &QEventLoop::quit);
    while (answers_.empty()) {
        // Whatever happened meanwhile, the question of this wait stays asked.
        if (!current_)
            ask(question);
        loop.exec();
    }
    --waiting_;
    const Answer a = answers_.front();
    answers_.pop_front();
    return a;
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
}

void DrawingInput::close()
{
    closed_ = true;
    cancel();
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
