#include "lists/list_files.h"

#include "cad/host_failure.h"
#include "cad/session.h"
#include "lists/drawing_values.h"
#include "util/run_context.h"
#include "settings/suite.h"
#include "util/dialogs.h"
#include "util/encoding.h"
#include "util/files.h"
#include "util/paths.h"
#include "util/text.h"
#include "util/titles.h"

#include <QComboBox>
#include <QSignalBlocker>

namespace lumo {

namespace {

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

// Skips one line end (CR LF, CR or LF) at i, if there is one.
void skipLineEnd(const QString& text, qsizetype& i)
{
    if (i < text.size() && text[i] == u'\r')
        ++i;
    if (i < text.size() && text[i] == u'\n')
        ++i;
}

QString withPath(const QString& message, const QString& path)
{
    return message + QStringLiteral("\r\n[") + DisplayPath(path) + QStringLiteral("]");
}

void warn(RunContext& ctx, const QString& text)
{
    ctx.dialogs.message(kMessageTitle, text, DialogIcon::Exclamation, DialogButtons::Ok, DialogAnswer::Ok);
}

// Adds the items without running the combo's rule: adding is not choosing.
// Qt selects the first item added to an empty combo by itself; that is undone
// so that the combo shows what it showed before.
void addItemsSilently(QComboBox* combo, const QStringList& items)
{
    if (items.isEmpty())
        return;
    const QSignalBlocker blocker(combo);
    const int index = combo->currentIndex();
    const QString editText = combo->isEditable() ? combo->currentText() : QString();
    combo->addItems(items);
    combo->setCurrentIndex(index);
    if (combo->isEditable() && index < 0)
        combo->setEditText(editText);
}

// The drawing's value for the preselection. Without a host there is none.
// A host that fails leaves nothing preselected rather than breaking the form
// that loads the list; its failure is reported, except a busy host's: the
// run's next call to the host meets it again, and that one says so and ends
// the run.
template <typename Reader> QString readFromDrawing(RunContext& ctx, Reader reader, const QString& unread)
{
    if (!ctx.host.app)
        return {};
    try {
        return reader(ctx.host);
    } catch (const cad::HostBusy&) {
        return {};
    } catch (const cad::HostError& error) {
        warn(ctx, QStringFromUtf8(cad::DescribeHostFailure(error)) + QStringLiteral("\r\n") + unread);
        return {};
    }
}

std::optional<QStringList> readCityList(RunContext& ctx, const QString& path, const QString& failureMessage)
{
    const auto bytes = ReadFileBytes(path);
    if (!bytes) {
        warn(ctx, withPath(failureMessage, path) + CityRegistryHint(ctx.startup));
        return std::nullopt;
    }
    return ReadFields(FromAnsi(*bytes));
}

// The shared lists: a missing file is reported, a file that exists but cannot
// be read ends the loading quietly.
std::optional<QString> readSharedList(RunContext& ctx, const QString& relativePath)
{
    const QString path = SharedListPath(ctx, relativePath);
    if (!FileExists(path)) {
        warn(ctx, withPath(QStringLiteral("Nie znaleziono pliku z listą: "), path));
        return std::nullopt;
    }
    const auto bytes = ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    return FromAnsi(*bytes);
}

void selectFirst(QComboBox* combo)
{
    if (combo->count() > 0)
        combo->setCurrentIndex(0);
}

QStringList trimmedNonEmpty(const QStringList& entries)
{
    QStringList items;
    for (const QString& entry : entries) {
        const QString item = TrimBlanks(entry);
        if (!item.isEmpty())
            items << item;
    }
    return items;
}

void loadLineList(RunContext& ctx, QComboBox* combo, const QString& relativePath)
{
    const auto text = readSharedList(ctx, relativePath);
    if (!text)
        return;
    addItemsSilently(combo, trimmedNonEmpty(ReadLines(*text)));
    selectFirst(combo);
}

// The installer names the city relative to the suite ("Dane"); the folder
// the program was started from has nothing to do with it.
QString cityListFolder(const RunContext& ctx)
{
    const QString cityDataFolder = PathFrom(SuiteRootOf(ctx), ctx.startup.cityDataFolder);
    return GetSuiteSubfolder(cityDataFolder, kStreetFolderKind);
}

bool appendLine(RunContext& ctx, const QString& path, const QString& text, const QString& failureMessage)
{
    if (!AppendToFile(path, ToAnsi(text) + QByteArrayLiteral("\r\n"))) {
        warn(ctx, withPath(failureMessage, path));
        return false;
    }
    return true;
}

} // namespace

QString CityRegistryHint(const StartupValues& startup)
{
    // A missing registry value reads as "Brak" (see RegReadString).
    const QString missing = QStringLiteral("Brak");
    const bool noDataFolder = ParentFolder(startup.cityDataFolder) == missing;
    const bool noCity = FileNameOf(startup.cityDataFolder) == missing;
    if (!noDataFolder && !noCity)
        return {};
    QStringList values;
    if (noDataFolder)
        values << QStringLiteral("\"aDane\" (folder danych miast)");
    if (noCity)
        values << QStringLiteral("\"City\" (nazwa folderu miasta w nim)");
    QString hint = QStringLiteral("\r\n\r\nNie wskazano danych miasta: brak wartości ")
        + values.join(QStringLiteral(" i ")) + QStringLiteral(" w kluczu HKEY_CURRENT_USER\\")
        + kTarnDirectoriesKey;
#ifdef _WIN32
    hint += QStringLiteral(" rejestru Windows. Ustaw je programem regedit");
#else
    hint += QStringLiteral(" pliku rejestru\r\n[") + startup.registryFile
        + QStringLiteral("].\r\nZapisz w tym pliku (w formacie eksportu rejestru Windows) na przykład");
#endif
    hint += QStringLiteral(":\r\n\r\nREGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\") + kTarnDirectoriesKey
        + QStringLiteral("]\r\n\"aDane\"=\"Dane\"\r\n\"City\"=\"Miasto\"\r\n\r\n")
        + QStringLiteral("(wartości najwyżej 39 znaków; folder względny liczy się od folderu pakietu). ")
        + QStringLiteral("Listy ulic i skrzyżowań leżą wtedy w Dane\\Miasto\\Ulic.");
    return hint;
}

QStringList ReadFields(const QString& text)
{
    QStringList fields;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        while (i < n && text[i] == u' ')
            ++i;
        QString field;
        if (i < n && text[i] == u'"') {
            const qsizetype close = text.indexOf(u'"', i + 1);
            const qsizetype end = close < 0 ? n : close;
            field = text.mid(i + 1, end - i - 1);
            i = close < 0 ? n : close + 1;
            while (i < n && text[i] != u',' && !isLineEnd(text[i]))
                ++i;
        } else {
            const qsizetype start = i;
            while (i < n && text[i] != u',' && !isLineEnd(text[i]))
                ++i;
            field = TrimRightBlanks(text.mid(start, i - start));
        }
        if (i < n && text[i] == u',')
            ++i;
        else
            skipLineEnd(text, i);
        fields << field;
    }
    return fields;
}

QStringList ReadLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        while (i < n && !isLineEnd(text[i]))
            ++i;
        lines << text.mid(start, i - start);
        skipLineEnd(text, i);
    }
    return lines;
}

