#include "app/polish.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

#include <cstring>

namespace lumo {

QString KeyNamesTranslator::translate(const char* context, const char* sourceText, const char*, int) const
{
    if (context && sourceText && std::strcmp(context, "QShortcut") == 0)
        return QString::fromLatin1(sourceText);
    return {};
}

void SpeakPolish()
{
    QLocale::setDefault(QLocale(QLocale::Polish, QLocale::Poland));
    // Installed last, so asked first: it answers only for key names.
    static QTranslator qtTexts;
    static KeyNamesTranslator keyNames;
    if (qtTexts.load(QStringLiteral("qtbase_pl"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);
    QCoreApplication::installTranslator(&keyNames);
}

} // namespace lumo
