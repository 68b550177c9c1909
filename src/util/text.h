// Small text routines with the program's conventions: positions are 1-based,
// searches are exact unless said otherwise, trimming removes blanks only.
#pragma once

#include <QString>
#include <string>

namespace lumo {

class Dialogs;

// Removes leading and trailing blanks (U+0020) only; tabs and line breaks stay.
QString TrimBlanks(const QString& text);
QString TrimLeftBlanks(const QString& text);
QString TrimRightBlanks(const QString& text);

// Position (1-based) of the last occurrence of the one-character text c, or 0.
int InStrRevChr(const QString& text, const QString& c);

// Overwrites every occurrence of the character oldChr with newChr. Equal
// characters are a caller's mistake: a message box says so and the text comes
// back unchanged. Both must be exactly one character; anything else returns
// the text unchanged.
QString ReplaceChr(Dialogs& dialogs, const QString& text, const QString& oldChr, const QString& newChr);

// Replaces the first occurrence of searched again and again until none is
// left. An empty searched text, or a replacement that contains it (which
// would never finish), returns the text unchanged.
QString ReplaceAllText(const QString& text, const QString& searched, const QString& replacement);

// Returns the part of text before the first separator (found without regard
// to case) and leaves the part after it in text; without a separator returns
// the whole text and leaves "".
QString TakeToken(QString& text, const QString& separator);

// The host interface speaks UTF-8.
QString QStringFromUtf8(const std::string& text);
std::string Utf8FromQString(const QString& text);

} // namespace lumo
