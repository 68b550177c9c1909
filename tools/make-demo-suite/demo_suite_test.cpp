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
#include <map>

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
    for (const QString& file : {kHeadFolder + "/EKP.dxf", kHeadFolder + "/EKO.dxf", kSymbolFolder + "/sygnprzycisk.dxf"})
        EXPECT_FALSE(dxf::Document::load(native(at(file))).modelSpace().empty()) << file.toStdString();
}

TEST_F(DemoSuite, DemoDrawing)
{
    const dxf::Document doc = dxf::Document::load(native(at(kDemoDrawing)));
    EXPECT_EQ(doc.customProperty("SKALA"), std::optional<std::string>("500"));
    EXPECT_EQ(doc.customProperty("NUMERSEKCJI"), std::optional<std::string>("26-15"));
    // Without these the placed head's descriptions would have nowhere to go.
    EXPECT_TRUE(doc.findLayer("112-OPIS_SYGNALIZACJI").has_value());
    EXPECT_TRUE(doc.findLayer("109-SYGNALIZACJA_PRZYCISKI").has_value());
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
        {kSharedListFolder + "/Wnioskodawcy.lst", "Zarz\xB9" "d Dr\xF3g Miejskich\r\n"},
        {kSharedListFolder + "/Wykonawcy.lst", "Przedsi\xEA" "biorstwo Rob\xF3t Drogowych, sp. z o.o.\r\n"},
        {kSharedListFolder + "/SygnZrodSwiatla.lst", "\xAF" "arowe,Z\r\n"},
        {kSharedListFolder + "/SygnTypySygnDet.lst", "Producent Pierwszy\r\n"},
    };
    for (const Case& c : cases) {
        QFile file(at(c.file));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << c.file.toStdString();
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.contains(c.contains)) << c.file.toStdString();
        EXPECT_TRUE(bytes.endsWith("\r\n")) << c.file.toStdString();
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << c.file.toStdString();
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
