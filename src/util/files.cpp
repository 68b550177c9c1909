#include "util/files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringList>

#include <cerrno>

namespace lumo {

namespace {

#ifndef _WIN32
// The entry of `folder` spelled like `name` but for case, or "" when there
// is none. Sorted, so the choice does not depend on the directory's order.
QString FindCaseInsensitive(const QString& folder, const QString& name)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDir::Name);
    for (const QString& entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return {};
}
#endif

} // namespace

QString ToNativePath(const QString& path)
{
#ifdef _WIN32
    return QDir::toNativeSeparators(path);
#else
    QString slashed = path;
    slashed.replace(u'\\', u'/');
    if (slashed.isEmpty())
        return slashed;

    const bool absolute = slashed.startsWith(u'/');
    const QStringList parts = slashed.split(u'/', Qt::SkipEmptyParts);
    QString resolved = absolute ? QStringLiteral("/") : QString();
    bool lookingUp = true;
    for (const QString& part : parts) {
        QString component = part;
        const QString prefix = resolved.isEmpty() || resolved.endsWith(u'/') ? resolved
                                                                             : resolved + u'/';
        if (lookingUp && part != u"." && part != u"..") {
            if (!QFileInfo::exists(prefix + part)) {
                const QString match = FindCaseInsensitive(resolved, part);
                if (match.isEmpty())
                    lookingUp = false; // nothing below a missing folder exists either
                else
                    component = match;
            }
        }
        resolved = prefix + component;
    }
    if (slashed.endsWith(u'/') && !resolved.endsWith(u'/'))
        resolved += u'/';
    return resolved;
#endif
}

QString FromNativePath(const QString& nativePath)
{
#ifdef _WIN32
    return QDir::toNativeSeparators(nativePath);
#else
    QString path = nativePath;
    path.replace(u'/', u'\\');
    return path;
#endif
}

QString DisplayPath(const QString& path)
{
#ifdef _WIN32
    return QDir::toNativeSeparators(path);
#else
    QString shown = path;
    shown.replace(u'\\', u'/');
    return shown;
#endif
}

bool FileExists(const QString& path)
{
    const QFileInfo info(ToNativePath(path));
    return info.exists() && info.isFile();
}

bool FolderExists(const QString& path)
{
    const QFileInfo info(ToNativePath(path));
    return info.exists() && info.isDir();
}

std::optional<QByteArray> ReadFileBytes(const QString& path, int* errorCode)
{
    const QString native = ToNativePath(path);
    QFile file(native);
    errno = 0;
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorCode) {
            // Windows codes: the callers show them as the suite's tools do.
            if (!QFileInfo::exists(native))
                *errorCode = 2; // file not found
            else if (file.error() == QFileDevice::PermissionsError || errno == EACCES ||
                     errno == EPERM || QFileInfo(native).isDir())
                *errorCode = 5; // access denied
            else
                *errorCode = 30; // read fault
        }
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (errorCode)
            *errorCode = 30;
        return std::nullopt;
    }
    if (errorCode)
        *errorCode = 0;
    return bytes;
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(ToNativePath(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool AppendToFile(const QString& path, const QByteArray& bytes)
{
    QFile file(ToNativePath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace lumo
