// Dialogs shown with Qt's message box and input dialog.
#pragma once

#include "util/dialogs.h"

namespace lumo {

class QtDialogs : public Dialogs {
public:
    DialogAnswer message(const QString& title, const QString& text, DialogIcon icon, DialogButtons buttons,
                         DialogAnswer defaultButton) override;
    QString input(const QString& prompt, const QString& title) override;
    bool showDocument(const QUrl& url) override;
};

} // namespace lumo
