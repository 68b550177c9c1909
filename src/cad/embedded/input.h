// Where the embedded host's designer input comes from: the drawing window
// (clicks, typed angles, Escape) or a script. The host asks for one thing at
// a time; while a command waits it polls without blocking, GetPoint waits.
#pragma once

#include "cad/host.h"

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumo::cad::embedded {

struct InputRequest {
    enum class Kind { Point, Angle };
    Kind kind = Kind::Point;
    std::string prompt;
    // The point a rubber band starts from (the insertion point when an
    // angle is asked), if any.
    std::optional<Point3> basePoint;
};

struct InputAnswer {
    enum class Kind {
        Nothing, // not yet (only from poll)
        Point,
        Angle, // degrees
        Accept, // Enter: the prompt's default
        Cancel, // Escape
    };
    Kind kind = Kind::Nothing;
    Point3 point;
    double degrees = 0.0;

    static InputAnswer nothing() { return {}; }
    static InputAnswer cancel() { return {Kind::Cancel, {}, 0.0}; }
    static InputAnswer accept() { return {Kind::Accept, {}, 0.0}; }
    static InputAnswer pointAt(double x, double y) { return {Kind::Point, {x, y, 0.0}, 0.0}; }
    static InputAnswer angle(double degrees) { return {Kind::Angle, {}, degrees}; }
    friend bool operator==(const InputAnswer&, const InputAnswer&) = default;
};

class InputSource {
public:
    virtual ~InputSource() = default;
    // The answer if there is one now, else Nothing; never blocks.
    virtual InputAnswer poll(const InputRequest& request) = 0;
    // Blocks until the designer answers; never Nothing.
    virtual InputAnswer wait(const InputRequest& request) = 0;
    // A command waits for this: the designer is asked at once, though the
    // answer is looked for later (by poll).
    virtual void ask(const InputRequest&) { }
    // What was asked last is no longer asked (its command ended without
    // the answer: cancelled by the program or replaced by another).
    virtual void withdraw() { }
};

// Answers from a list given beforehand; once it runs out every request is
// cancelled, so an unattended run never hangs.
class ScriptedInputSource : public InputSource {
public:
    ScriptedInputSource() = default;
    explicit ScriptedInputSource(std::vector<InputAnswer> answers);

    // One input a line: "point X Y", "angle DEGREES", "cancel"; blank lines
    // and lines starting with '#' are skipped. Throws HostError naming the
    // line of anything else.
    static std::vector<InputAnswer> parse(const std::string& text);
    // Throws HostError when the file cannot be read or holds a bad line.
    static std::shared_ptr<ScriptedInputSource> fromFile(const std::string& path);

    InputAnswer poll(const InputRequest& request) override;
    InputAnswer wait(const InputRequest& request) override;

    void push(const InputAnswer& answer) { answers_.push_back(answer); }
    std::size_t remaining() const { return answers_.size(); }
    // The prompts asked so far, in order.
    const std::vector<std::string>& prompts() const { return prompts_; }

private:
    InputAnswer next(const InputRequest& request);
    std::deque<InputAnswer> answers_;
    std::vector<std::string> prompts_;
};

// Answers only what it has been given and says "not yet" otherwise; wait()
// on an empty queue cancels. Lets a caller play the designer step by step.
class QueuedInputSource : public InputSource {
public:
    void push(const InputAnswer& answer) { answers_.push_back(answer); }
    InputAnswer poll(const InputRequest& request) override;
    InputAnswer wait(const InputRequest& request) override;
    std::optional<InputRequest> lastRequest() const { return last_; }

private:
    std::deque<InputAnswer> answers_;
    std::optional<InputRequest> last_;
};

} // namespace lumo::cad::embedded
