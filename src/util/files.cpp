#include "util/files.h"

#include "base/atomic_file.h"
#include "base/paths.h"
#include "util/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <filesystem>
#include <system_error>


namespace lumo {

QString ToNativePath(const QString& path)
{
#ifdef _WIN32
    return QDir::toNativeSeparators(path);
#else
    return QString::fromStdString(base::NativePath(path.toStdString()));
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

std::filesystem::path filePath(const QString& nativePath)
{
    return base::PathOf(nativePath.toStdString());
}

} // namespace

bool ReplaceByRename(const QString& temporary, const QString& target)
{
    return !base::ReplaceByRename(filePath(temporary), filePath(target));
}

bool RewriteFileInPlace(const QString& path, const QByteArray& bytes)
{
    return !base::RewriteFileInPlace(filePath(ToNativePath(path)), std::string_view(bytes.constData(), bytes.size()));
}

bool WriteFileAtomic(const QString& path, const QByteArray& bytes, ReplaceStep replace)
{
    base::AtomicWrite how;
    how.throughLinks = true; // the file the link points at is the one to change
    how.replace = [replace](const std::filesystem::path& temporary, const std::filesystem::path& target) {
        return replace(QString::fromStdString(base::TextOf(temporary)), QString::fromStdString(base::TextOf(target)))
            ? std::error_code()
            : std::make_error_code(std::errc::permission_denied);
    };
    return !base::WriteFileAtomic(filePath(ToNativePath(path)), std::string_view(bytes.constData(), bytes.size()), how,
                                  true);
}

bool AppendToFile(const QString& path, const QByteArray& bytes)
{
    QFile file(ToNativePath(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append))
        return false;
    return file.write(bytes) == bytes.size() && file.flush();
}

} // namespace lumo
