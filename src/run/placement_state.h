// The state of one placement run: what the options form's rules choose,
// what the lookup finds, and what the insertion and the follow-up steps
// leave behind for the next step and for the push buttons. The run
// (run/placement_run.h) keeps it; the forms show it.
#pragma once

#include "cad/host.h"
#include "lists/list_files.h"

#include <QString>

namespace lumo {

// The parts of a head's designation and what is built from them
// (signal/catalogue.h builds it).
struct DesignationState {
    QString sectionNumber;
    QString intersectionNumber = QStringLiteral("???");
    QString kindCode = QStringLiteral("?");
    QString stopLineText;
    short orientationCode = 0;
    QString suffix;

    QString SignalDesignation;
    QString SignalCode;
    QString SignalCodeS; // "S" & SignalCode; kept from before in the "PxxRxx" form
};

// What the follow-up timer is waiting for.
enum class FollowUpStep {
    Idle,
    Head, // the head the options form accepted
    PushButton, // a push button of the detector form
};

struct SignalPlacementState {
    DesignationState designation;
    QString signalSymbol; // catalogue symbol of the chosen head type

    short lensIndex = 0;
    short lensDiameter = 0; // 0 until a lens is chosen
    bool placementStarted = false; // set by the first acceptance
    bool acoustic = false; // the acoustic signal box
    bool antiGlare = false;
    short antiGlareCount = 0;
    bool screens = false; // the contrast screen box
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
    FollowUpStep followUpStep = FollowUpStep::Idle;
    long countBefore = 0;
    double signalTextHeight = 0.0;
    double m_dRotation = 0.0; // radians, of the entity just placed
    QString placedHandle;
    QString screenHandle;
    cad::Point3 placedInsertionPoint;
    cad::Point3 lastPickedPoint;
};

} // namespace lumo
