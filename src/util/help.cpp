#include "util/help.h"

#include "util/dialogs.h"
#include "util/files.h"
#include "util/titles.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStringList>
#include <QUrl>

namespace lumo {

void OpenHelp(Dialogs& dialogs, const QString& helpFile, int helpContext)
{
    QString file = helpFile;
    const int window = file.indexOf(QLatin1Char('>'));
    if (window >= 0)
        file = file.left(window);
    if (file.isEmpty())
        return;
    const QString shown = DisplayPath(file);
    if (!FileExists(file)) {
        dialogs.show(kMessageTitle,
                     QStringLiteral("Nie znaleziono pliku pomocy") + QStringLiteral("\r\n[") +
                         shown + QStringLiteral("]"),
                     DialogIcon::Exclamation);
        return;
    }
    const QString native = ToNativePath(file);
#ifdef _WIN32
    if (QProcess::startDetached(QStringLiteral("hh.exe"),
                                {QStringLiteral("-mapid"), QString::number(helpContext), native}))
        return;
#else
    Q_UNUSED(helpContext)
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(native)))
        return;
#endif
    dialogs.show(kMessageTitle,
                 QStringLiteral("Brak programu, który otworzyłby plik pomocy") +
                     QStringLiteral("\r\n[") + shown + QStringLiteral("]"),
                 DialogIcon::Exclamation);
}

} // namespace lumo
