// The help key: opens the application's help file at a help context number.
// Every form with a help button or F1 goes through here.
#pragma once

#include <QString>

namespace lumo {

class Dialogs;

// helpFile as start-up or a form's load fixed it, with its window suffix
// ("...\LUMO.chm>MAIN"); an empty name opens nothing. A missing file or a
// system without a viewer gets a message.
void OpenHelp(Dialogs& dialogs, const QString& helpFile, int helpContext);

} // namespace lumo
