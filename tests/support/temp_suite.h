// A temporary suite tree for tests: <root>/LUMO/Programy is the program
// folder, the resource folders lie under <root>/aZasoby, and helpers write
// files the way the suite's Windows tools do (Windows-1250, CR LF). Paths
// given and returned are the program's Windows-style paths unless the name
// says "native". Everything is removed when the object goes away.
#pragma once

#include "qt_printers.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace lumo::test {

class TempSuite {
public:
    TempSuite();

    bool isValid() const { return dir_.isValid(); }

    QString rootFolder() const; // the suite root, Windows-style
    QString programFolder() const; // <root>\LUMO\Programy
    QString settingsFile() const; // <program folder>\LUMO.ini
    QString nativeRoot() const { return dir_.path(); }
    QString nativePath(const QString& path) const; // native form of a Windows-style path

    // A path below the root from a relative Windows-style one ("aZasoby\Listy").
    QString path(const QString& relative) const;

    // Creates a folder (and its parents) below the root; returns its path.
    QString makeFolder(const QString& relative);

    // Writes the file (creating its folders): lines in Windows-1250, each
    // ended with CR LF. Returns the file's path.
    QString writeAnsiLines(const QString& relative, const QStringList& lines);
    QString writeBytes(const QString& relative, const QByteArray& bytes);
    QByteArray readBytes(const QString& relative) const;

    // The suite's city data values, "aDane" and "City", under
    // HKEY_CURRENT_USER\Software\Tarn\Directories, in a registry export as
    // the Windows registry editor writes it (version 5, UTF-16 LE with BOM).
    // Returns the native path, for LUMO_REGISTRY_FILE or RegReadStringFromFile.
    QString writeCityRegistry(const QString& aDane, const QString& city);

private:
    QTemporaryDir dir_;
};

// Windows-1250 bytes of lines ended with CR LF.
QByteArray AnsiLines(const QStringList& lines);

} // namespace lumo::test
