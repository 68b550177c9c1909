// The designer's answers to what the host asks: a question shows its prompt
// on the prompt line and arms the drawing view; a click, a typed value, Enter
// or Escape becomes the answer. The host either polls (never blocking) or
// waits, which runs a local event loop until the designer answers. While a
// wait runs its question stays asked, and once the input is closed every
// question is answered with a cancel, so a wait always ends.
#pragma once

#include "cad/embedded/view/scene.h"

#include <QObject>
#include <QString>

#include <deque>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;

namespace lumo::view {

class DrawingView;

struct Question {
    enum class Kind { Point, Angle };
    Kind kind = Kind::Point;
    QString prompt;
    std::optional<Vec2> base; // the rubber band's start (the insertion point for an angle)
    friend bool operator==(const Question&, const Question&) = default;
};

struct Answer {
    enum class Kind { Point, Angle, Accept, Cancel };
    Kind kind = Kind::Cancel;
    Vec2 point;
    double degrees = 0.0;
};

// What the prompt line shows after Escape, as the host has it.
inline constexpr const char* kCancelPrompt = "*Cancel*";

// Reads typed input: a point "x,y" (decimal point, optional blanks), or a
// number (an angle in degrees, or a value such as a scale); for an angle a
// point gives the angle towards it from the base. Empty text accepts the
// prompt's default. nullopt when the text is none of these.
std::optional<Answer> parseTyped(const QString& text, const Question& question);

class DrawingInput : public QObject {
    Q_OBJECT
public:
    DrawingInput(DrawingView* view, QLabel* prompt, QLineEdit* edit, QObject* parent = nullptr);

    // Shows the question (when it is new) and returns an answer given to it,
    // if any.
    std::optional<Answer> poll(const Question& question);
    // Shows the question and waits for the answer.
    Answer wait(const Question& question);
    // Nothing is asked any more (the command ended); answers not taken are dropped.
    void clear();
    // Cancels what is asked, as Escape does.
    void cancel();
    // The window is going away: what is asked now or later is cancelled.
    void close();
    bool isClosed() const { return closed_; }
    bool isWaiting() const { return waiting_ > 0; }
    const std::optional<Question>& current() const { return current_; }
    // Text on the prompt line without a question (the host's own prompt).
    void showPrompt(const QString& text);
    QString promptText() const;

signals:
    void answered();

private:
    void ask(const Question& question);
    void give(const Answer& answer);
    void submitTyped();

    DrawingView* view_;
    QLabel* prompt_;
    QLineEdit* edit_;
    std::optional<Question> current_;
    std::deque<Answer> answers_;
    int waiting_ = 0; // nested waits running
    bool closed_ = false;
};

} // namespace lumo::view
