// The attributes a signal head block carries, the layers and the text style
// of signal placement: the one place the placement, the description and the
// inventory tools agree on.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace lumo {

inline const QString kHeadLayer = QStringLiteral("110-SYGNALIZACJA_KOMORY");
inline const QString kHeadDescriptionLayer = QStringLiteral("112-OPIS_SYGNALIZACJI");
inline const QString kPushButtonLayer = QStringLiteral("109-SYGNALIZACJA_PRZYCISKI");
inline const QString kDetectorDescriptionLayer = QStringLiteral("256-OPISY_DETEKTOROW");
inline const QString kDescriptionTextStyle = QStringLiteral("SYGN_OPISY_TXT");

// Where the push button's block file lies under the suite root, and its
// block name.
inline const QString kPushButtonFolder = QStringLiteral("aZasoby\\Symbole\\");
inline const QString kPushButtonBlock = QStringLiteral("sygnprzycisk");

// Drawing properties the placement reads and writes.
inline const QString kScaleProperty = QStringLiteral("SKALA");
inline const QString kSectionProperty = QStringLiteral("NUMERSEKCJI");

// The defaults of OBIEKT, RODZAJ and SYMBOL for a block name in upper case.
struct SymbolDefaults {
    QString obiekt;
    QString rodzaj;
    QString symbol;
};
// nullopt for a block name the table does not know (of the catalogue, only
// "S-3LW"): such a block gets only the sixteen description tags.
std::optional<SymbolDefaults> SymbolTableRow(const QString& upperBlockName);

// The sixteen tags every head block gets after OBIEKT, RODZAJ and SYMBOL.
const QStringList& HeadAttributeTags();
// The ten of them a contrast screen gets.
const QStringList& ScreenAttributeTags();
// The tags a push button's block gets.
const QStringList& PushButtonTags();

} // namespace lumo