QString StreetListPath(const RunContext& ctx)
{
    return JoinPath(cityListFolder(ctx), kStreetListFile);
}

QString IntersectionListPath(const RunContext& ctx)
{
    return JoinPath(cityListFolder(ctx), kIntersectionListFile);
}

QString SuiteRootOf(const RunContext& ctx)
{
    return ParentFolder(ParentFolder(ctx.startup.programFolder));
}

QString SharedListPath(const RunContext& ctx, const QString& relativePath)
{
    return JoinPath(SuiteRootOf(ctx), relativePath);
}

void LoadStreetList(RunContext& ctx, QComboBox* combo)
{
    const QString path = StreetListPath(ctx);
    const auto fields = readCityList(ctx, path, QStringLiteral("Nie można przeczytać listy ulic."));
    if (!fields)
        return;
    QStringList items;
    for (const QString& field : *fields) {
        const QString street = TrimBlanks(field);
        if (street.isEmpty() || street.startsWith(u';'))
            continue;
        items << street;
    }
    addItemsSilently(combo, items);

    const QString last = readFromDrawing(ctx, ReadLastStreet,
                                         QStringLiteral("Nie odczytano z rysunku ostatnio używanej ulicy."));
    if (last.isEmpty() || combo->count() == 0)
        return;
    combo->setCurrentIndex(0);
    // The last equal item wins, as the walk over the whole list leaves it.
    for (int i = 0; i < combo->count(); ++i) {
        if (combo->itemText(i) == last)
            combo->setCurrentIndex(i);
    }
}

