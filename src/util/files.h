// The operating-system boundary for paths and files. Inside the program a
// path is Windows-style text ("\home\jan\Suite\LUMO\Programy" on Linux,
// "D:\Suite\LUMO\Programy" on Windows); it becomes the native form only here,
// when a file is tested, opened or created, or a path is shown.
//
// File names match without regard to case, as on Windows: where the exact
// spelling of a component does not exist, an entry of the same folder that
// differs only in case is used instead (an exact match always wins). A file
// that does not exist yet keeps the spelling given.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace lumo {

// Native path for the program's path text, resolving each component
// case-insensitively where the exact spelling does not exist. On Windows
// only the separators change.
QString ToNativePath(const QString& path);

// The program's Windows-style form of a native path: on Linux
// "/a/b/LUMO/Programy" becomes "\a\b\LUMO\Programy".
QString FromNativePath(const QString& nativePath);

// A path as the user should see it in a message (native separators, no
// lookup on disk).
QString DisplayPath(const QString& path);

// True when the path names an existing regular file / folder.
bool FileExists(const QString& path);
bool FolderExists(const QString& path);

// The whole content of a file; nullopt when it cannot be read. errorCode, if
// given, receives the reason as a Windows error code (2 missing, 5 access
// denied, other codes as they come).
std::optional<QByteArray> ReadFileBytes(const QString& path, int* errorCode = nullptr);

// Puts a finished temporary file in the place of the target (both native
// paths); false when it cannot. ReplaceByRename is the real one; tests pass
// one that fails, as a folder the user may not change makes it fail.
using ReplaceStep = bool (*)(const QString& temporary, const QString& target);
bool ReplaceByRename(const QString& temporary, const QString& target);

// Writes the whole file so that it is either the old content or the new one,
// never a mixture: the bytes go to a temporary file in the same folder,
// flushed to disk, which then replaces the original. Where that is
// impossible but the file itself is writable (a read-only folder), the file
// is rewritten in place as RewriteFileInPlace does. False when nothing
// worked; the original is then untouched.
bool WriteFileAtomic(const QString& path, const QByteArray& bytes, ReplaceStep replace = ReplaceByRename);

// Changes an existing file's content in place, flushed to disk. Growth is
// written first, so a full disk stops it before an old byte changes; on any
// other failure the old content is written back. False when it failed.
bool RewriteFileInPlace(const QString& path, const QByteArray& bytes);

// Appends bytes at the end of a file, creating it when missing.
bool AppendToFile(const QString& path, const QByteArray& bytes);

} // namespace lumo
