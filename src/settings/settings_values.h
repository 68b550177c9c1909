// The settings values a run keeps after reading them, and the readers and
// writers of the settings file's keys. Readers read the file at each call
// (there is no cache) and copy into SettingsValues what the run keeps;
// writers write from it at once. `file` is SettingsFilePath.
#pragma once

#include <QString>
#include <cstdint>

namespace lumo {

struct SettingsValues {
    std::int16_t defaultDetector = 0; // "DomyslnyDetektor": list index of the default detector type
    std::int16_t formatPR = 0; // "FormatPR": 0 designation "PRxx", 1 "PxxRxx"
    std::int16_t czyUstawPetle = 0; // "CzyUstawPetle": place detectors after the head
    // Kept as the texts read; users turn them into numbers with ValDot, so
    // "0,73" works as well as "0.73".
    QString signalFontHeight = QStringLiteral("1"); // "CzcionkaOpisuSygnWys"
    QString signalFontWidth = QStringLiteral("0.73"); // "CzcionkaOpisuSygnSzer"
    QString detectorFontHeight = QStringLiteral("0.5"); // "CzcionkaOpisuDetWys"
    QString detectorFontWidth = QStringLiteral("0.73"); // "CzcionkaOpisuDetSzer"
};

// Readers of section "OstatnioUzyte".
std::int16_t ReadDefaultDetector(const QString& file, SettingsValues& values);
std::int16_t ReadFormatPR(const QString& file, SettingsValues& values);
std::int16_t ReadCzyUstawPetle(const QString& file, SettingsValues& values);
std::int16_t ReadLoopShape(const QString& file); // "KsztPoprzPetli"; the detector form keeps it
void ReadSignalFont(const QString& file, SettingsValues& values); // empty: "1", "0.73"
void ReadDetectorFont(const QString& file, SettingsValues& values); // empty: "0.5", "0.73"
bool ReadConditionalDescriptions(const QString& file); // "OpisyWarunkowych": ValInt >= 1, default "1"
bool ReadInventoryWarning(const QString& file); // "CzyPytNumInwSyg": ValInt >= 1, default "1"
// "Orientacja00" as text, "1" when missing or empty.
QString ReadOrientation(const QString& file);
// "SkalujTekst" of section "LUMO_Sygnalizatory": only the value 1 counts as
// on; a missing key counts as on.
bool ReadTextScaling(const QString& file);

// Writers of section "OstatnioUzyte"; integers as plain decimal text ("-1").
void WriteDefaultDetector(const QString& file, const SettingsValues& values);
void WriteFormatPR(const QString& file, const SettingsValues& values);
void WriteCzyUstawPetle(const QString& file, const SettingsValues& values);
void WriteLoopShape(const QString& file, std::int16_t loopShape);
void WriteSignalFont(const QString& file, const SettingsValues& values); // height, then width
void WriteDetectorFont(const QString& file, const SettingsValues& values); // height, then width
// Flags as "1" or "0".
void WriteConditionalDescriptions(const QString& file, bool on);
void WriteInventoryWarning(const QString& file, bool on);
void WriteTextScaling(const QString& file, bool on);
void WriteOrientation(const QString& file, const QString& orientation);

} // namespace lumo
