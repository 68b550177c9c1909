// The hand-over of a run to the detector form: after a pedestrian head the
// run (run/placement_run.h) calls HandOver instead of ending, and the
// detector form, made and loaded on its first use, takes the options form's
// place. The form then places the push buttons through the run.
#pragma once

#include <QString>
#include <memory>

class QWidget;

namespace lumo {

struct RunContext;
class PlacementRun;
class frmDetektory;

class PushButtonStage {
public:
    // Installs the hand-over into run; options: the options form, hidden
    // at the hand-over. versionText for the form's caption.
    PushButtonStage(RunContext& ctx, PlacementRun& run, QWidget& options, const QString& versionText);
    ~PushButtonStage();
    PushButtonStage(const PushButtonStage&) = delete;
    PushButtonStage& operator=(const PushButtonStage&) = delete;

    // The push-button hand-over: the detector form on its "Przyciski" tab
    // with the head's description code, instead of the options form.
    void HandOver();

    // Closes the detector form as part of the program's end.
    void unload();

    // The detector form, once the hand-over has made it.
    frmDetektory* form() { return m_form.get(); }

private:
    RunContext& m_ctx;
    PlacementRun& m_run;
    QWidget& m_options;
    QString m_versionText;
    std::unique_ptr<frmDetektory> m_form;
};

} // namespace lumo
