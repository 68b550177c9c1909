// The suite's list files: streets and intersections of the city (folder
// "Ulic" of the city data folder), applicants, contractors, light sources and
// device types (folder "aZasoby\Listy" under the suite root). They are text
// files in the ANSI code page with CR LF line ends; the program reads them
// into combo boxes and only ever appends to the street and intersection lists.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

class QComboBox;

namespace lumo {

struct RunContext;
struct StartupValues;

inline const QString kStreetListFile = QStringLiteral("Ulice.lst");
inline const QString kIntersectionListFile = QStringLiteral("Skrzyzowania.lst");
inline const QString kApplicantListFile = QStringLiteral("aZasoby\\Listy\\Wnioskodawcy.lst");
inline const QString kContractorListFile = QStringLiteral("aZasoby\\Listy\\Wykonawcy.lst");
inline const QString kLightSourceListFile = QStringLiteral("aZasoby\\Listy\\SygnZrodSwiatla.lst");
inline const QString kTypeListFile = QStringLiteral("aZasoby\\Listy\\SygnTypySygnDet.lst");

// The kind number of the city's street folder "Ulic".
inline constexpr int kStreetFolderKind = 15;

// ---- reading the text of a list file

// Field reading, as the suite's tools write and read these files: leading
// blanks of a field are skipped; a field that starts with a double quote runs
// to the next double quote (commas inside are kept, the rest up to the next
// comma or line end is skipped); any other field runs to the next comma or
// line end and loses its trailing blanks. A comma or a line end ends a field,
// so an empty line gives one empty field and "a," gives "a" and "".
QStringList ReadFields(const QString& text);

// Line reading: every line is one entry, as it stands (CR LF, CR or LF end a
// line; a last line without a line end counts too).
QStringList ReadLines(const QString& text);

// ---- where the files are

// "Ulice.lst" / "Skrzyzowania.lst" in the folder "Ulic" of the city data
// folder: the paths the lists are read from and appended to, and the ones
// their messages name. A city data folder without a drive and not starting
// with a backslash ("Dane\Miasto", as the installer names it) counts from the
// suite root, wherever the program was started: "D:\Suite\Dane\Miasto\Ulic".
QString StreetListPath(const RunContext& ctx);
QString IntersectionListPath(const RunContext& ctx);
// The suite root: the program's folder without its last two components.
QString SuiteRootOf(const RunContext& ctx);

// What the designer has to set when the city's lists cannot be found because
// the registry does not name the city ("Brak"): the values, where (the
// registry, or off Windows the registry file) and an example; "" when the
// registry names it.
QString CityRegistryHint(const StartupValues& startup);
// A shared list under the suite root, e.g. SharedListPath(ctx, kTypeListFile).
QString SharedListPath(const RunContext& ctx, const QString& relativePath);

// ---- loaders (each reads its file once, start to end, and closes it)

// Fills the combo with the streets of "Ulice.lst" (";" starts a comment) and
// selects the street last used in the drawing, if any.
void LoadStreetList(RunContext& ctx, QComboBox* combo);

// Fills the combo with the intersections of "Skrzyzowania.lst" and selects
// the one whose number the drawing keeps, if any. Selecting runs the combo's
// rule (currentIndexChanged), as a user's choice does.
void LoadIntersectionList(RunContext& ctx, QComboBox* combo);

// Applicants ("Wnioskodawcy.lst") and contractors ("Wykonawcy.lst"): one
// trimmed line per item, appended to what the combo holds; item 0 selected.
void LoadApplicantList(RunContext& ctx, QComboBox* combo);
void LoadContractorList(RunContext& ctx, QComboBox* combo);

// Device types of signal heads and push buttons ("SygnTypySygnDet.lst").
void LoadTypeList(RunContext& ctx, QComboBox* combo);

// The light-source codes, one per item of the light-source combo at the same
// index. Room for 21 codes at first, 20 more whenever it is full.
struct LightSourceCodes {
    std::vector<QString> codes;
    int lastIndex = -1; // -1: no item

    // The code of the item at index; "" when the index is no item's.
    QString codeAt(int index) const;
};

// Fills the combo with the names of "SygnZrodSwiatla.lst" (pairs name, code)
// and the table with their codes. A missing file leaves the table as it was.
void LoadLightSourceList(RunContext& ctx, QComboBox* combo, LightSourceCodes& table);

// ---- the two writers

// Appends text as one line to "Skrzyzowania.lst" / "Ulice.lst" (the file is
// created when missing). Nothing is checked: an empty text adds an empty
// line, a known one is added again. False, after the message, when the file
// cannot be opened for appending.
bool AppendIntersectionEntry(RunContext& ctx, const QString& text);
bool AppendStreetEntry(RunContext& ctx, const QString& text);

} // namespace lumo
