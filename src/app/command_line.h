// The command line as the program reads it: plain words, no quoting.
#pragma once

#include <QString>
#include <QStringList>

namespace lumo {

// Splits the command-line text after the program name into words at blanks
// and tabs. Element 0 is always empty; words start at index 1 and at most
// maxWords are taken (the rest of the line is ignored).
QStringList GetCommandLineArgs(const QString& commandLineTail, int maxWords = 10);

// The command-line text after the program name. On Windows the raw line;
// elsewhere the arguments joined by blanks, which splits the same way.
QString RawCommandLineTail(int argc, char* argv[]);

// "major.minor.revision" of this build.
QString GetVersionText();

} // namespace lumo
