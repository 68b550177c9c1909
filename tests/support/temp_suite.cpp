#include "temp_suite.h"

#include "util/encoding.h"
#include "util/files.h"
#include "util/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace lumo::test {

namespace {

QString RegEscape(QString text)
{
    text.replace(QStringLiteral("\\"), QStringLiteral("\\\\"));
    text.replace(QStringLiteral("\""), QStringLiteral("\\\""));
    return text;
}

} // namespace

QByteArray AnsiLines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += ToAnsi(line) + "\r\n";
    return bytes;
}

TempSuite::TempSuite()
{
    makeFolder(QStringLiteral("LUMO\\Programy"));
    makeFolder(QStringLiteral("aZasoby\\Sygnalizacja\\Sygnalizatory"));
    makeFolder(QStringLiteral("aZasoby\\Symbole"));
    makeFolder(QStringLiteral("aZasoby\\Listy"));
}

QString TempSuite::rootFolder() const
{
    return FromNativePath(dir_.path());
}

QString TempSuite::programFolder() const
{
    return path(QStringLiteral("LUMO\\Programy"));
}

QString TempSuite::settingsFile() const
{
    return JoinPath(programFolder(), QStringLiteral("LUMO.ini"));
}

QString TempSuite::nativePath(const QString& path) const
{
    return ToNativePath(path);
}

QString TempSuite::path(const QString& relative) const
{
    return JoinPath(rootFolder(), relative);
}

QString TempSuite::makeFolder(const QString& relative)
{
    const QString p = path(relative);
    QDir().mkpath(DisplayPath(p));
    return p;
}

// Files are written with exactly the spelling given (DisplayPath does not
// look for other spellings on disk), so tests can build folders that hold
// names differing only in case.
QString TempSuite::writeBytes(const QString& relative, const QByteArray& bytes)
{
    const QString p = path(relative);
    const QString native = DisplayPath(p);
    QDir().mkpath(QFileInfo(native).path());
    QFile file(native);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes);
    return p;
}

QString TempSuite::writeAnsiLines(const QString& relative, const QStringList& lines)
{
    return writeBytes(relative, AnsiLines(lines));
}

QByteArray TempSuite::readBytes(const QString& relative) const
{
    QFile file(DisplayPath(path(relative)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString TempSuite::writeCityRegistry(const QString& aDane, const QString& city)
{
    const QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                        "[HKEY_CURRENT_USER\\Software\\Tarn\\Directories]\r\n\"aDane\"=\"")
        + RegEscape(aDane) + QStringLiteral("\"\r\n\"City\"=\"") + RegEscape(city)
        + QStringLiteral("\"\r\n\r\n");
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return DisplayPath(writeBytes(QStringLiteral("registry.reg"), bytes));
}

} // namespace lumo::test
