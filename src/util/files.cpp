#include "util/files.h"

#include "text/names.h"
#include "util/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

#include <cerrno>
#include <filesystem>
#include <cstdio>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace lumo {

namespace {

#ifndef _WIN32
// The entry of `folder` spelled like `name` but for case, or "" when there
// is none. Of several, the first in code-point order, so the choice does not
// depend on the directory's order (the embedded host's NativePath chooses
// the same way).
QString FindCaseInsensitive(const QString& folder, const QString& name)
{
    const QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList entries
        = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        if (text::SameName(Utf8FromQString(entry), Utf8FromQString(name)))
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
        const QString prefix = resolved.isEmpty() || resolved.endsWith(u'/') ? resolved : resolved + u'/';
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
            else if (file.error() == QFileDevice::PermissionsError || errno == EACCES || errno == EPERM
                     || QFileInfo(native).isDir())
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

namespace {

// Makes what was written to the file survive a crash of the machine.
bool SyncFile(QFile& file)
{
#ifdef _WIN32
    return _commit(file.handle()) == 0;
#else
    return ::fsync(file.handle()) == 0;
#endif
}

// Makes a folder's entries (a file renamed into it) survive a crash. Windows
// has no such call for folders; its rename is already written through.
void SyncFolder(const QString& nativeFolder)
{
#ifndef _WIN32
    const int fd = ::open(QFile::encodeName(nativeFolder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#else
    (void)nativeFolder;
#endif
}

bool WriteAll(QFile& file, const QByteArray& bytes)
{
    return file.write(bytes) == bytes.size();
}

// A new file beside the target with the whole content, flushed to disk; its
// native path, or "" when the folder does not take it.
QString WriteTemporaryBeside(const QString& target, const QByteArray& bytes)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        const quint32 tag = QRandomGenerator::global()->generate();
        const QString name = target + QStringLiteral(".%1.tmp").arg(tag, 8, 16, QLatin1Char('0'));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered)) {
            if (QFileInfo::exists(name))
                continue; // another file took that name: try the next one
            return {};
        }
        if (info.exists())
            file.setPermissions(info.permissions());
        if (!WriteAll(file, bytes) || !SyncFile(file)) {
            file.close();
            file.remove();
            return {};
        }
        file.close();
        return name;
    }
    return {};
}

// The in-place rewrite on a native path (see RewriteFileInPlace).
bool RewriteNativeFileInPlace(const QString& nativePath, const QByteArray& bytes)
{
    QFile file(nativePath);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray old = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;

    // What goes beyond the old end is written first: a full disk then stops
    // us before a single old byte has changed.
    if (bytes.size() > old.size()) {
        if (!file.seek(old.size()) || !WriteAll(file, bytes.mid(old.size())) || !SyncFile(file)) {
            file.resize(old.size());
            return false;
        }
    }
    const bool written = file.seek(0) && WriteAll(file, bytes.left(old.size())) && file.resize(bytes.size())
        && SyncFile(file);
    if (written)
        return true;
    // Put the old content back, so that a failure loses nothing.
    file.seek(0);
    WriteAll(file, old);
    file.resize(old.size());
    SyncFile(file);
    return false;
}

} // namespace

bool ReplaceByRename(const QString& temporary, const QString& target)
{
#ifdef _WIN32
    std::error_code error;
    std::filesystem::rename(temporary.toStdWString(), target.toStdWString(), error);
    return !error;
#else
    return ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) == 0;
#endif
}

bool RewriteFileInPlace(const QString& path, const QByteArray& bytes)
{
    return RewriteNativeFileInPlace(ToNativePath(path), bytes);
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes, ReplaceStep replace)
{
    QString target = ToNativePath(path);
    const QFileInfo info(target);
    if (info.isSymLink())
        target = info.symLinkTarget(); // the file the link points at is the one to change
    const QString temporary = WriteTemporaryBeside(target, bytes);
    if (!temporary.isEmpty()) {
        if (replace(temporary, target)) {
            SyncFolder(QFileInfo(target).absolutePath());
            return true;
        }
        QFile::remove(temporary);
    }
    // The folder takes no new file or no rename (a program folder the user
    // may not change, a file mounted on its own), while the file itself may
    // still be writable: Windows' own writer changes such a file in place,
    // and so do we.
    if (!QFileInfo(target).isFile())
        return false;
    return RewriteNativeFileInPlace(target, bytes);
}

bool AppendToFile(const QString& path, const QByteArray& bytes)
{
    QFile file(ToNativePath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace lumo
