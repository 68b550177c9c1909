// One run of the program for the tests: a temporary suite with block files,
// list files and a registry file, a drawing opened by the embedded host with
// a scripted designer, the recording dialogs double and the options form.
#pragma once

#include "cad/embedded/embedded_host.h"
#include "cad/embedded/input.h"
#include "cad/session.h"
#include "dxf/document.h"
#include "recording_dialogs.h"
#include "util/run_context.h"
#include "settings/settings_values.h"
#include "run/placement_run.h"
#include "signal/frm_main.h"
#include "temp_suite.h"

#include <QStringList>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lumo::test {

struct DrawingSetup {
    std::optional<std::string> scale = "500"; // "SKALA"
    std::optional<std::string> section = "26-15"; // "NUMERSEKCJI"
    std::optional<std::string> intersection; // "ONUMERSKRZYZ"
    bool descriptionLayer = true; // "112-OPIS_SYGNALIZACJI" exists
};

// Writes the suite every test starts from: block files of every catalogue
// symbol and of both screens, the list files and the city registry values.
void BuildSuite(TempSuite& suite);
// The registry file BuildSuite writes, as a run is handed it.
QString SuiteRegistryFile(TempSuite& suite);

// A small block file: a housing outline, as a drawing of its own.
void WriteBlockFile(const QString& nativePath);

// Writes a drawing with the given properties; returns its native path.
std::string WriteDrawing(TempSuite& suite, const DrawingSetup& setup,
                         const QString& name = QStringLiteral("rysunek.dxf"));

class SignalRun {
public:
    SignalRun(TempSuite& suite, const std::string& drawing,
              std::vector<cad::embedded::InputAnswer> script = {});
    // The host as the program makes it: drawing, designer script and
    // configuration folder from LUMO_CAD_DRAWING, LUMO_CAD_INPUT and
    // XDG_CONFIG_HOME.
    struct FromEnvironment { };
    SignalRun(TempSuite& suite, FromEnvironment);
    ~SignalRun();

    // Start-up with these command-line words (without the empty element 0).
    void start(const QStringList& words);

    // Runs the follow-up timer's ticks until the program ends or nothing is
    // left to do (bounded).
    void runFollowUp(int maxTicks = 200);

    // Writes the drawing back, as the program does when it ends.
    void save();
    // The saved drawing, read back with the DXF engine.
    dxf::Document savedDrawing() const;

    TempSuite& suite;
    RecordingDialogs dialogs;
    cad::HostSession host;
    SettingsValues settings;
    StartupValues startup;
    QStringList endReasons;
    std::unique_ptr<RunContext> ctx;
    std::shared_ptr<cad::embedded::ScriptedInputSource> input;
    std::unique_ptr<cad::embedded::EmbeddedHostProvider> provider;
    std::unique_ptr<PlacementRun> placement; // the run the form shows; outlives it
    std::unique_ptr<frmMain> form;
    std::string drawingPath;
    bool polishHost = false; // the host's prompts and cancel marker in Polish
};

// The description form's answers for a test: filled into the real form when
// it opens, then accepted (or cancelled).
struct DescriptionAnswers {
    bool accept = true;
    QString ktoNaniosl = QStringLiteral("Jan Kowalski");
    QString ulica = QStringLiteral("Kwiatowa");
    QString nrZlecenia = QStringLiteral("ZL/7/2024");
    QString uwagi = QStringLiteral("uwagi żółte");
};
// Arms a one-shot that fills and closes the next description form shown.
void AnswerDescriptionForm(const DescriptionAnswers& answers);

// Reading the saved drawing back.
std::map<std::string, std::string> AttributesOf(const dxf::BlockReference& reference);
std::vector<dxf::BlockReference> ReferencesOf(const dxf::Document& doc, const std::string& block);
std::vector<dxf::Text> TextsOf(const dxf::Document& doc);
// The errors another DXF reader's audit finds in the file; nullopt when that
// reader is not installed.
std::optional<QString> AuditErrors(const std::string& path);

} // namespace lumo::test
