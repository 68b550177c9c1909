// The settings file: an INI file with the Windows INI semantics callers rely
// on. Sections and keys match without regard to case; the first of duplicate
// sections or keys wins; values are cut to 2047 characters, trimmed, and a
// pair of enclosing quotes is removed; the default is used only when the
// file, section or key is missing ("Key=" reads as ""). The file is in the
// ANSI code page unless it starts with a UTF-8 or UTF-16 byte order mark.
//
// There is no cache: every read reads the file, every write writes at once.
#pragma once

#include <QString>

namespace lumo {

QString ReadIniString(const QString& file, const QString& section, const QString& key,
                      const QString& defaultValue);

// Changes only the key's line (or adds the key as the last line of its
// section, or the section at the end of the file) and keeps every other byte.
// The new file replaces the old one atomically. Callers ignore failures, as
// the program never reports them; the result is there for tests.
bool WriteIniString(const QString& file, const QString& section, const QString& key, const QString& value);

} // namespace lumo
