#include "settings/suite.h"

#include "util/paths.h"

#include <array>

namespace lumo {

namespace {

// The resource rows are held without their leading letter, as the suite's
// other tools hold them.
QString Resource(const char* rest)
{
    return QStringLiteral("a") + QString::fromLatin1(rest);
}

} // namespace

QString GetSuiteFolder(const QString& key, const QString& programFolder)
{
    if (key == QStringLiteral("TARN_FOLDER"))
        return ParentFolder(ParentFolder(programFolder));
    return {};
}

QString GetSuiteSubfolder(const QString& baseFolder, std::int32_t kind)
{
    static const std::array<QString, 26> kSubfolders = {
        QStringLiteral("aZasoby"),
        QStringLiteral("Programy"),
        Resource("Zasoby\\System"),
        Resource("Zasoby\\ZnakiPionowe"),
        Resource("Zasoby\\ZnakiPionowe\\Alternatywne"),
        Resource("Zasoby\\CzcionkiTes"),
        QStringLiteral("aZasoby\\Symbole"),
        Resource("Zasoby\\ZnakiPoziome"),
        Resource("Zasoby\\ZnakiPionowe\\Projektowane"),
        Resource("Zasoby\\ZnakiPionowe\\Projektowane\\Alternatywne"),
        QStringLiteral("aZasoby\\Listy"),
        QStringLiteral("aZasoby\\Sygnalizacja"),
        QStringLiteral("aZasoby\\Sygnalizacja\\Sygnalizatory"),
        QStringLiteral("Symbole\\Sygnalizacja"),
        QStringLiteral("ZnakiProjektowane"),
        QStringLiteral("Ulic"),
        QStringLiteral("Zlecenia"),
        QStringLiteral("Zlecenia\\Wzorce"),
        QStringLiteral("Mapa"),
        QStringLiteral("Maparch"),
        QStringLiteral("Dbf.dtb"),
        QStringLiteral("Archvek.dtb"),
        QStringLiteral("Zapytania"),
        QStringLiteral("ObiektyDane"),
        QStringLiteral("Sygnaliz"),
        QStringLiteral("Listy"),
    };
    if (kind < 0 || kind >= static_cast<std::int32_t>(kSubfolders.size()))
        return {};
    return JoinPath(baseFolder, kSubfolders[static_cast<std::size_t>(kind)]);
}

} // namespace lumo
