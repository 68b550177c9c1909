// One run of the program: everything the run shares (start-up values, the
// settings values the readers keep, the host session, the dialogs), the
// placement run (run/placement_run.h) and the two forms that show it: the
// options form, which starts it, and the detector form behind it. No globals: a test may build as many
// Programs in one process as it likes, each with its own suite, dialogs and host.
#pragma once

#include "cad/busy_retry.h"
#include "cad/session.h"
#include "util/run_context.h"
#include "settings/settings_values.h"

#include <QEventLoop>
#include <QString>
#include <QStringList>
#include <memory>

namespace lumo {

class Dialogs;
class PlacementRun;
class PushButtonStage;
class frmMain;

// Tells the designer in Polish of an error nobody expected (what: its own
// text) and what became of the work (consequence, one sentence).
void ShowUnexpectedError(Dialogs& dialogs, const QString& what, const QString& consequence);

class Program {
public:
    // programFolder: the program's own folder, Windows-style.
    Program(Dialogs& dialogs, const QString& programFolder, cad::HostProvider& provider);
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Loads the options form (its load is the program's start-up), then
    // waits until the program ends. commandLineArgs as GetCommandLineArgs
    // gives them. Returns the process exit code: 1 when the run was
    // abandoned, else 0. A host that stays busy at start-up is reported and
    // ends the run, as later in the run.
    int run(const QStringList& commandLineArgs);

    // Ends the program: stops the follow-up timer, closes every form and
    // leaves the event loop. Safe to call more than once; the first reason
    // stays.
    void end(const QString& reason);
    bool hasEnded() const { return m_ended; }
    const QString& endReason() const { return m_endReason; }

    // Writes the drawing back when it changed (the embedded host keeps it
    // in a file). Runs once, at the end; never after abandon.
    void saveDrawing();

    // What a handler threw and nobody caught: the designer is told in
    // Polish, the run ends and its half-done changes are not saved.
    void abandon(const QString& what);
    bool abandoned() const { return m_abandoned; }

    frmMain* form() { return m_form.get(); }
    PlacementRun& placementRun() { return *m_run; }
    RunContext& context() { return m_context; }

    StartupValues startup;
    SettingsValues settings;
    cad::HostSession host;
    // The description form's on-top toggle, kept for the whole run.
    bool descriptionOnTop = false;
    // The run places push buttons after its head ("Ustaw przyciski" ticked).
    bool pushButtonsAtStart = false;

private:
    Dialogs& m_dialogs;
    // The given provider, its host asked again while busy: the run sees a
    // busy host only once it stayed busy past the retries.
    cad::BusyRetryingProvider m_provider;
    RunContext m_context;
    // Before the forms: they show it until they go.
    std::unique_ptr<PlacementRun> m_run;
    std::unique_ptr<frmMain> m_form;
    // The detector form behind the options form; goes before it.
    std::unique_ptr<PushButtonStage> m_pushButtons;
    QEventLoop m_loop;
    bool m_ended = false;
    bool m_running = false;
    bool m_drawingSaved = false;
    bool m_abandoned = false;
    QString m_endReason;
};

} // namespace lumo
