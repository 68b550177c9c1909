// Sections and keys of the settings file "LUMO.ini".
#pragma once

#include <QString>

namespace lumo {

inline const QString kSettingsFileName = QStringLiteral("LUMO.ini");

inline const QString kSectionOstatnioUzyte = QStringLiteral("OstatnioUzyte");
// The application's title is also the section of "SkalujTekst".
inline const QString kSectionApplication = QStringLiteral("LUMO_Sygnalizatory");

inline const QString kKeyOrientacja = QStringLiteral("Orientacja00");
inline const QString kKeyNumerZlecenia = QStringLiteral("NumerZlecenia00");
inline const QString kKeyOperator = QStringLiteral("Operator00");
inline const QString kKeyDomyslnyDetektor = QStringLiteral("DomyslnyDetektor");
inline const QString kKeyFormatPR = QStringLiteral("FormatPR");
inline const QString kKeyKsztPoprzPetli = QStringLiteral("KsztPoprzPetli");
inline const QString kKeyCzyUstawPetle = QStringLiteral("CzyUstawPetle");
inline const QString kKeyCzcionkaOpisuSygnWys = QStringLiteral("CzcionkaOpisuSygnWys");
inline const QString kKeyCzcionkaOpisuSygnSzer = QStringLiteral("CzcionkaOpisuSygnSzer");
inline const QString kKeyCzcionkaOpisuDetWys = QStringLiteral("CzcionkaOpisuDetWys");
inline const QString kKeyCzcionkaOpisuDetSzer = QStringLiteral("CzcionkaOpisuDetSzer");
inline const QString kKeyOpisyWarunkowych = QStringLiteral("OpisyWarunkowych");
inline const QString kKeyCzyPytNumInwSyg = QStringLiteral("CzyPytNumInwSyg");
inline const QString kKeySkalujTekst = QStringLiteral("SkalujTekst");

} // namespace lumo
