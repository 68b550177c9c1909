// The placement of one signal head once the options form has accepted it:
// the insertion of the head's block, the follow-up steps driven by the
// tRunNext timer (the head, then each push button the detector form sends),
// the head's descriptions and screen, and the description of the placed
// head. The options form and the detector form both talk to it.
#pragma once

#include "cad/follow_up.h"
#include "cad/host.h"
#include "forms/frm_atrybuty_sygnalizatora.h"
#include "signal/placement_state.h"

#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

namespace lumo {

class Dialogs;
struct RunContext;

// The value a head block's attribute gets from the placement and the
// accepted description; "" leaves the attribute as it is. acoustic: the
// options form's acoustic signal box.
QString HeadAttributeValue(const QString& tag, const SignalPlacementState& st, bool acoustic,
                           const HeadDescription& d);
// The same for the contrast screen, which carries only ScreenAttributeTags().
QString ScreenAttributeValue(const QString& tag, const SignalPlacementState& st, const HeadDescription& d);

// Tells the designer that the host went on refusing every call and the
// placement stopped.
void ReportHostNotResponding(Dialogs& dialogs);

// What the placement needs of the form that started it.
class PlacementForm {
public:
    virtual ~PlacementForm() = default;
    // Brings the options form back in front of the drawing.
    virtual void showOptions() = 0;
    // Ends the program with the reason.
    virtual void endPlacement(const QString& reason) = 0;
    // The form's "acoustic signal" and "screens" boxes as they are now.
    virtual bool acousticChecked() const = 0;
    virtual bool screensChecked() const = 0;
};

class SignalPlacement {
public:
    SignalPlacement(RunContext& ctx, PlacementForm& form);
    SignalPlacement(const SignalPlacement&) = delete;
    SignalPlacement& operator=(const SignalPlacement&) = delete;

    // Puts the head's block into the drawing and hands the placement to the
    // designer; the follow-up timer takes over from there.
    void InsertSignalHead(const QString& symbol, const QString& blockPath);

    // One tick of the follow-up timer.
    void tRunNext_Timer();

    // Asks for the placed head's description, writes its attributes and
    // remembers the inputs for the next run. True when accepted.
    bool DescribePlacedHead(const QString& placedHandle, const QString& kindCode);

    // The extension of the host's block files (".dwg" without a host).
    QString blockFileExtension() const;

    // The description form. Without one the description is never accepted.
    using DescriptionFormFn = std::function<void(HeadDescription&)>;
    void setDescriptionForm(DescriptionFormFn fn) { m_descriptionForm = std::move(fn); }
    // The run's on-top flag of the description form, which outlives the
    // form; the placement keeps its own until the program hands it one.
    void setOnTopFlag(bool& flag) { m_onTopFlag = &flag; }
    bool& onTopFlag() { return *m_onTopFlag; }

    // The hand-over to the detector form after an accepted description
    // (push buttons), and the finishing of a push button the detector form
    // placed. The detector layer above installs both; without them the
    // placement stops as without push buttons.
    void setPushButtonHandOver(std::function<void()> fn) { m_pushButtonHandOver = std::move(fn); }
    void setPushButtonFollowUp(std::function<void(const std::shared_ptr<cad::Entity>&)> fn)
    {
        m_pushButtonFollowUp = std::move(fn);
    }

    SignalPlacementState& state() { return m_state; }
    const SignalPlacementState& state() const { return m_state; }
    QTimer& tRunNext() { return m_tRunNext; }
    // Armed just before an insert command is sent (see FollowUpWatch::arm).
    cad::FollowUpWatch& followUpWatch() { return m_followUp; }

private:
    void stopFollowUp(const QString& reason);
    bool finishHead(const std::shared_ptr<cad::Entity>& entity);
    void placeDescription(const QString& prompt, const QString& text, double height);

    RunContext& m_ctx;
    PlacementForm& m_form;
    SignalPlacementState m_state;
    QTimer m_tRunNext;
    cad::FollowUpWatch m_followUp;
    DescriptionFormFn m_descriptionForm;
    bool m_ownOnTopFlag = false;
    bool* m_onTopFlag = &m_ownOnTopFlag;
    std::function<void()> m_pushButtonHandOver;
    std::function<void(const std::shared_ptr<cad::Entity>&)> m_pushButtonFollowUp;
};

} // namespace lumo
