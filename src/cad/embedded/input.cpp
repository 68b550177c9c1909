#include "cad/embedded/input.h"

#include <charconv>
#include <fstream>
#include <sstream>

namespace lumo::cad::embedded {

namespace {

std::string lowerAscii(std::string text)
{
    for (auto& c : text) {
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    }
    return text;
}

// Numbers use a decimal point whatever the process's locale.
std::optional<double> number(const std::string& word)
{
    double value = 0.0;
    const char* first = word.data();
    const char* last = word.data() + word.size();
    if (first != last && *first == '+')
        ++first;
    auto [end, ec] = std::from_chars(first, last, value);
    if (ec != std::errc() || end != last)
        return std::nullopt;
    return value;
}

} // namespace

ScriptedInputSource::ScriptedInputSource(std::vector<InputAnswer> answers)
    : answers_(answers.begin(), answers.end())
{
}

std::vector<InputAnswer> ScriptedInputSource::parse(const std::string& text)
{
    std::vector<InputAnswer> answers;
    // Editors on Windows like to start a UTF-8 file with a byte-order mark.
    const bool bom = text.rfind("\xEF\xBB\xBF", 0) == 0;
    std::istringstream in(bom ? text.substr(3) : text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(in, line)) {
        ++lineNumber;
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string word; words >> word;)
            w.push_back(word);
        if (w.empty() || w[0][0] == '#')
            continue;
        const std::string keyword = lowerAscii(w[0]);
        auto bad = [&]() {
            return HostError("Input script line " + std::to_string(lineNumber) + ": cannot read \"" + line
                             + "\"");
        };
        if (keyword == "point" && w.size() == 3) {
            const auto x = number(w[1]), y = number(w[2]);
            if (!x || !y)
                throw bad();
            answers.push_back(InputAnswer::pointAt(*x, *y));
        } else if (keyword == "angle" && w.size() == 2) {
            const auto a = number(w[1]);
            if (!a)
                throw bad();
            answers.push_back(InputAnswer::angle(*a));
        } else if (keyword == "cancel" && w.size() == 1) {
            answers.push_back(InputAnswer::cancel());
        } else {
            throw bad();
        }
    }
    return answers;
}

std::shared_ptr<ScriptedInputSource> ScriptedInputSource::fromFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw HostError("Cannot read the input script " + path);
    std::ostringstream text;
    text << in.rdbuf();
    auto lines = text.str();
    for (auto& c : lines) {
        if (c == '\r')
            c = '\n';
    }
    return std::make_shared<ScriptedInputSource>(parse(lines));
}

InputAnswer ScriptedInputSource::next(const InputRequest& request)
{
    prompts_.push_back(request.prompt);
    if (answers_.empty())
        return InputAnswer::cancel();
    const auto answer = answers_.front();
    answers_.pop_front();
    return answer;
}

InputAnswer ScriptedInputSource::poll(const InputRequest& request)
{
    return next(request);
}
InputAnswer ScriptedInputSource::wait(const InputRequest& request)
{
    return next(request);
}

InputAnswer QueuedInputSource::poll(const InputRequest& request)
{
    last_ = request;
    if (answers_.empty())
        return InputAnswer::nothing();
    const auto answer = answers_.front();
    answers_.pop_front();
    return answer;
}

InputAnswer QueuedInputSource::wait(const InputRequest& request)
{
    last_ = request;
    if (answers_.empty())
        return InputAnswer::cancel();
    const auto answer = answers_.front();
    answers_.pop_front();
    return answer;
}

} // namespace lumo::cad::embedded
