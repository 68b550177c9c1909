#include "cad/embedded/command_line.h"

#include "base/utf8.h"

#include <charconv>
#include <cmath>
#include <numbers>

namespace lumo::cad::embedded {

namespace {

// "_R", "R", "Rotate" all name the option; the underscore asks for the
// English name, which is the only one this host knows.
std::string option(const std::string& word)
{
    std::string w = base::UpperAscii(word);
    while (!w.empty() && (w[0] == '_' || w[0] == '.'))
        w.erase(0, 1);
    return w;
}

std::optional<double> parseNumber(const std::string& text)
{
    double value = 0.0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+')
        ++first;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<Point3> parsePoint(const std::string& text)
{
    std::vector<double> parts;
    std::size_t start = 0;
    while (true) {
        const auto comma = text.find(',', start);
        const auto value = parseNumber(text.substr(start, comma - start));
        if (!value)
            return std::nullopt;
        parts.push_back(*value);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    return Point3{parts[0], parts[1], parts.size() == 3 ? parts[2] : 0.0};
}

constexpr double kDegree = std::numbers::pi / 180.0;

// "45d30'15\"", "45d30'", "45d": degrees, minutes, seconds; a number alone
// is degrees.
std::optional<double> readDegreesMinutesSeconds(const std::string& text)
{
    const auto d = text.find_first_of("dD");
    if (d == std::string::npos)
        return parseNumber(text);
    const auto degrees = parseNumber(text.substr(0, d));
    if (!degrees)
        return std::nullopt;
    double value = *degrees;
    std::string rest = text.substr(d + 1);
    const double sign = text[0] == '-' ? -1.0 : 1.0;
    for (const auto& [mark, divisor] : {std::pair{'\'', 60.0}, std::pair{'"', 3600.0}}) {
        if (rest.empty())
            break;
        const auto at = rest.find(mark);
        if (at == std::string::npos)
            return std::nullopt;
        const auto part = parseNumber(rest.substr(0, at));
        if (!part || *part < 0.0)
            return std::nullopt;
        value += sign * *part / divisor;
        rest = rest.substr(at + 1);
    }
    if (!rest.empty())
        return std::nullopt;
    return value;
}

// "N45d30'E": the bearing's angle from the X axis in degrees.
std::optional<double> readBearing(const std::string& text)
{
    const std::string t = base::UpperAscii(text);
    if (t == "E")
        return 0.0;
    if (t == "N")
        return 90.0;
    if (t == "W")
        return 180.0;
    if (t == "S")
        return 270.0;
    if (t.size() < 3 || (t[0] != 'N' && t[0] != 'S') || (t.back() != 'E' && t.back() != 'W'))
        return std::nullopt;
    const auto a = readDegreesMinutesSeconds(text.substr(1, text.size() - 2));
    if (!a || *a < 0.0 || *a > 90.0)
        return std::nullopt;
    const bool north = t[0] == 'N';
    const bool east = t.back() == 'E';
    if (north)
        return east ? 90.0 - *a : 90.0 + *a;
    return east ? 270.0 + *a : 270.0 - *a;
}

} // namespace

std::optional<double> ReadAngle(const std::string& text, const AngleUnits& units)
{
    if (text.empty())
        return std::nullopt;
    // A bearing names its direction outright: base and direction do not apply.
    if (units.units == 4) {
        if (const auto bearing = readBearing(text))
            return bearing;
    }
    std::optional<double> user; // degrees, measured as the drawing measures angles
    const char last = text.back();
    const std::string body = text.substr(0, text.size() - 1);
    if (last == 'r' || last == 'R') {
        if (const auto v = parseNumber(body))
            user = *v / kDegree;
    } else if (last == 'g' || last == 'G') {
        if (const auto v = parseNumber(body))
            user = *v * 0.9;
    } else if (const auto plain = parseNumber(text); plain && units.units == 2) {
        user = *plain * 0.9;
    } else if (plain && units.units == 3) {
        user = *plain / kDegree;
    } else {
        user = readDegreesMinutesSeconds(text);
    }
    if (!user)
        return std::nullopt;
    return units.base / kDegree + (units.clockwise ? -*user : *user);
}

std::string FormatNumber(double value)
{
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
    if (ec != std::errc())
        return "0";
    std::string text(buffer, end);
    return text == "-0" ? "0" : text;
}

CommandLine::CommandLine(Target target) : target_(std::move(target)) { }

std::string CommandLine::promptOf(State state) const
{
    if (polish_) {
        switch (state) {
        case State::Idle: return "Polecenie:";
        case State::BlockName: return "Podaj nazwę bloku lub [?]:";
        case State::InsertionPoint: return "Określ punkt wstawienia lub [punkt Bazowy/Skala/X/Y/Z/Obrót]:";
        case State::ScaleXyz: return "Określ współczynnik skali dla osi XYZ <1>:";
        case State::ScaleX: return "Określ współczynnik skali X <1>:";
        case State::ScaleY: return "Określ współczynnik skali Y <1>:";
        case State::ScaleZ: return "Określ współczynnik skali Z <1>:";
        case State::PresetRotation:
        case State::Rotation: return "Określ kąt obrotu <0>:";
        }
    }

    switch (state) {
    case State::Idle: return "Command:";
    case State::BlockName: return "Enter block name or [?]:";
    case State::InsertionPoint: return "Specify insertion point or [Basepoint/Scale/X/Y/Z/Rotate]:";
    case State::ScaleXyz: return "Specify scale factor for XYZ axes <1>:";
    case State::ScaleX: return "Specify X scale factor <1>:";
    case State::ScaleY: return "Specify Y scale factor <1>:";
    case State::ScaleZ: return "Specify Z scale factor <1>:";
    case State::PresetRotation: return "Specify rotation angle <0>:";
    case State::Rotation: return "Specify rotation angle <0>:";
    }
    return "";
}

void CommandLine::enter(State state)
{
    state_ = state;
    if (state != State::Idle)
        lastPrompt_ = promptOf(state);
}

std::optional<InputRequest> CommandLine::currentRequest() const
{
    if (state_ == State::Idle)
        return std::nullopt;
    InputRequest request;
    request.prompt = promptOf(state_);
    switch (state_) {
    case State::BlockName:
    case State::InsertionPoint: request.kind = InputRequest::Kind::Point; break;
    case State::Rotation: request.basePoint = point_; [[fallthrough]];
    default: request.kind = InputRequest::Kind::Angle; break;
    }
    return request;
}

std::optional<PendingInsert> CommandLine::pendingInsert() const
{
    if (state_ == State::Idle || state_ == State::BlockName)
        return std::nullopt;
    PendingInsert pending;
    pending.prompt = promptOf(state_);
    pending.blockName = insert_.blockName;
    const double x = scaleX_.value_or(1.0);
    pending.scale = {x, scaleY_.value_or(x), scaleZ_.value_or(x)};
    pending.rotation = insert_.rotation;
    pending.rotationGiven = rotationGiven_;
    pending.insertionPoint = point_;
    return pending;
}

void CommandLine::send(const std::string& text)
{
    if (isWaiting())
        cancel();
    std::string word;
    for (const char c : text) {
        if (c == '\r' || c == '\n' || c == ' ' || c == '\t') {
            runWord(word);
            word.clear();
        } else {
            word += c;
        }
    }
    // A word without its Enter stays on the command line unrun, as typed
    // text does.
}

void CommandLine::runWord(const std::string& word)
{
    if (state_ == State::Idle) {
        if (!word.empty())
            startCommand(word);
        return;
    }
    const std::string opt = option(word);
    switch (state_) {
    case State::Idle: break;
    case State::BlockName: {
        if (word.empty())
            return;
        const auto name = target_.findBlock ? target_.findBlock(word) : std::nullopt;
        if (!name) {
            lastPrompt_ = "Block \"" + word + "\" not found.";
            state_ = State::Idle;
            return;
        }
        insert_ = InsertPlacement{};
        insert_.blockName = *name;
        enter(State::InsertionPoint);
        return;
    }
    case State::InsertionPoint: {
        if (opt == "S" || opt == "SCALE")
            enter(State::ScaleXyz);
        else if (opt == "X")
            enter(State::ScaleX);
        else if (opt == "Y")
            enter(State::ScaleY);
        else if (opt == "Z")
            enter(State::ScaleZ);
        else if (opt == "R" || opt == "ROTATE")
            enter(State::PresetRotation);
        else if (const auto p = parsePoint(word))
            takePoint(*p, word);
        else if (!word.empty())
            lastPrompt_ = "Point or option keyword required.";
        return;
    }
    default: {
        if (word.empty()) {
            answer(InputAnswer::accept());
            return;
        }
        if (state_ == State::PresetRotation || state_ == State::Rotation) {
            if (const auto degrees = ReadAngle(word, angleUnits_)) {
                takeNumber(*degrees);
                return;
            }
        } else if (const auto value = parseNumber(word)) {
            takeNumber(*value);
            return;
        }
        if (state_ == State::Rotation) {
            if (const auto p = parsePoint(word)) {
                takePoint(*p, word);
                return;
            }
        }
        lastPrompt_ = "Requires numeric value.";
        return;
    }
    }
}

void CommandLine::startCommand(const std::string& word)
{
    const std::string name = option(word);
    if (name == "-INSERT" || name == "INSERT") {
        insert_ = InsertPlacement{};
        scaleX_.reset();
        scaleY_.reset();
        scaleZ_.reset();
        rotationGiven_ = false;
        point_.reset();
        lastPlaced_.reset();
        enter(State::BlockName);
        return;
    }
    lastPrompt_ = "Unknown command \"" + base::UpperAscii(word) + "\".  Press F1 for help.";
}

void CommandLine::takeNumber(double value)
{
    const std::string echo = lastPrompt_ + " " + FormatNumber(value);
    const bool scale = state_ == State::ScaleXyz || state_ == State::ScaleX || state_ == State::ScaleY
        || state_ == State::ScaleZ;
    if (scale && value == 0.0) {
        lastPrompt_ = "Value must be nonzero.";
        return;
    }
    switch (state_) {
    case State::ScaleXyz: scaleX_ = scaleY_ = scaleZ_ = value; break;
    case State::ScaleX: scaleX_ = value; break;
    case State::ScaleY: scaleY_ = value; break;
    case State::ScaleZ: scaleZ_ = value; break;
    case State::PresetRotation:
        insert_.rotation = value * kDegree;
        rotationGiven_ = true;
        break;
    case State::Rotation:
        insert_.rotation = value * kDegree;
        rotationGiven_ = true;
        finish(echo);
        return;
    default: return;
    }
    enter(State::InsertionPoint);
}

void CommandLine::takePoint(const Point3& point, const std::string& echo)
{
    if (state_ == State::InsertionPoint) {
        point_ = point;
        if (rotationGiven_) {
            finish(promptOf(State::InsertionPoint) + " " + echo);
            return;
        }
        // The scale factors are not asked for afterwards: the program always
        // gives them with the command, and unattended they would stop the run.
        enter(State::Rotation);
        return;
    }
    if (state_ == State::Rotation && point_) {
        const double angle = std::atan2(point.y - point_->y, point.x - point_->x);
        insert_.rotation = angle;
        rotationGiven_ = true;
        finish(promptOf(State::Rotation) + " " + echo);
    }
}

void CommandLine::answer(const InputAnswer& answer)
{
    switch (answer.kind) {
    case InputAnswer::Kind::Nothing: return;
    case InputAnswer::Kind::Cancel: cancel(); return;
    case InputAnswer::Kind::Point:
        if (state_ == State::InsertionPoint || state_ == State::Rotation)
            takePoint(answer.point, FormatNumber(answer.point.x) + "," + FormatNumber(answer.point.y));
        return;
    case InputAnswer::Kind::Angle:
        if (state_ != State::BlockName && state_ != State::InsertionPoint)
            takeNumber(answer.degrees);
        return;
    case InputAnswer::Kind::Accept:
        switch (state_) {
        case State::ScaleXyz:
        case State::ScaleX:
        case State::ScaleY:
        case State::ScaleZ: takeNumber(1.0); return;
        case State::PresetRotation:
        case State::Rotation: takeNumber(angleUnits_.base / kDegree); return;
        default: return;
        }
    }
}

void CommandLine::advance(InputSource& source)
{
    while (isWaiting()) {
        const auto request = currentRequest();
        const auto reply = source.poll(*request);
        if (reply.kind == InputAnswer::Kind::Nothing)
            return;
        answer(reply);
    }
}

void CommandLine::cancel()
{
    if (!isWaiting())
        return;
    lastPrompt_ = promptOf(state_) + " " + cancelMarker();
    state_ = State::Idle;
    point_.reset();
}

void CommandLine::finish(const std::string& echo)
{
    state_ = State::Idle;
    lastPrompt_ = echo;
    place();
}

void CommandLine::place()
{
    if (!point_)
        return;
    insert_.point = *point_;
    lastPlaced_ = insert_.point;
    const double x = scaleX_.value_or(1.0);
    insert_.scale = {x, scaleY_.value_or(x), scaleZ_.value_or(x)};
    point_.reset();
    try {
        if (target_.insert)
            target_.insert(insert_);
    } catch (const std::exception& e) {
        lastPrompt_ = e.what();
    }
}

Point3 CommandLine::getPoint(InputSource& source, const std::string& prompt)
{
    if (isWaiting())
        advance(source);
    if (isWaiting())
        throw HostError("A command is in progress");
    InputRequest request;
    request.kind = InputRequest::Kind::Point;
    request.prompt = prompt;
    // The point that goes with the block just placed (its description) is
    // shown by a rubber band from its insertion point.
    request.basePoint = lastPlaced_;
    lastPrompt_ = prompt;
    while (true) {
        const auto reply = source.wait(request);
        switch (reply.kind) {
        case InputAnswer::Kind::Point:
            lastPrompt_ = prompt + " " + FormatNumber(reply.point.x) + "," + FormatNumber(reply.point.y);
            return reply.point;
        case InputAnswer::Kind::Cancel:
            lastPrompt_ = prompt + " " + cancelMarker();
            throw HostError(cancelMarker());
        case InputAnswer::Kind::Accept: throw HostError("No point was given");
        case InputAnswer::Kind::Nothing:
        case InputAnswer::Kind::Angle: break; // not a point: ask again
        }
    }
}

} // namespace lumo::cad::embedded
