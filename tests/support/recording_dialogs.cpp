#include "recording_dialogs.h"

#include <gtest/gtest.h>

namespace lumo::test {

RecordingDialogs::~RecordingDialogs()
{
    if (!scriptDone()) {
        ADD_FAILURE() << "RecordingDialogs: " << messageAnswers_.size() << " scripted message answer(s) and "
                      << inputAnswers_.size() << " input answer(s) were never asked for";
    }
}

RecordingDialogs& RecordingDialogs::answerMessage(DialogAnswer answer)
{
    messageAnswers_.push_back(answer);
    return *this;
}

RecordingDialogs& RecordingDialogs::answerInput(const QString& text)
{
    inputAnswers_.push_back(text);
    return *this;
}

RecordingDialogs& RecordingDialogs::acceptMessages(int count)
{
    for (int i = 0; i < count; ++i)
        messageAnswers_.push_back(DialogAnswer::Ok);
    return *this;
}

std::vector<DialogCall> RecordingDialogs::messages() const
{
    std::vector<DialogCall> result;
    for (const DialogCall& call : calls_) {
        if (call.kind == DialogCall::Kind::Message)
            result.push_back(call);
    }
    return result;
}

void RecordingDialogs::clear()
{
    calls_.clear();
    documents_.clear();
    messageAnswers_.clear();
    inputAnswers_.clear();
}

DialogAnswer RecordingDialogs::message(const QString& title, const QString& text, DialogIcon icon,
                                       DialogButtons buttons, DialogAnswer defaultButton)
{
    calls_.push_back({DialogCall::Kind::Message, title, text, icon, buttons, defaultButton});
    if (messageAnswers_.empty()) {
        ADD_FAILURE() << "Unscripted message box: title \"" << title.toStdString() << "\", text \""
                      << text.toStdString() << "\"";
        return defaultButton;
    }
    const DialogAnswer answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    return answer;
}

QString RecordingDialogs::input(const QString& prompt, const QString& title)
{
    calls_.push_back({DialogCall::Kind::Input, title, prompt, DialogIcon::None, DialogButtons::OkCancel,
                      DialogAnswer::Ok});
    if (inputAnswers_.empty()) {
        ADD_FAILURE() << "Unscripted input box: title \"" << title.toStdString() << "\", prompt \""
                      << prompt.toStdString() << "\"";
        return {};
    }
    QString answer = inputAnswers_.front();
    inputAnswers_.pop_front();
    return answer;
}

bool RecordingDialogs::showDocument(const QUrl& url)
{
    documents_.push_back(url);
    return true;
}

} // namespace lumo::test
