// The list files as the suite's tools write them: Windows-1250 bytes, CR LF
// line ends, comments, blanks and quoted fields.
#include "lists/drawing_values.h"
#include "lists/list_files.h"
#include "list_suite.h"
#include "scoped_current_folder.h"
#include "util/files.h"
#include "util/paths.h"
#include "cad/drawing.h"
#include "cad/embedded/embedded_host.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace lumo {
namespace {

using testing::ListSuite;

const QString kTitle = QStringLiteral("LUMO_Sygnalizacja");

QStringList itemsOf(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

// ---- the two ways of reading a list file

TEST(ListGrammar, FieldsAndLines)
{
    struct Case {
        const char* name;
        QString text;
        QStringList fields;
        QStringList lines;
    };
    const Case cases[] = {
        {"empty file", "", {}, {}},
        {"empty line is one empty field", "\r\n", {""}, {""}},
        {"comma before the line end", "a,\r\n", {"a", ""}, {"a,"}},
        {"blanks around fields", "  a  ,  b  \r\n", {"a", "b"}, {"  a  ,  b  "}},
        {"quotes keep commas, rest skipped", "\"x, y\"  z ,w\r\n", {"x, y", "w"}, {"\"x, y\"  z ,w"}},
        {"quote runs over the line end", "\"a,\r\nb\",c", {"a,\r\nb", "c"}, {"\"a,", "b\",c"}},
        {"unterminated quote runs to the end", "\"a, b", {"a, b"}, {"\"a, b"}},
        {"CR, LF and CR LF end lines", "a\rb\nc\r\nd", {"a", "b", "c", "d"}, {"a", "b", "c", "d"}},
        {"blank line inside", "a\r\n   \r\nb\r\n", {"a", "", "b"}, {"a", "   ", "b"}},
        {"tabs are not blanks", "\ta\t,b", {"\ta\t", "b"}, {"\ta\t,b"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ReadFields(c.text), c.fields) << c.name;
        EXPECT_EQ(ReadLines(c.text), c.lines) << c.name;
    }
}

// ---- streets and intersections: the city's lists, preselected from the drawing

struct CityCase {
    const char* name;
    QByteArray bytes;
    std::optional<std::string> drawingValue; // property in the drawing (UTF-8)
    QStringList items;
    int selected;
};

TEST(StreetList, GrammarAndPreselection)
{
    const CityCase cases[] = {
        {"comments, blank line, padding",
         "; ulice dzielnicy A\r\n\r\n  Kwiatowa  \r\nD\xB3uga\r\n",
         std::nullopt,
         {"Kwiatowa", "Długa"},
         -1},
        {"a comma splits a line", "Rondo, Kwiatowa\r\n", std::nullopt, {"Rondo", "Kwiatowa"}, -1},
        {"a comment hides only its first field",
         "; stare ulice, do usuni\xEA"
         "cia\r\n",
         std::nullopt,
         {"do usunięcia"},
         -1},
        {"quoted street keeps its comma; no final line end",
         "\"Rondo, Kwiatowa\" x\r\n\xAF\xF3\xB3kiewskiego",
         std::nullopt,
         {"Rondo, Kwiatowa", "Żółkiewskiego"},
         -1},
        {"the last of two equal streets wins",
         "Kwiatowa\r\nD\xB3uga\r\nKwiatowa\r\n",
         "Kwiatowa",
         {"Kwiatowa", "Długa", "Kwiatowa"},
         2},
        {"drawing value is trimmed", "Kwiatowa\r\nD\xB3uga\r\n", "  Długa ", {"Kwiatowa", "Długa"}, 1},
        {"unknown street leaves the first", "Kwiatowa\r\nD\xB3uga\r\n", "Polna", {"Kwiatowa", "Długa"}, 0},
        {"comparison is exact", "Kwiatowa\r\n", "kwiatowa", {"Kwiatowa"}, 0},
        {"empty property selects nothing", "Kwiatowa\r\n", "", {"Kwiatowa"}, -1},
        {"empty list", "", "Kwiatowa", {}, -1},
    };
    for (const CityCase& c : cases) {
        ListSuite suite;
        suite.suite.writeBytes("Dane\\Miasto\\Ulic\\Ulice.lst", c.bytes);
        if (c.drawingValue)
            suite.setDrawingProperty("OSTULICA", *c.drawingValue);
        QComboBox combo;
        combo.setEditable(true);
        LoadStreetList(suite.ctx, &combo);
        EXPECT_EQ(itemsOf(combo), c.items) << c.name;
        EXPECT_EQ(combo.currentIndex(), c.selected) << c.name;
        EXPECT_TRUE(suite.dialogs.calls().empty()) << c.name;
        EXPECT_TRUE(suite.hostMessages.empty()) << c.name;
    }
}

TEST(IntersectionList, GrammarAndPreselection)
{
    const QByteArray list = "987 Rondo Kwiatowa\r\n12 Plac Wolno\x9C"
                            "ci\r\n";
    const CityCase cases[] = {
        {"number of the second entry", list, "12", {"987 Rondo Kwiatowa", "12 Plac Wolności"}, 1},
        {"a prefix of a number matches nothing", list, "98", {"987 Rondo Kwiatowa", "12 Plac Wolności"}, 0},
        {"the drawing value is not trimmed", list, " 12", {"987 Rondo Kwiatowa", "12 Plac Wolności"}, 0},
        {"no value in the drawing", list, std::nullopt, {"987 Rondo Kwiatowa", "12 Plac Wolności"}, -1},
        {"comments skipped, leading blanks dropped",
         "; komentarz\r\n5 A\r\n  7  Rynek\r\n",
         "7",
         {"5 A", "7  Rynek"},
         1},
        {"entry without a description", "44\r\n45\r\n", "45", {"44", "45"}, 1},
    };
    for (const CityCase& c : cases) {
        ListSuite suite;
        suite.suite.writeBytes("Dane\\Miasto\\Ulic\\Skrzyzowania.lst", c.bytes);
        if (c.drawingValue)
            suite.setDrawingProperty("ONUMERSKRZYZ", *c.drawingValue);
        QComboBox combo;
        combo.setEditable(true);
        std::vector<int> ruleRuns;
        QObject::connect(&combo, &QComboBox::currentIndexChanged,
                         [&ruleRuns](int index) { ruleRuns.push_back(index); });
        LoadIntersectionList(suite.ctx, &combo);
        EXPECT_EQ(itemsOf(combo), c.items) << c.name;
        EXPECT_EQ(combo.currentIndex(), c.selected) << c.name;
        // Adding the items runs no rule; each selection runs it, as a click does.
        std::vector<int> expectedRuns;
        if (c.selected >= 0)
            expectedRuns.push_back(0);
        if (c.selected > 0)
            expectedRuns.push_back(c.selected);
        EXPECT_EQ(ruleRuns, expectedRuns) << c.name;
    }
}

TEST(CityLists, NoDrawingOpen)
{
    ListSuite suite;
    suite.suite.writeBytes("Dane\\Miasto\\Ulic\\Ulice.lst", "Kwiatowa\r\n");
    suite.suite.writeBytes("Dane\\Miasto\\Ulic\\Skrzyzowania.lst", "987 Rondo\r\n");
    suite.closeDrawing();
    QComboBox streets;
    QComboBox intersections;
    LoadStreetList(suite.ctx, &streets);
    LoadIntersectionList(suite.ctx, &intersections);
    EXPECT_EQ(streets.count(), 1);
    EXPECT_EQ(streets.currentIndex(), -1);
    EXPECT_EQ(intersections.currentIndex(), -1);
    const QString noDocument
        = QStringLiteral("LUMO_Sygnalizatory: Najpierw proszę otworzyć jakiś dokument...");
    EXPECT_EQ(suite.hostMessages, (std::vector<QString>{noDocument, noDocument}));
}

// A host that cannot reach its drawing at all (no "not found" answer) is
// heard of, the lists still load; a busy one is left to the run's next call
// to the host, which ends the run and says so.
TEST(CityLists, AHostThatFailsIsReportedABusyOneLeftToTheRun)
{
    class Unreachable : public cad::Application {
    public:
        explicit Unreachable(std::function<void()> failure) : failure_(std::move(failure)) { }
        std::string typeName() const override { return "IAcadApplication"; }
        bool visible() const override { return true; }
        void setVisible(bool) override { }
        std::shared_ptr<cad::HostState> getAcadState() override { return nullptr; }
        long documentsCount() const override { return 1; }
        std::shared_ptr<cad::Document> activeDocument() override { return failure_(), nullptr; }
        std::string blockFileExtension() const override { return ".dxf"; }

    private:
        std::function<void()> failure_;
    };
    struct Case {
        const char* name;
        std::function<void()> failure;
        QString said; // "" nothing
    };
    const Case cases[] = {
        {"failure", [] { throw cad::HostError("Automation error"); },
         QStringLiteral("Program AutoCAD zgłosił błąd:\r\n[Automation error]\r\n")},
        {"busy", [] { throw cad::HostBusy("Call was rejected by callee."); }, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListSuite suite;
        suite.suite.writeBytes("Dane\\Miasto\\Ulic\\Ulice.lst", "Kwiatowa\r\n");
        suite.suite.writeBytes("Dane\\Miasto\\Ulic\\Skrzyzowania.lst", "987 Rondo\r\n");
        suite.session.app = std::make_shared<Unreachable>(c.failure);
        if (!c.said.isEmpty())
            suite.dialogs.acceptMessages(2);
        QComboBox streets;
        QComboBox intersections;
        LoadStreetList(suite.ctx, &streets);
        LoadIntersectionList(suite.ctx, &intersections);
        EXPECT_EQ(streets.count(), 1);
        EXPECT_EQ(intersections.count(), 1);
        EXPECT_EQ(streets.currentIndex(), -1);
        EXPECT_EQ(intersections.currentIndex(), -1);
        QStringList said;
        for (const auto& message : suite.dialogs.messages())
            said << message.text;
        if (c.said.isEmpty())
            EXPECT_TRUE(said.isEmpty());
        else
            EXPECT_EQ(
                said,
                QStringList({c.said + QStringLiteral("Nie odczytano z rysunku ostatnio używanej ulicy."),
                             c.said + QStringLiteral("Nie odczytano z rysunku numeru skrzyżowania.")}));
    }
}

// ---- the shared lists under "aZasoby\Listy"

TEST(SharedLists, Grammar)
{
    using Loader = void (*)(RunContext&, QComboBox*);
    struct Case {
        const char* name;
        Loader load;
        QString file;
        QByteArray bytes;
        QStringList before;
        QStringList items;
    };
    const Case cases[] = {
        {"contractors keep commas",
         LoadContractorList,
         "aZasoby\\Listy\\Wykonawcy.lst",
         "Firma X, sp. z o.o.\r\n   \r\n  Zak\xB3"
         "ad Y  \r\n",
         {},
         {"Firma X, sp. z o.o.", "Zakład Y"}},
        {"applicants go after what the combo holds",
         LoadApplicantList,
         "aZasoby\\Listy\\Wnioskodawcy.lst",
         "\r\nZarz\xB9"
         "d Dr\xF3g\r\n\"Gmina\"",
         {"Inny"},
         {"Inny", "Zarząd Dróg", "\"Gmina\""}},
        {"device types: fields, no comments",
         LoadTypeList,
         "aZasoby\\Listy\\SygnTypySygnDet.lst",
         "; stare\r\nFirma A, Firma B\r\n  \"C, D\"\r\n\r\n",
         {},
         {"; stare", "Firma A", "Firma B", "C, D"}},
        {"empty list selects nothing",
         LoadTypeList,
         "aZasoby\\Listy\\SygnTypySygnDet.lst",
         "\r\n \r\n",
         {},
         {}},
    };
    for (const Case& c : cases) {
        ListSuite suite;
        suite.suite.writeBytes(c.file, c.bytes);
        QComboBox combo;
        combo.addItems(c.before);
        combo.setCurrentIndex(-1);
        combo.setEditable(true);
        c.load(suite.ctx, &combo);
        EXPECT_EQ(itemsOf(combo), c.items) << c.name;
        EXPECT_EQ(combo.currentIndex(), c.items.isEmpty() ? -1 : 0) << c.name;
        EXPECT_TRUE(suite.dialogs.calls().empty()) << c.name;
    }
}

TEST(LightSourceList, PairsAndCodes)
{
    ListSuite suite;
    suite.suite.writeBytes("aZasoby\\Listy\\SygnZrodSwiatla.lst",
                           "LED,L1\r\nHalogen,\r\n\xAF"
                           "ar\xF3wka , Z \r\n,X\r\n\"LED, nowy\",L2\r\nOstatni");
    QComboBox combo;
    LightSourceCodes table;
    LoadLightSourceList(suite.ctx, &combo, table);
    EXPECT_EQ(itemsOf(combo), (QStringList{"LED", "Żarówka", "LED, nowy"}));
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(table.lastIndex, 2);
    EXPECT_EQ(table.codeAt(0), "L1");
    EXPECT_EQ(table.codeAt(1), "Z");
    EXPECT_EQ(table.codeAt(2), "L2");
    EXPECT_EQ(table.codeAt(3), "");
    EXPECT_EQ(table.codeAt(-1), "");

    // More sources than the table first holds.
    QByteArray many;
    for (int i = 1; i <= 25; ++i)
        many += "Lampa " + QByteArray::number(i) + ",K" + QByteArray::number(i) + "\r\n";
    suite.suite.writeBytes("aZasoby\\Listy\\SygnZrodSwiatla.lst", many);
    combo.clear();
    LoadLightSourceList(suite.ctx, &combo, table);
    EXPECT_EQ(combo.count(), 25);
    EXPECT_EQ(table.lastIndex, 24);
    EXPECT_EQ(table.codeAt(24), "K25");
    EXPECT_EQ(table.codeAt(25), "");
}

// ---- missing files: the message names the file; the combo stays as it was

TEST(ListFiles, MissingFileMessages)
{
    struct Case {
        const char* name;
        void (*load)(RunContext&, QComboBox*);
        QString windowsTail; // the path below the suite root, as the program spells it
        QString message;
    };
    const auto lightSources = [](RunContext& ctx, QComboBox* combo) {
        LightSourceCodes table;
        table.codes.assign(5, QStringLiteral("x"));
        table.lastIndex = 4;
        LoadLightSourceList(ctx, combo, table);
        // A missing file leaves the table as it was.
        EXPECT_EQ(table.lastIndex, 4);
        EXPECT_EQ(table.codes.size(), 5u);
    };
    const Case cases[] = {
        {"streets", LoadStreetList, "Dane\\Miasto\\Ulic\\Ulice.lst", "Nie można przeczytać listy ulic."},
        {"intersections", LoadIntersectionList, "Dane\\Miasto\\Ulic\\Skrzyzowania.lst",
         "Nie można przeczytać listy skrzyżowań."},
        {"applicants", LoadApplicantList, "aZasoby\\Listy\\Wnioskodawcy.lst",
         "Nie znaleziono pliku z listą: "},
        {"contractors", LoadContractorList, "aZasoby\\Listy\\Wykonawcy.lst",
         "Nie znaleziono pliku z listą: "},
        {"device types", LoadTypeList, "aZasoby\\Listy\\SygnTypySygnDet.lst",
         "Nie znaleziono pliku z listą: "},
        {"light sources", lightSources, "aZasoby\\Listy\\SygnZrodSwiatla.lst",
         "Nie znaleziono pliku z listą: "},
    };
    for (const Case& c : cases) {
        ListSuite suite;
        suite.setDrawingProperty("OSTULICA", "Kwiatowa");
        suite.dialogs.acceptMessages(1);
        QComboBox combo;
        c.load(suite.ctx, &combo);
        const QString path = DisplayPath(suite.suite.path(c.windowsTail));
        const auto messages = suite.dialogs.messages();
        ASSERT_EQ(messages.size(), 1u) << c.name;
        EXPECT_EQ(messages[0].title, kTitle) << c.name;
        EXPECT_EQ(messages[0].text, c.message + "\r\n[" + path + "]") << c.name;
        EXPECT_EQ(messages[0].icon, DialogIcon::Exclamation) << c.name;
        EXPECT_EQ(combo.count(), 0) << c.name;
        // The drawing is not asked when there is no list to preselect in.
        EXPECT_TRUE(suite.hostMessages.empty()) << c.name;
    }
}

// Without the registry's city the message says which values to set, where
// and how; with it, nothing more than the file.
TEST(ListFiles, MissingCityRegistryValuesAreExplained)
{
    struct Case {
        QString cityDataFolder;
        bool aDane;
        bool city;
    } cases[] = {
        {QStringLiteral("Brak\\Brak"), true, true},
        {QStringLiteral("Dane\\Brak"), false, true},
        {QStringLiteral("Brak\\Miasto"), true, false},
        {QStringLiteral("Dane\\Miasto"), false, false},
    };
    for (const Case& c : cases) {
        ListSuite suite;
        suite.ctx.startup.cityDataFolder = c.cityDataFolder;
        suite.ctx.startup.registryFile = QStringLiteral("/home/ala/.config/lumo/registry.reg");
        suite.dialogs.acceptMessages(1);
        QComboBox combo;
        LoadIntersectionList(suite.ctx, &combo);
        const auto messages = suite.dialogs.messages();
        ASSERT_EQ(messages.size(), 1u);
        const QString& text = messages[0].text;
        EXPECT_TRUE(text.startsWith(QStringLiteral("Nie można przeczytać listy skrzyżowań.")))
            << text.toStdString();
        EXPECT_EQ(text.contains(QStringLiteral("brak wartości \"aDane\"")), c.aDane) << text.toStdString();
        EXPECT_EQ(text.contains(QStringLiteral("\"City\" (")), c.city) << text.toStdString();
        const bool hint = c.aDane || c.city;
        EXPECT_EQ(text.contains(QStringLiteral("HKEY_CURRENT_USER\\Software\\Tarn\\Directories")), hint);
#ifndef _WIN32
        EXPECT_EQ(text.contains(QStringLiteral("[/home/ala/.config/lumo/registry.reg]")), hint);
#endif
        EXPECT_EQ(text.contains(QStringLiteral("\"City\"=\"Miasto\"")), hint);
    }
}

// The installer names the city relative to the suite ("aDane" = "Dane"). The
// program may be started from any folder (a double click on the program, a
// CAD macro): such a city folder counts from the suite root all the same, and
// a message names the whole path that was tried.
TEST(CityLists, ARelativeCityFolderCountsFromTheSuiteRoot)
{
    // The folder started from holds a city of the same name; it is not ours.
    QTemporaryDir elsewhere;
    ASSERT_TRUE(elsewhere.isValid());
    QDir(elsewhere.path()).mkpath(QStringLiteral("Dane/Miasto/Ulic"));
    QFile stranger(elsewhere.path() + QStringLiteral("/Dane/Miasto/Ulic/Skrzyzowania.lst"));
    ASSERT_TRUE(stranger.open(QIODevice::WriteOnly));
    stranger.write("1 Obce\r\n");
    stranger.close();
    const test::ScopedCurrentFolder startedElsewhere(elsewhere.path());
    ASSERT_TRUE(startedElsewhere.changed());

    struct Case {
        const char* name;
        QString cityDataFolder; // {root}: the suite root; {rootName}: its last component
        QString triedFolder; // the city folder tried when there is no list: "" when it is read
    };
    const Case cases[] = {
        {"relative, as the installer writes it", "Dane\\Miasto", ""},
        {"absolute", "{root}\\Dane\\Miasto", ""},
        {"relative, through the suite's parent", "..\\{rootName}\\Dane\\Miasto", ""},
        {"relative, spelt in another case", "dANE\\miasto", ""},
        {"values missing from the registry", "Brak\\Brak", "{root}\\Brak\\Brak"},
        {"relative, beside the suite, missing", "..\\Inne\\.\\Miasto", "{parent}\\Inne\\Miasto"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ListSuite suite;
        const QString root = suite.suite.rootFolder();
        const auto expand = [&](QString text) {
            text.replace(QStringLiteral("{rootName}"), FileNameOf(root));
            text.replace(QStringLiteral("{root}"), root);
            text.replace(QStringLiteral("{parent}"), ParentFolder(root));
            return text;
        };
        suite.suite.writeBytes("Dane\\Miasto\\Ulic\\Skrzyzowania.lst", "987 Rondo Kwiatowa\r\n");
        suite.ctx.startup.cityDataFolder = expand(c.cityDataFolder);
        const bool found = c.triedFolder.isEmpty();
        if (!found)
            suite.dialogs.acceptMessages(2);
        QComboBox combo;
        LoadIntersectionList(suite.ctx, &combo);
        const bool appended = AppendStreetEntry(suite.ctx, QStringLiteral("Nowa"));

        const auto messages = suite.dialogs.messages();
        if (found) {
            EXPECT_EQ(itemsOf(combo), QStringList{"987 Rondo Kwiatowa"});
            EXPECT_TRUE(appended);
            EXPECT_EQ(suite.suite.readBytes("Dane\\Miasto\\Ulic\\Ulice.lst"), "Nowa\r\n");
            EXPECT_TRUE(messages.empty());
        } else {
            EXPECT_EQ(combo.count(), 0);
            EXPECT_FALSE(appended);
            const QString tried = DisplayPath(expand(c.triedFolder) + QStringLiteral("\\Ulic\\"));
            ASSERT_EQ(messages.size(), 2u);
            EXPECT_TRUE(
                messages[0].text.startsWith(QStringLiteral("Nie można przeczytać listy skrzyżowań.\r\n[")
                                            + tried + QStringLiteral("Skrzyzowania.lst]")))
                << messages[0].text.toStdString();
            EXPECT_EQ(messages[1].text,
                      QStringLiteral("Nie można przeczytać listy z ulicami\r\n[") + tried
                          + QStringLiteral("Ulice.lst]"));
        }
    }
    EXPECT_FALSE(QFile::exists(elsewhere.path() + QStringLiteral("/Dane/Miasto/Ulic/Ulice.lst")));
}

// ---- the two appenders: every earlier byte stays, the new line is cp1250 + CR LF

TEST(ListFiles, Appends)
{
    using Append = bool (*)(RunContext&, const QString&);
    struct Case {
        const char* name;
        Append append;
        QString file;
        std::optional<QByteArray> before; // nullopt: no file
        QStringList texts;
        QByteArray after;
    };
    const Case cases[] = {
        {"intersection twice",
         AppendIntersectionEntry,
         "Skrzyzowania.lst",
         QByteArray("987 Rondo\r\n; stare\r\n"),
         {"123 Nowe", "123 Nowe"},
         "987 Rondo\r\n; stare\r\n123 Nowe\r\n123 Nowe\r\n"},
        {"street in cp1250",
         AppendStreetEntry,
         "Ulice.lst",
         QByteArray("Kwiatowa\r\n"),
         {"Żwirki i Wigury"},
         "Kwiatowa\r\n\xAFwirki i Wigury\r\n"},
        {"missing file is created",
         AppendStreetEntry,
         "Ulice.lst",
         std::nullopt,
         {"Kwiatowa"},
         "Kwiatowa\r\n"},
        {"empty text adds an empty line",
         AppendIntersectionEntry,
         "Skrzyzowania.lst",
         QByteArray("1 A\r\n"),
         {""},
         "1 A\r\n\r\n"},
        {"a last line without its end is continued",
         AppendStreetEntry,
         "Ulice.lst",
         QByteArray("Polna"),
         {" Nowa "},
         "Polna Nowa \r\n"},
    };
    for (const Case& c : cases) {
        ListSuite suite;
        const QString relative = "Dane\\Miasto\\Ulic\\" + c.file;
        if (c.before)
            suite.suite.writeBytes(relative, *c.before);
        for (const QString& text : c.texts)
            EXPECT_TRUE(c.append(suite.ctx, text)) << c.name;
        EXPECT_EQ(suite.suite.readBytes(relative), c.after) << c.name;
        EXPECT_TRUE(suite.dialogs.calls().empty()) << c.name;
    }
}

TEST(ListFiles, AppendWithoutFolder)
{
    struct Case {
        bool (*append)(RunContext&, const QString&);
        QString file;
        QString message;
    };
    const Case cases[] = {
        {AppendIntersectionEntry, "Skrzyzowania.lst", "Nie można przeczytać listy ze skrzyżowaniami"},
        {AppendStreetEntry, "Ulice.lst", "Nie można przeczytać listy z ulicami"},
    };
    for (const Case& c : cases) {
        ListSuite suite;
        QDir(suite.suite.nativePath(suite.suite.path("Dane\\Miasto\\Ulic"))).removeRecursively();
        suite.dialogs.acceptMessages(1);
        EXPECT_FALSE(c.append(suite.ctx, "123 Nowe"));
        const QString file = suite.suite.path("Dane\\Miasto\\Ulic\\" + c.file);
        const auto messages = suite.dialogs.messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].title, kTitle);
        EXPECT_EQ(messages[0].text, c.message + "\r\n[" + DisplayPath(file) + "]");
        EXPECT_EQ(messages[0].icon, DialogIcon::Exclamation);
        EXPECT_FALSE(FileExists(file));
    }
}

// ---- the values kept in the drawing file, read again after a save

TEST(DrawingValues, KeptInTheDrawingFile)
{
    ListSuite suite;
    EXPECT_EQ(ReadLastStreet(suite.session), "");
    WriteLastStreet(suite.session, "Żwirki i Wigury");
    WriteLastStreet(suite.session, "Świętokrzyska");
    cad::SetDrawingProperty(suite.session, "ONUMERSKRZYZ", "988");
    ASSERT_TRUE(suite.app->save());

    cad::embedded::EmbeddedHostOptions options;
    options.drawing = suite.app->drawingPath();
    suite.session = {};
    suite.session.app = std::make_shared<cad::embedded::EmbeddedApplication>(options);
    EXPECT_EQ(ReadLastStreet(suite.session), "Świętokrzyska");
    EXPECT_EQ(ReadDocIntersection(suite.session), "988");
}

} // namespace
} // namespace lumo
