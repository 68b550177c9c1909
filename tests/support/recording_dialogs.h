// A Dialogs double for tests: records every call and answers from a script.
// A call without a scripted answer fails the test at once (and answers with
// the default button, or "" for the input box); answers still unused when
// the double is destroyed fail the test too.
#pragma once

#include "qt_printers.h"
#include "util/dialogs.h"

#include <QString>
#include <deque>
#include <vector>

namespace lumo::test {

struct DialogCall {
    enum class Kind { Message, Input };
    Kind kind = Kind::Message;
    QString title;
    QString text; // the message, or the input box's prompt
    DialogIcon icon = DialogIcon::None;
    DialogButtons buttons = DialogButtons::Ok;
    DialogAnswer defaultButton = DialogAnswer::Ok;
};

class RecordingDialogs : public Dialogs {
public:
    RecordingDialogs() = default;
    ~RecordingDialogs() override;
    RecordingDialogs(const RecordingDialogs&) = delete;
    RecordingDialogs& operator=(const RecordingDialogs&) = delete;

    // Scripts the answer of the next message box / input box.
    RecordingDialogs& answerMessage(DialogAnswer answer);
    RecordingDialogs& answerInput(const QString& text);
    // Expects `count` message boxes answered with OK.
    RecordingDialogs& acceptMessages(int count = 1);

    const std::vector<DialogCall>& calls() const { return calls_; }
    // The documents (help pages) the program asked the system to show.
    const std::vector<QUrl>& documents() const { return documents_; }
    std::vector<DialogCall> messages() const;
    bool scriptDone() const { return messageAnswers_.empty() && inputAnswers_.empty(); }
    void clear();

    DialogAnswer message(const QString& title, const QString& text, DialogIcon icon, DialogButtons buttons,
                         DialogAnswer defaultButton) override;
    QString input(const QString& prompt, const QString& title) override;
    bool showDocument(const QUrl& url) override;

private:
    std::vector<DialogCall> calls_;
    std::vector<QUrl> documents_;
    std::deque<DialogAnswer> messageAnswers_;
    std::deque<QString> inputAnswers_;
};

} // namespace lumo::test
