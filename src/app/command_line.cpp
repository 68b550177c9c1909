#include "app/command_line.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace lumo {

QStringList GetCommandLineArgs(const QString& commandLineTail, int maxWords)
{
    QStringList words{QString()};
    bool wordOpen = false;
    for (const QChar c : commandLineTail) {
        if (c == u' ' || c == u'\t') {
            wordOpen = false;
            continue;
        }
        if (!wordOpen) {
            if (words.size() - 1 >= maxWords)
                break;
            words.append(QString());
            wordOpen = true;
        }
        words.last().append(c);
    }
    return words;
}

#ifdef _WIN32
// Skips the program name as the C runtime does: quoted, or up to a blank.
static QString tailOfRawCommandLine(const QString& line)
{
    int i = 0;
    if (line.startsWith(u'"')) {
        i = line.indexOf(u'"', 1);
        i = i < 0 ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != u' ' && line[i] != u'\t')
            ++i;
    }
    return line.mid(i);
}
#endif

QString RawCommandLineTail([[maybe_unused]] int argc, [[maybe_unused]] char* argv[])
{
#ifdef _WIN32
    return tailOfRawCommandLine(QString::fromWCharArray(GetCommandLineW()));
#else
    QStringList parts;
    for (int i = 1; i < argc; ++i)
        parts << QString::fromLocal8Bit(argv[i]);
    return parts.join(u' ');
#endif
}

QString GetVersionText()
{
    return QStringLiteral("%1.%2.%3").arg(LUMO_VERSION_MAJOR).arg(LUMO_VERSION_MINOR).arg(LUMO_VERSION_PATCH);
}

} // namespace lumo
