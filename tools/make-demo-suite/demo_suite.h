// The demo suite: everything the program needs around it to run without a
// real suite installation. Block files of every signal head, the contrast
// screens and the push button (drawn with the project's DXF engine), the six
// list files with a few Polish entries, a registry file that points the city
// data at the demo city, and a drawing of an intersection to place heads in.
#pragma once

#include <QString>
#include <QStringList>

namespace lumo::demo {

// Where the pieces go, below the suite root.
inline const QString kHeadFolder = QStringLiteral("aZasoby/Sygnalizacja/Sygnalizatory");
inline const QString kSymbolFolder = QStringLiteral("aZasoby/Symbole");
inline const QString kSharedListFolder = QStringLiteral("aZasoby/Listy");
inline const QString kCityDataFolder = QStringLiteral("Dane");
inline const QString kCity = QStringLiteral("Miasto");
inline const QString kStreetFolder = QStringLiteral("Dane/Miasto/Ulic");
inline const QString kRegistryFile = QStringLiteral("registry.reg");
inline const QString kDemoDrawing = QStringLiteral("Rysunki/skrzyzowanie.dxf");
inline const QString kPushButtonBlock = QStringLiteral("sygnprzycisk");

// Every signal head symbol that has a block file, in catalogue order.
QStringList HeadSymbols();

// Number of lenses drawn for a head symbol.
int LensCount(const QString& symbol);

struct WrittenFile {
    QString path; // native
    QString what;
};

// Writes the demo suite below nativeRoot (created when missing); existing
// files are replaced. Returns what was written; throws std::runtime_error
// when a file cannot be written.
std::vector<WrittenFile> MakeDemoSuite(const QString& nativeRoot);

} // namespace lumo::demo
