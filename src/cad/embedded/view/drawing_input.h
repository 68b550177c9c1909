// The designer's answers to what the host asks: a question shows its prompt
// on the prompt line and arms the drawing view; a click, a typed value, Enter
// or Escape becomes the answer to that question and to no other. The host
// either polls (never blocking) or waits, which runs a local event loop until
// the designer answers. While a wait runs its question stays asked, and once
// the input is closed every question is answered with a cancel, so a wait
// always ends. A click, typed value or Escape that comes while nothing is
// asked is kept for the next question while a run goes on and the window
// stays active; otherwise it is refused on the prompt line.
#pragma once

#include "cad/embedded/view/drawing_view.h"
#include "cad/embedded/view/scene.h"

#include <QObject>
#include <QString>

#include <deque>
#include <functional>
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
    RubberBand rubber = RubberBand::Line; // a point's: a line from the base, or a window
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
// What it shows for a click or a value kept for the next question, and for
// one refused as nothing is asked.
inline constexpr const char* kKeptPrompt = "Zapamiętano wskazanie – dla następnego pytania.";
inline constexpr const char* kRefusedPrompt = "Wskazanie pominięte: program o nic teraz nie pyta.";
inline constexpr const char* kDroppedPrompt = "Pominięto zapamiętane wskazania.";

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
    // if any; answers given to another question are dropped, as that
    // question is asked no more.
    std::optional<Answer> poll(const Question& question);
    // Shows the question without taking an answer (the host asks it before
    // it looks for the answer).
    void ask(const Question& question);
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
    // Whether what the designer gives while nothing is asked is kept for the
    // next question (a run goes on); without it, it is refused.
    void setKeepsAhead(std::function<bool()> keepsAhead) { keepsAhead_ = std::move(keepsAhead); }
    // Kept for the next question: clicks, typed values, Escape.
    std::size_t keptAhead() const { return ahead_.size(); }
    // Forgets what was kept, saying so on the prompt line.
    void dropAhead();

signals:
    // A question is put to the designer (the prompt shows it, the view is armed).
    void asked(const lumo::view::Question& question);
    void answered();
    // Escape while nothing is asked and nothing is kept ahead (the window's
    // own use of it: dropping the selection).
    void cancelledUnasked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What the designer gave while nothing was asked.
    struct Ahead {
        enum class Kind { Click, Typed, Cancel };
        Kind kind = Kind::Click;
        Vec2 point;
        QString text;
    };
    struct Given {
        Question question;
        Answer answer;
    };

    void arm(const Question& question);
    void give(const Answer& answer);
    // Given while nothing is asked: kept (true) or refused.
    bool giveAhead(const Ahead& ahead);
    void submitTyped();
    // An answer to this question given already or kept from before it.
    std::optional<Answer> take(const Question& question);
    std::optional<Answer> takeAhead(const Question& question);

    DrawingView* view_;
    QLabel* prompt_;
    QLineEdit* edit_;
    std::optional<Question> current_;
    std::deque<Given> answers_;
    std::deque<Ahead> ahead_;
    std::function<bool()> keepsAhead_;
    int waiting_ = 0; // nested waits running
    bool closed_ = false;
};

} // namespace lumo::view
