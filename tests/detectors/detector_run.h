// A run that reaches the detector form: a pedestrian head placed with "Ustaw
// przyciski" ticked on the embedded host (scripted designer, recording
// dialogs), then the hand-over to the detector form.
#pragma once

#include "detectors/frm_detektory.h"
#include "detectors/push_button_stage.h"
#include "signal_run.h"

#include <QStringList>
#include <memory>
#include <string>
#include <vector>

namespace lumo::test {

// The head's placement as the designer chooses it on the options form.
struct HeadChoice {
    QStringList words{QStringLiteral("S-5")};
    int stopLine = -1; // index in cmbLinZatrz; -1: no earlier stop line
    int orientation = 0; // index in chkOrientGeo
};

class DetectorRun {
public:
    // The suite with the push button's block file, and a drawing with the
    // push-button layer; setup changes the drawing before it is written.
    explicit DetectorRun(const std::function<void(dxf::Document&)>& setup = {});

    // Places the head (the script's first three answers: point, angle,
    // description point) and hands over. The rest of the script is for the
    // push buttons. messages: how many OK boxes the run expects.
    void placeHead(const HeadChoice& choice, std::vector<cad::embedded::InputAnswer> script,
                   int messages = 0);

    // "&Ustaw", then the follow-up ticks.
    void placeButton();

    frmDetektory& form() { return *stage->form(); }

    TempSuite suite;
    std::string drawing;
    std::unique_ptr<SignalRun> run;
    std::unique_ptr<PushButtonStage> stage;
};

} // namespace lumo::test
