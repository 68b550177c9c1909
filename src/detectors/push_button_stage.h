// The second half of a run: after a pedestrian head, the options form hands
// over to the detector form, which places the head's push buttons. This
// connects the two forms: the hand-over and the finishing of each push
// button (follow-up step 2) go into the options form's hooks, and the
// detector form is made and loaded on its first use.
#pragma once

#include <QString>
#include <memory>

namespace lumo {

struct RunContext;
class frmDetektory;
class frmMain;

class PushButtonStage {
public:
    // Installs the hooks into options; versionText for the form's caption.
    PushButtonStage(RunContext& ctx, frmMain& options, const QString& versionText);
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
    frmMain& m_options;
    QString m_versionText;
    std::unique_ptr<frmDetektory> m_form;
};

} // namespace lumo