void LoadIntersectionList(RunContext& ctx, QComboBox* combo)
{
    const QString path = IntersectionListPath(ctx);
    const auto fields = readCityList(ctx, path, QStringLiteral("Nie można przeczytać listy skrzyżowań."));
    if (!fields)
        return;
    QStringList items;
    for (const QString& field : *fields) {
        if (field.isEmpty() || field.startsWith(u';'))
            continue;
        items << field;
    }
    addItemsSilently(combo, items);

    const QString number = readFromDrawing(ctx, ReadDocIntersection,
                                           QStringLiteral("Nie odczytano z rysunku numeru skrzyżowania."));
    if (number.isEmpty() || combo->count() == 0)
        return;
    combo->setCurrentIndex(0);
    for (int i = 0; i < combo->count(); ++i) {
        QString rest = combo->itemText(i);
        if (TakeToken(rest, QStringLiteral(" ")) == number)
            combo->setCurrentIndex(i);
    }
}

void LoadApplicantList(RunContext& ctx, QComboBox* combo)
{
    loadLineList(ctx, combo, kApplicantListFile);
}

void LoadContractorList(RunContext& ctx, QComboBox* combo)
{
    loadLineList(ctx, combo, kContractorListFile);
}

void LoadTypeList(RunContext& ctx, QComboBox* combo)
{
    const auto text = readSharedList(ctx, kTypeListFile);
    if (!text)
        return;
    addItemsSilently(combo, trimmedNonEmpty(ReadFields(*text)));
    selectFirst(combo);
}

QString LightSourceCodes::codeAt(int index) const
{
    if (index < 0 || index > lastIndex || index >= static_cast<int>(codes.size()))
        return {};
    return codes[static_cast<std::size_t>(index)];
}

void LoadLightSourceList(RunContext& ctx, QComboBox* combo, LightSourceCodes& table)
{
    const auto text = readSharedList(ctx, kLightSourceListFile);
    if (!text)
        return;
    table.codes.assign(21, QString());
    table.lastIndex = -1;

    const QStringList fields = ReadFields(*text);
    QStringList names;
    for (qsizetype k = 0; k < fields.size(); k += 2) {
        const QString name = TrimBlanks(fields[k]);
        // A name on the last line without its code reads as an empty code.
        const QString code = k + 1 < fields.size() ? TrimBlanks(fields[k + 1]) : QString();
        if (name.isEmpty() || code.isEmpty())
            continue;
        ++table.lastIndex;
        if (table.lastIndex >= static_cast<int>(table.codes.size()))
            table.codes.resize(table.codes.size() + 20);
        table.codes[static_cast<std::size_t>(table.lastIndex)] = code;
        names << name;
    }
    addItemsSilently(combo, names);
    selectFirst(combo);
}

bool AppendIntersectionEntry(RunContext& ctx, const QString& text)
{
    return appendLine(ctx, IntersectionListPath(ctx), text,
                      QStringLiteral("Nie można przeczytać listy ze skrzyżowaniami"));
}

bool AppendStreetEntry(RunContext& ctx, const QString& text)
{
    return appendLine(ctx, StreetListPath(ctx), text, QStringLiteral("Nie można przeczytać listy z ulicami"));
}

} // namespace lumo
