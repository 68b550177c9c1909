// The embedded host's command line: runs the command texts the program sends
// (the interactive insert) and the GetPoint prompt, asking the input source
// for what the text does not give. A command that needs the designer stays
// waiting; advance() moves it on with whatever the source has by then.
#pragma once

#include "cad/embedded/input.h"
#include "cad/host.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lumo::cad::embedded {

// A block reference the insert command has all it needs for.
struct InsertPlacement {
    std::string blockName;
    Point3 point;
    Point3 scale{1.0, 1.0, 1.0};
    double rotation = 0.0; // radians
};

// What a waiting insert looks like, for a window drawing the block at the
// cursor.
struct PendingInsert {
    std::string prompt;
    std::string blockName;
    Point3 scale{1.0, 1.0, 1.0};
    double rotation = 0.0; // radians; 0 until given
    bool rotationGiven = false;
    std::optional<Point3> insertionPoint; // once picked
    friend bool operator==(const PendingInsert&, const PendingInsert&) = default;
};

// How the drawing wants typed angles read: its $AUNITS (0 decimal degrees,
// 1 degrees/minutes/seconds, 2 grads, 3 radians, 4 surveyor's bearings),
// $ANGDIR (clockwise when true) and $ANGBASE (the direction of angle 0,
// radians from the X axis).
struct AngleUnits {
    int units = 0;
    bool clockwise = false;
    double base = 0.0;
    friend bool operator==(const AngleUnits&, const AngleUnits&) = default;
};

// A typed angle in the drawing's units, as an angle from the X axis counter-
// clockwise in degrees; nullopt when the text is no angle. A suffix names
// other units ("100g", "1.5708r", "45d30'15\"").
std::optional<double> ReadAngle(const std::string& text, const AngleUnits& units);

inline constexpr const char* kCancelMarker = "*Cancel*";
inline constexpr const char* kPolishCancelMarker = "*Anulowano*";

class CommandLine {
public:
    struct Target {
        // The block's name as the drawing spells it; nullopt when undefined.
        std::function<std::optional<std::string>(const std::string& name)> findBlock;
        // Adds the block reference to the drawing.
        std::function<void(const InsertPlacement&)> insert;
    };

    explicit CommandLine(Target target);

    // As if typed: CR, LF and blanks end each word. Runs the words and
    // returns when they are used up or a command waits for the designer. A
    // command still waiting when new text arrives is cancelled first.
    void send(const std::string& text);
    // Moves a waiting command on with the source's answers, without blocking.
    void advance(InputSource& source);
    // Cancels a waiting command (Escape).
    void cancel();

    // Waits for a point; HostError on cancel (or when a command is waiting).
    Point3 getPoint(InputSource& source, const std::string& prompt);

    // Prompts and the cancel marker in Polish (as a host with a Polish
    // user interface has them) or English.
    void setPolish(bool polish) { polish_ = polish; }
    // Rotations typed with the command are read in these units.
    void setAngleUnits(const AngleUnits& units) { angleUnits_ = units; }
    const char* cancelMarker() const { return polish_ ? kPolishCancelMarker : kCancelMarker; }

    bool isWaiting() const { return state_ != State::Idle; }
    const std::string& lastPrompt() const { return lastPrompt_; }
    std::optional<InputRequest> currentRequest() const;
    std::optional<PendingInsert> pendingInsert() const;

private:
    enum class State {
        Idle,
        BlockName,
        InsertionPoint,
        ScaleXyz,
        ScaleX,
        ScaleY,
        ScaleZ,
        PresetRotation,
        Rotation,
    };

    void runWord(const std::string& word);
    void startCommand(const std::string& word);
    void answer(const InputAnswer& answer);
    void enter(State state);
    void takeNumber(double value);
    void takePoint(const Point3& point, const std::string& echo);
    void finish(const std::string& echo);
    void place();
    std::string promptOf(State state) const;

    Target target_;
    State state_ = State::Idle;
    std::string lastPrompt_;
    InsertPlacement insert_;
    std::optional<double> scaleX_, scaleY_, scaleZ_;
    bool rotationGiven_ = false;
    std::optional<Point3> point_;
    std::optional<Point3> lastPlaced_; // insertion point of the last insert placed
    bool polish_ = false;
    AngleUnits angleUnits_;
};

// Numbers the way the command line writes them: a decimal point, up to 15
// significant digits, no trailing zeros.
std::string FormatNumber(double value);

} // namespace lumo::cad::embedded
