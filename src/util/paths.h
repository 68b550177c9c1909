// Windows-style path texts as the program holds them (backslash-separated,
// doubled backslashes collapsed). Pure text routines; the operating system is
// reached only through files.h.
#pragma once

#include <QString>

namespace lumo {

// Joins folder and name with exactly one backslash; both are trimmed first.
// JoinPath("", "LUMO.ini") is "\LUMO.ini".
QString JoinPath(const QString& folder, const QString& name);

// Collapses doubled backslashes, except in a path that starts with "\\"
// (a network path), which comes back unchanged.
QString CollapseBackslashes(const QString& path);

// Everything before the last backslash; "" when there is none.
QString ParentFolder(const QString& path);

// The last component; slashes count as backslashes, and "C:S-1.dwg" gives
// "S-1.dwg".
QString FileNameOf(const QString& path);

// The file name without its last extension: "C:/x/S-3WP.dwg" -> "S-3WP".
QString FileTitleOf(const QString& path);

// True for a path that names no drive and does not start with a backslash
// (or a slash): "Dane\Miasto", "..\Dane". "D:\Dane", "D:Dane", "\Dane" and
// "\\srv\Dane" are not relative.
bool IsRelativePath(const QString& path);

// A relative path taken from folder (its slashes made backslashes), with its
// "." and ".." parts worked out as Windows does it (".." at the root stays at
// the root; the "\\srv\share" of a network path counts as its root):
// ("D:\Suite", "..\Dane") -> "D:\Dane". Any other path comes back as it is.
QString PathFrom(const QString& folder, const QString& path);

} // namespace lumo
