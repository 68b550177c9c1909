// Talking to the user: message boxes, the input box and documents shown by
// the system (the help). The program's forms and procedures get a Dialogs
// reference; QtDialogs shows real boxes, tests use a recording double that
// answers from a script.
#pragma once

#include <QString>
#include <QUrl>

namespace lumo {

enum class DialogIcon { None, Information, Exclamation, Question, Critical };
enum class DialogButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class DialogAnswer { Ok, Cancel, Yes, No };

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A message box. Line breaks inside text are "\r\n".
    virtual DialogAnswer message(const QString& title, const QString& text, DialogIcon icon,
                                 DialogButtons buttons, DialogAnswer defaultButton)
        = 0;

    // The input box; Cancel gives "".
    virtual QString input(const QString& prompt, const QString& title) = 0;

    // Shows a document (a help page) in the system's program for it, the
    // browser for a web page; false when nothing could show it.
    virtual bool showDocument(const QUrl& url) = 0;

    // The common case: an OK box.
    void show(const QString& title, const QString& text, DialogIcon icon = DialogIcon::None)
    {
        message(title, text, icon, DialogButtons::Ok, DialogAnswer::Ok);
    }
};

} // namespace lumo
