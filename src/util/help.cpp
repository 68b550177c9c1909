#include "util/help.h"

#include "util/dialogs.h"
#include "util/files.h"
#include "util/paths.h"
#include "util/titles.h"

#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace lumo {

namespace {

void report(Dialogs& dialogs, const QString& message, const QString& path)
{
    dialogs.show(kMessageTitle, message + QStringLiteral("\r\n[") + DisplayPath(path) + QStringLiteral("]"),
                 DialogIcon::Exclamation);
}

bool openCompiledHelp(Dialogs& dialogs, const QString& file, int helpContext)
{
#ifdef _WIN32
    Q_UNUSED(dialogs)
    return QProcess::startDetached(
        QStringLiteral("hh.exe"),
        {QStringLiteral("-mapid"), QString::number(helpContext), ToNativePath(file)});
#else
    Q_UNUSED(helpContext)
    return dialogs.showDocument(QUrl::fromLocalFile(ToNativePath(file)));
#endif
}

} // namespace

QString HelpPage(int helpContext)
{
    switch (helpContext) {
    case 10011: // options form
    case 10256: // options form under the suite's shell
        return QStringLiteral("sygnalizator.html");
    case 10012: // drawing settings
    case 10332: return QStringLiteral("ustawienia.html");
    case 10010: // detector form
    case 10239: return QStringLiteral("detektory.html");
    case 10013: // detector settings
        return QStringLiteral("ustawienia-detektorow.html");
    default: return QStringLiteral("index.html");
    }
}

void OpenHelp(Dialogs& dialogs, const QString& helpFile, int helpContext)
{
    QString file = helpFile;
    const int window = file.indexOf(QLatin1Char('>'));
    if (window >= 0)
        file = file.left(window);
    if (file.isEmpty())
        return;

    if (FileExists(file)) {
        if (!openCompiledHelp(dialogs, file, helpContext))
            report(dialogs, QStringLiteral("Brak programu, który otworzyłby plik pomocy"), file);
        return;
    }
    const QString page = JoinPath(JoinPath(ParentFolder(file), kHelpFolder), HelpPage(helpContext));
    if (!FileExists(page)) {
        report(dialogs, QStringLiteral("Nie znaleziono pliku pomocy"), page);
        return;
    }
    if (!dialogs.showDocument(QUrl::fromLocalFile(ToNativePath(page))))
        report(dialogs, QStringLiteral("Brak programu, który otworzyłby plik pomocy"), page);
}

} // namespace lumo
