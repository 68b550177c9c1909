// The state of one head's placement: what the options form's rules choose,
// what the lookup finds and what the insertion and the follow-up steps leave
// behind for the next step and for the detector form.
#pragma once

#include "cad/host.h"
#include "lists/list_files.h"
#include "signal/catalogue.h"

#include <QString>

namespace lumo {

// The state of one head's placement, shared by the form's rules, the lookup,
// the insertion and the follow-up steps.
struct SignalPlacementState {
    DesignationState designation;
    QString signalSymbol; // catalogue symbol of the chosen head type
    bool sectionNumberValid = true;

    short lensIndex = 0;
    short lensDiameter = 0; // 0 until a lens is chosen
    bool placementStarted = false; // set by the first acceptance
    bool stopLine = false;
    bool acoustic = false;
    bool antiGlare = false;
    short antiGlareCount = 0;
    bool screens = false;
    QString screenSymbol;
    bool intersectionChosen = false;
    bool pushButtons = false;
    short pushButtonsSetting = 0;
    QString typeText;
    QString lightSourceText;
    LightSourceCodes lightSourceCodes;

    // Set by the lookup.
    QString blockFolder;
    QString blockPath;
    short drawingScale = 1;

    // Set by the insertion and the follow-up steps.
    short followUpStep = 0; // 0 idle, 1 head, 2 push button
    long countBefore = 0;
    double signalTextHeight = 0.0;
    double m_dRotation = 0.0; // radians, of the entity just placed
    QString placedHandle;
    QString screenHandle;
    cad::Point3 placedInsertionPoint;
    cad::Point3 lastPickedPoint;
};

} // namespace lumo
