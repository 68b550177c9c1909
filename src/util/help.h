// The help key: opens the help at a help context number. Every form with a
// help button or F1 goes through here. The suite may bring its compiled help
// file beside the program (on Windows); then that file opens at the context.
// Without it the program's own HTML help, in the folder "pomoc" beside the
// help file, opens at the context's page in the system's browser.
#pragma once

#include <QString>

namespace lumo {

class Dialogs;

// The folder of the HTML help, beside the program.
inline const QString kHelpFolder = QStringLiteral("pomoc");

// The HTML page of a help context ("sygnalizator.html" for 10011), or the
// contents page "index.html" for a context the help does not know.
QString HelpPage(int helpContext);

// helpFile as start-up or a form's load fixed it, with its window suffix
// ("...\LUMO.chm>MAIN"); an empty name opens nothing. A missing page or a
// system without a program to show it gets a message.
void OpenHelp(Dialogs& dialogs, const QString& helpFile, int helpContext);

} // namespace lumo
