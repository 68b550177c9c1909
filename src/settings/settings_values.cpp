#include "settings/settings_values.h"

#include "settings/ini_file.h"
#include "settings/keys.h"
#include "util/numbers.h"

namespace lumo {

namespace {

QString Read(const QString& file, const QString& key, const QString& defaultValue = {})
{
    return ReadIniString(file, kSectionOstatnioUzyte, key, defaultValue);
}

void Write(const QString& file, const QString& key, const QString& value)
{
    WriteIniString(file, kSectionOstatnioUzyte, key, value);
}

QString IntText(std::int16_t value)
{
    return QString::number(value);
}

QString FlagText(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

QString OrDefault(const QString& text, const QString& fallback)
{
    return text.isEmpty() ? fallback : text;
}

} // namespace

std::int16_t ReadDefaultDetector(const QString& file, SettingsValues& values)
{
    values.defaultDetector = ValInt(Read(file, kKeyDomyslnyDetektor));
    return values.defaultDetector;
}

std::int16_t ReadFormatPR(const QString& file, SettingsValues& values)
{
    values.formatPR = ValInt(Read(file, kKeyFormatPR));
    return values.formatPR;
}

std::int16_t ReadCzyUstawPetle(const QString& file, SettingsValues& values)
{
    values.czyUstawPetle = ValInt(Read(file, kKeyCzyUstawPetle));
    return values.czyUstawPetle;
}

std::int16_t ReadLoopShape(const QString& file)
{
    return ValInt(Read(file, kKeyKsztPoprzPetli));
}

void ReadSignalFont(const QString& file, SettingsValues& values)
{
    values.signalFontHeight = OrDefault(Read(file, kKeyCzcionkaOpisuSygnWys), QStringLiteral("1"));
    values.signalFontWidth = OrDefault(Read(file, kKeyCzcionkaOpisuSygnSzer), QStringLiteral("0.73"));
}

void ReadDetectorFont(const QString& file, SettingsValues& values)
{
    values.detectorFontHeight = OrDefault(Read(file, kKeyCzcionkaOpisuDetWys), QStringLiteral("0.5"));
    values.detectorFontWidth = OrDefault(Read(file, kKeyCzcionkaOpisuDetSzer), QStringLiteral("0.73"));
}

bool ReadConditionalDescriptions(const QString& file)
{
    return ValInt(Read(file, kKeyOpisyWarunkowych, QStringLiteral("1"))) >= 1;
}

bool ReadInventoryWarning(const QString& file)
{
    return ValInt(Read(file, kKeyCzyPytNumInwSyg, QStringLiteral("1"))) >= 1;
}

QString ReadOrientation(const QString& file)
{
    return OrDefault(Read(file, kKeyOrientacja), QStringLiteral("1"));
}

bool ReadTextScaling(const QString& file)
{
    return ValInt(ReadIniString(file, kSectionApplication, kKeySkalujTekst, QStringLiteral("1"))) == 1;
}

void WriteDefaultDetector(const QString& file, const SettingsValues& values)
{
    Write(file, kKeyDomyslnyDetektor, IntText(values.defaultDetector));
}

void WriteFormatPR(const QString& file, const SettingsValues& values)
{
    Write(file, kKeyFormatPR, IntText(values.formatPR));
}

void WriteCzyUstawPetle(const QString& file, const SettingsValues& values)
{
    Write(file, kKeyCzyUstawPetle, IntText(values.czyUstawPetle));
}

void WriteLoopShape(const QString& file, std::int16_t loopShape)
{
    Write(file, kKeyKsztPoprzPetli, IntText(loopShape));
}

void WriteSignalFont(const QString& file, const SettingsValues& values)
{
    Write(file, kKeyCzcionkaOpisuSygnWys, values.signalFontHeight);
    Write(file, kKeyCzcionkaOpisuSygnSzer, values.signalFontWidth);
}

void WriteDetectorFont(const QString& file, const SettingsValues& values)
{
    Write(file, kKeyCzcionkaOpisuDetWys, values.detectorFontHeight);
    Write(file, kKeyCzcionkaOpisuDetSzer, values.detectorFontWidth);
}

void WriteConditionalDescriptions(const QString& file, bool on)
{
    Write(file, kKeyOpisyWarunkowych, FlagText(on));
}

void WriteInventoryWarning(const QString& file, bool on)
{
    Write(file, kKeyCzyPytNumInwSyg, FlagText(on));
}

void WriteTextScaling(const QString& file, bool on)
{
    WriteIniString(file, kSectionApplication, kKeySkalujTekst, FlagText(on));
}

void WriteOrientation(const QString& file, const QString& orientation)
{
    Write(file, kKeyOrientacja, orientation);
}

} // namespace lumo
