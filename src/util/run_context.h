// What every form and procedure of a run shares: the values fixed at
// start-up, the settings values the readers keep, the host session, the
// dialogs and the way to end the program. The Program object (app/) owns the
// storage; the layers below get this bundle of references, so a test can run
// as many independent runs in one process as it likes. It lives at the
// bottom so that every layer can take it; the session and the settings
// values are only named here, never used.
#pragma once

#include <QString>
#include <functional>

namespace lumo {

class Dialogs;
struct SettingsValues;

namespace cad {
struct HostSession;
}

// Program-wide values set by start-up.
struct StartupValues {
    bool suiteMarkerMode = false; // SuiteMarkerMode
    QString programFolder; // Windows-style, e.g. "D:\Suite\LUMO\Programy"
    QString settingsFilePath; // SettingsFilePath
    QString cityDataFolder; // CityDataFolder
    QString registryFile; // native path; read instead of the registry off Windows
    QString helpFile; // with its window suffix, e.g. "...\LUMO.chm>MAIN"
    int helpContext = 0;
    short orientationCode = 0;
    bool textScaling = true;
};

struct RunContext {
    Dialogs& dialogs;
    cad::HostSession& host;
    SettingsValues& settings;
    StartupValues& startup;
    // Ends the program: stops the follow-up timer, closes every form and
    // leaves the event loop. The caller returns at once.
    std::function<void(const QString& reason)> end;
};

} // namespace lumo
