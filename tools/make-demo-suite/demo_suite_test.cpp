// The demo suite as the program and the embedded host will read it: block
// files that load and import as blocks, the drawing's properties, the list
// files in cp1250 with CR LF, the registry file.
#include "demo_suite.h"

#include "dxf/document.h"
#include "recording_dialogs.h"
#include "settings/suite.h"
#include "util/files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace lumo::demo {
namespace {

std::string native(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::map<std::string, int> entityTypes(const std::vector<dxf::Entity>& entities)
{
    std::map<std::string, int> types;
    for (const dxf::Entity& e : entities)
        ++types[e.typeName()];
    return types;
}

class DemoSuite : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new QTemporaryDir;
        written = new std::vector<WrittenFile>(MakeDemoSuite(dir->path()));
    }
    static void TearDownTestSuite()
    {
        delete written;
        delete dir;
    }
    static QString at(const QString& relative) { return dir->path() + u'/' + relative; }

    static inline QTemporaryDir* dir = nullptr;
    static inline std::vector<WrittenFile>* written = nullptr;
};

TEST_F(DemoSuite, EveryCatalogueSymbolHasABlockFile)
{
    const QStringList symbols = HeadSymbols();

    dxf::Document target = dxf::Document::create();
    for (const QString& symbol : symbols) {
        const QString path = at(kHeadFolder + u'/' + symbol + ".dxf");
        SCOPED_TRACE(symbol.toStdString());
        const dxf::Document doc = dxf::Document::load(native(path));
        const auto types = entityTypes(doc.modelSpace());
        EXPECT_EQ(types.count("CIRCLE") ? types.at("CIRCLE") : 0, LensCount(symbol));
        EXPECT_EQ(types.count("LWPOLYLINE") ? types.at("LWPOLYLINE") : 0, 1); // the housing
        EXPECT_EQ(types.count("ATTDEF"), 0u); // the program adds the attributes

        // The host brings a block file in as a block of the same name.
        const dxf::Block block = target.importBlockFile(native(path), symbol.toStdString());
        EXPECT_EQ(block.entities().size(), doc.modelSpace().size());
        EXPECT_TRUE(block.attributeDefinitions().empty());
    }
    int imported = 0;
    for (const dxf::Block& block : target.blocks())
        imported += block.isLayout() ? 0 : 1;
    EXPECT_EQ(imported, symbols.size());
}

// The screens and the push button are drawings the host can load.
TEST_F(DemoSuite, ScreensAndPushButtonLoad)
{
    for (const QString& file :
         {kHeadFolder + "/EKP.dxf", kHeadFolder + "/EKO.dxf", kSymbolFolder + "/sygnprzycisk.dxf"})
        EXPECT_FALSE(dxf::Document::load(native(at(file))).modelSpace().empty()) << file.toStdString();
}

