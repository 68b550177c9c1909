// The program's fixed knowledge of signal heads: kinds, head types with
// their symbols, lenses, orientations, suffix lists, contrast screens, and
// the rule that builds a head's designation ("30-18/987/K1p").
#pragma once

#include "run/placement_state.h"

#include <QString>
#include <QStringList>
#include <array>
#include <vector>

namespace lumo {

// A head type: the Polish name shown in cmbRdz2Syg and the signal symbol.
struct SignalTypeEntry {
    QString name;
    QString symbol;
};

// Kind indexes, the same as the option array chkRodzSyg.
enum SignalKind : int {
    KindVehicles = 0,
    KindBuses = 1,
    KindTrams = 2,
    KindPedestrians = 3,
    KindPedestriansAndCyclists = 4,
    KindCyclists = 5,
};

const std::array<QString, 6>& KindCodes(); // "K", "B", "T", "P", "PR", "R"
const std::vector<SignalTypeEntry>& VehicleTypes(); // 17 entries
const std::vector<SignalTypeEntry>& TramTypes(); // 8 entries
const std::vector<SignalTypeEntry>& PedestrianTypes(); // 2 entries
// The fixed symbols of the kinds without a type list.
QString FixedKindSymbol(SignalKind kind); // "S-B", "S-5pr", "S-6", else ""

const std::array<QString, 2>& ScreenSymbols(); // "EKP", "EKO"
const std::array<short, 3>& LensDiameters(); // 300, 200, 100
const std::array<short, 9>& OrientationCodes(); // 1..8, then 0
const std::array<short, 4>& AntiGlareValues(); // 0, 1, 2, 3

// Suffix lists for additional heads and the stop-line list.
const QStringList& AdditionalSuffixes(); // cmbPowt: "p", "p1".."p5"
const QStringList& DirectionalSuffixes(); // cmbStrum: "a".."k"
const QStringList& AdditionalDirectionalSuffixes(); // cmbPowtStrum: "ap".."kp2", 33 items
const QStringList& StopLineNumbers(); // cmbLinZatrz: "1".."8"

// List position of an upper-case symbol in its own catalogue list; any other
// text gives 0. The argument is first reduced to its file title in the
// caller's variable too ("S-3WP.dwg" becomes "S-3WP").
short SetListPoz(QString& sDanSymb);

// The caption of chkUstawDetektory.
QString PushButtonCaption();


// Rebuilds SignalDesignation, SignalCode and SignalCodeS and returns the
// caption of Label3 ("Sygnalizator: " & designation). formatPR is the kept
// "FormatPR" value; pedestriansAndCyclists tells whether chkRodzSyg(4) is
// selected.
QString BuildSignalLabel(DesignationState& state, bool pedestriansAndCyclists, short formatPR);

} // namespace lumo
