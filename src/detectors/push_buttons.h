// The detector form's fixed knowledge of push buttons: the button types, the
// producers from the suite's list file, and the description code that names
// a push button after its signal head ("D18a").
#pragma once

#include <QString>
#include <QStringList>

class QComboBox;

namespace lumo {

struct RunContext;

// "brak danych", "mechaniczny", "piezoelektryczny", "sensorowy".
const QStringList& PushButtonTypes();
// "sensorowy", selected when the form loads.
inline constexpr int kDefaultPushButtonType = 3;

// The letter of the push-button tab.
inline const QString kPushButtonLetter = QStringLiteral("D");

// letter & stop line & orientation code (plain digits) & suffix: "D", "2",
// 3, "p" give "D23p".
QString DetectorDescriptionOf(const QString& letter, const QString& stopLineText, short orientationCode,
                              const QString& suffix);

// Fills the combo with the trimmed, non-empty entries of
// "aZasoby\Listy\SygnTypySygnDet.lst" and selects the first; returns them.
// A missing file gets its message and leaves the combo as it was.
QStringList LoadPushButtonProducers(RunContext& ctx, QComboBox* combo);

} // namespace lumo
