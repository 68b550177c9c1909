// The embedded host as the designer's workplace. A placement run (Program)
// is the host's guest: when it ends, its changes are saved as on every end
// and the drawing window stays with the result until the designer closes
// it; the window's "Sygnalizacja" menu starts a new run on the same host,
// exactly as the command line does.
#pragma once

#include <QString>
#include <QStringList>

namespace lumo {

class Dialogs;

namespace view {
class WindowedHostProvider;
}

// Runs the program with commandLineArgs (as GetCommandLineArgs gives them),
// then, when stayOpen, keeps the window and its later runs going until the
// designer closes the window. registryFile: read instead of the registry off
// Windows. Returns the process exit code: 1 when the drawing's changes
// were left unsaved, else 0.
int RunWorkplace(Dialogs& dialogs, const QString& programFolder, const QString& registryFile,
                 view::WindowedHostProvider& provider, const QStringList& commandLineArgs, bool stayOpen);

// Takes "--exit-after-run" out of the command-line words; true when it was there.
bool TakeExitAfterRun(QStringList& words);

} // namespace lumo
