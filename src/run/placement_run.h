// The placement run: one object, owned by the Program, that holds a run's
// state and its follow-up step, the follow-up watch and its timer, and the
// two stages of a run:
// - the head stage: the insertion of the head's block, its descriptions and
//   contrast screen, and the description of the placed head;
// - the push-button stage: each push button's insertion and description.
// Both stages load block definitions from their files and place description
// texts with the same steps (below). The options form (frmMain) and the
// detector form (frmDetektory) show the run and call it; they keep none of
// its state.
#pragma once

#include "cad/follow_up.h"
#include "cad/host.h"
#include "forms/frm_atrybuty_sygnalizatora.h"
#include "run/placement_state.h"

#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>

namespace lumo {

class Dialogs;
struct RunContext;

// The value a head block's attribute gets from the placement and the
// accepted description; "" leaves the attribute as it is.
QString HeadAttributeValue(const QString& tag, const SignalPlacementState& st, const HeadDescription& d);
// The same for the contrast screen, which carries only ScreenAttributeTags().
QString ScreenAttributeValue(const QString& tag, const SignalPlacementState& st, const HeadDescription& d);

// Tells the designer that the host went on refusing every call and the
// placement stopped.
void ReportHostNotResponding(Dialogs& dialogs);

// What the run needs of the options form.
class PlacementForm {
public:
    virtual ~PlacementForm() = default;
    // Brings the options form back in front of the drawing.
    virtual void showOptions() = 0;
    // Ends the program with the reason.
    virtual void endPlacement(const QString& reason) = 0;
};

// What the push-button stage needs of the detector form, read when a
// button has just been placed.
class PushButtonForm {
public:
    virtual ~PushButtonForm() = default;
    virtual QString pushButtonType() const = 0;
    virtual QString pushButtonProducer() const = 0;
    virtual QString detectorDescription() const = 0;
    // Shows the form again for the next button.
    virtual void showAgain() = 0;
};

class PlacementRun {
public:
    explicit PlacementRun(RunContext& ctx);
    PlacementRun(const PlacementRun&) = delete;
    PlacementRun& operator=(const PlacementRun&) = delete;

    // The forms that show the run. A form that goes is forgotten (with the
    // options form, its description form) unless another has taken its place.
    void attachOptionsForm(PlacementForm* form) { m_form = form; }
    void detachOptionsForm(const PlacementForm* form)
    {
        if (m_form == form) {
            m_form = nullptr;
            m_descriptionForm = {};
        }
    }
    void attachPushButtonForm(PushButtonForm* form) { m_pushButtonForm = form; }
    void detachPushButtonForm(const PushButtonForm* form)
    {
        if (m_pushButtonForm == form)
            m_pushButtonForm = nullptr;
    }

    // ---- the head stage
    // Puts the head's block into the drawing and hands the placement to the
    // designer; the follow-up timer takes over from there.
    void InsertSignalHead(const QString& blockPath);
    // Asks for the placed head's description, writes its attributes and
    // remembers the inputs for the next run. True when accepted.
    bool DescribePlacedHead(const QString& placedHandle);

    // ---- the push-button stage
    // Makes sure the drawing has the push button's block (from blockPath),
    // sends the host its insert command and starts the follow-up timer.
    // False when the host failed: nothing was placed, the designer may try
    // again.
    bool InsertPushButton(const QString& blockPath);
    // The push button the host has just inserted gets its layer and
    // attributes, then its description; then the detector form comes back.
    // Host failures (a cancelled point included) reach the caller.
    void FinishPushButton(const std::shared_ptr<cad::Entity>& button);

    // One tick of the follow-up timer.
    void tRunNext_Timer();
    // Stops the follow-up, as the program's end does.
    void stop() { m_tRunNext.stop(); }

    // The extension of the host's block files (".dwg" without a host).
    QString blockFileExtension() const;

    // The description form. Without one the description is never accepted.
    using DescriptionFormFn = std::function<void(HeadDescription&)>;
    void setDescriptionForm(DescriptionFormFn fn) { m_descriptionForm = std::move(fn); }
    // The run's on-top flag of the description form, which outlives the
    // form; the run keeps its own until the program hands it one.
    void setOnTopFlag(bool& flag) { m_onTopFlag = &flag; }
    bool& onTopFlag() { return *m_onTopFlag; }

    // The hand-over to the detector form after an accepted description
    // (push buttons). Without it the run stops as without push buttons.
    void setPushButtonHandOver(std::function<void()> fn) { m_pushButtonHandOver = std::move(fn); }

    SignalPlacementState& state() { return m_state; }
    const SignalPlacementState& state() const { return m_state; }
    QTimer& tRunNext() { return m_tRunNext; }
    // Armed just before an insert command is sent (see FollowUpWatch::arm).
    cad::FollowUpWatch& followUpWatch() { return m_followUp; }

private:
    // The steps both stages share.
    // Loads the block definition name from its file with a temporary
    // reference at `at` (the host defines the block that way), gives the
    // definition its tags, and lets the reference go. Nothing when the
    // drawing has the block already.
    void loadBlockDefinition(const std::string& name, const QString& file, const cad::Point3& at,
                             const std::function<void(cad::Block&)>& addTags);
    // Asks for a point and writes text there in red on layer, turned as the
    // entity just placed; returns the point.
    cad::Point3 placeDescriptionText(const QString& prompt, const QString& text, double height,
                                     const QString& layer);
    // What the follow-up remembers of the entity just placed.
    void readBackPlaced(cad::Entity& entity);

    void showOptions();
    void endRun(const QString& reason);
    void stopFollowUp(const QString& reason);
    void finishHead();
    bool placeScreen();

    RunContext& m_ctx;
    PlacementForm* m_form = nullptr;
    PushButtonForm* m_pushButtonForm = nullptr;
    SignalPlacementState m_state;
    QTimer m_tRunNext;
    cad::FollowUpWatch m_followUp;
    DescriptionFormFn m_descriptionForm;
    bool m_ownOnTopFlag = false;
    bool* m_onTopFlag = &m_ownOnTopFlag;
    std::function<void()> m_pushButtonHandOver;
};

} // namespace lumo