TEST_F(DemoSuite, DemoDrawingIsAnIntersectionAtTrueSizeWithHeadsPlaced)
{
    const dxf::Document doc = dxf::Document::load(native(at(kDemoDrawing)));
    EXPECT_EQ(doc.customProperty("SKALA"), std::optional<std::string>("500"));
    EXPECT_EQ(doc.customProperty("NUMERSEKCJI"), std::optional<std::string>("26-15"));
    EXPECT_EQ(doc.customProperty("ONUMERSKRZYZ"), std::optional<std::string>("988"));
    // Without these the placed head's descriptions would have nowhere to go.
    EXPECT_TRUE(doc.findLayer("112-OPIS_SYGNALIZACJI").has_value());
    EXPECT_TRUE(doc.findLayer("109-SYGNALIZACJA_PRZYCISKI").has_value());

    // Millimetres: the kerbs of a street of two 3.5 m lanes each way lie
    // 7 m from its axis, and each arm reaches 60 m out.
    int kerbs = 0;
    for (const dxf::Entity& e : doc.modelSpace()) {
        if (e.typeName() != "LINE" || e.layer() != "KRAWEZNIKI")
            continue;
        ++kerbs;
        const dxf::Point a = e.insertionPoint();
        EXPECT_DOUBLE_EQ(std::min(std::abs(a.x), std::abs(a.y)), 7000.0);
    }
    EXPECT_EQ(kerbs, 8);

    // Heads as the program places them at 1:500: insert scale 5, on their
    // layer, with designations of the demo intersection, and descriptions
    // 500 high (font height 1 times the scale).
    std::set<std::string> designations;
    for (const dxf::Entity& e : doc.modelSpace()) {
        if (!e.isBlockReference())
            continue;
        const dxf::BlockReference ref = e.asBlockReference();
        SCOPED_TRACE(ref.blockName());
        EXPECT_EQ(ref.layer(), "110-SYGNALIZACJA_KOMORY");
        EXPECT_DOUBLE_EQ(ref.scale().x, 5.0);
        const auto number = ref.attribute("INWENT_NUMER");
        ASSERT_TRUE(number.has_value());
        EXPECT_EQ(number->value().rfind("26-15/988/", 0), 0u) << number->value();
        designations.insert(number->value());
        // The program's duplicate check must not stop a first demo run of S-3wp.
        EXPECT_NE(number->value(), "26-15/988/K1");
    }
    EXPECT_EQ(designations.size(), 4u);

    int descriptions = 0;
    for (const dxf::Entity& e : doc.modelSpace()) {
        if (!e.isText())
            continue;
        const double height = e.asText().height();
        if (e.layer() == "112-OPIS_SYGNALIZACJI") {
            ++descriptions;
            EXPECT_DOUBLE_EQ(height, 500.0);
        } else {
            // Street names: 4 mm on the printed plan.
            EXPECT_EQ(e.layer(), "OPISY_ULIC");
            EXPECT_DOUBLE_EQ(height, 2000.0);
        }
    }
    EXPECT_EQ(descriptions, 4);
}

TEST_F(DemoSuite, ListFilesInCp1250WithCrLf)
{
    struct Case {
        QString file;
        QByteArray contains;
    };
    const Case cases[] = {
        {kStreetFolder + "/Ulice.lst", "\r\nD\xB3uga\r\n"},
        {kStreetFolder + "/Skrzyzowania.lst", "\r\n987 Rondo Kwiatowa\r\n"},
        {kSharedListFolder + "/Wnioskodawcy.lst",
         "Zarz\xB9"
         "d Dr\xF3g Miejskich\r\n"},
        {kSharedListFolder + "/Wykonawcy.lst",
         "Przedsi\xEA"
         "biorstwo Rob\xF3t Drogowych, sp. z o.o.\r\n"},
        {kSharedListFolder + "/SygnZrodSwiatla.lst",
         "\xAF"
         "arowe,Z\r\n"},
        {kSharedListFolder + "/SygnTypySygnDet.lst", "Producent Pierwszy\r\n"},
    };
    for (const Case& c : cases) {
        QFile file(at(c.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.file.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.contains(c.contains)) << c.file.toStdString();
        EXPECT_TRUE(bytes.endsWith("\r\n")) << c.file.toStdString();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << c.file.toStdString();
        // A comma ends a comment of the street and intersection lists: the
        // rest of the line would become entries.
        for (const QByteArray& line : bytes.split('\n'))
            EXPECT_FALSE(line.startsWith(';') && line.contains(',')) << line.toStdString();
    }
}

TEST_F(DemoSuite, RegistryPointsAtTheDemoCity)
{
    test::RecordingDialogs dialogs;
    const QString file = at(kRegistryFile);
    const auto read = [&](const char* name) {
        return RegReadStringFromFile(dialogs, file, RegistryRoot::CurrentUser, kTarnDirectoriesKey,
                                     QString::fromLatin1(name));
    };
    const QString aDane = FromNativePath(at(kCityDataFolder));
    ASSERT_LE(aDane.size(), 39) << "the temporary folder is too deep for a registry value";
    EXPECT_EQ(read("aDane"), aDane);
    EXPECT_EQ(read("City"), kCity);
    EXPECT_TRUE(FolderExists(aDane + "\\" + kCity + "\\Ulic"));
}

} // namespace
} // namespace lumo::demo
