#include "host_contract.h"

#include "cad/drawing.h"
#include "dxf/document.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <numbers>

namespace fs = std::filesystem;

namespace lumo::cad::contract {

namespace {

constexpr double kPi = std::numbers::pi;

std::string uniqueFolder()
{
    static std::atomic<int> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path folder = fs::temp_directory_path()
        / ("lumo-host-contract-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(folder);
    return folder.string();
}

bool isUpperHex(const std::string& text)
{
    if (text.empty())
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

} // namespace

void HostFactory::writeBlockFile(const std::string& path)
{
    auto drawing = dxf::Document::create("AC1032");
    drawing.addText("BLOK", {0.0, 0.0, 0.0}, 2.5);
    drawing.save(path);
}

void PrintTo(const std::shared_ptr<HostFactory>& factory, std::ostream* out)
{
    *out << (factory ? factory->name() : "(no factory)");
}

std::string FactoryName(const ::testing::TestParamInfo<std::shared_ptr<HostFactory>>& info)
{
    return info.param->name();
}

void HostContract::SetUp()
{
    folder_ = uniqueFolder();
}

void HostContract::TearDown()
{
    session_ = HostSession{};
    provider_.reset();
    std::error_code ec;
    fs::remove_all(folder_, ec);
}

void HostContract::connect(bool withDrawing, std::vector<std::string> input)
{
    HostSetup setup;
    setup.folder = folder_;
    if (withDrawing) {
        setup.drawing = (fs::path(folder_) / "rysunek.dxf").string();
        dxf::Document::create("AC1032").save(setup.drawing);
    }
    setup.input = std::move(input);
    provider_ = factory().makeProvider(setup);
    session_.message = [this](const std::string& title, const std::string& text, MessageIcon icon) {
        messages_.push_back({title, text, icon});
    };
    ASSERT_NE(ConnectAcad(session_, *provider_, true), nullptr);
    if (withDrawing) {
        ASSERT_TRUE(CheckActiveDocument(session_, true));
    }
}

std::string HostContract::blockFile(const std::string& name)
{
    const auto path = (fs::path(folder_) / (name + session_.app->blockFileExtension())).string();
    if (!fs::exists(path))
        factory().writeBlockFile(path);
    return path;
}

void HostContract::defineBlock(const std::string& name, const std::vector<std::string>& tags)
{
    auto loading = session_.modelSpace->insertBlock({0, 0, 0}, blockFile(name), 1, 1, 1, 0);
    ASSERT_TRUE(BlockExists(session_, name));
    auto block = session_.doc->blocks()->item(name);
    for (const auto& tag : tags)
        AddBlockAttribute(*block, tag, "", 0, 0);
    loading->erase();
}

// ---------------------------------------------------------------- connection

TEST_P(HostContract, ConnectStartsOneHostAndAttachesToItAfterwards)
{
    connect();
    ASSERT_NE(session_.state, nullptr);
    EXPECT_TRUE(session_.state->isQuiescent());
    session_.app->setVisible(true);
    EXPECT_TRUE(session_.app->visible());

    // A second connection finds the running host: same drawing, same state.
    SetDrawingProperty(session_, "ONUMERSKRZYZ", "12");
    HostSession second;
    ASSERT_NE(ConnectAcad(second, *provider_, false), nullptr);
    EXPECT_EQ(second.state, nullptr);
    ASSERT_TRUE(CheckActiveDocument(second, true));
    EXPECT_EQ(GetDrawingProperty(second, "ONUMERSKRZYZ"), "12");
    EXPECT_TRUE(messages_.empty());
}

TEST_P(HostContract, WithoutDrawingTheCheckFailsWithOrWithoutMessage)
{
    connect(false);
    EXPECT_EQ(session_.app->documentsCount(), 0);
    EXPECT_THROW(session_.app->activeDocument(), HostError);

    EXPECT_FALSE(CheckActiveDocument(session_, false));
    EXPECT_TRUE(messages_.empty());

    EXPECT_FALSE(CheckActiveDocument(session_, true));
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_EQ(messages_[0].title, "LUMO_Sygnalizatory");
    EXPECT_EQ(messages_[0].text, "Najpierw proszę otworzyć jakiś dokument...");
    EXPECT_EQ(messages_[0].icon, MessageIcon::None);
    EXPECT_EQ(session_.doc, nullptr);
}

TEST_P(HostContract, TypeNamesAreTheAutomationNames)
{
    connect();
    auto& doc = *session_.doc;
    EXPECT_EQ(doc.typeName(), "IAcadDocument");
    EXPECT_EQ(session_.modelSpace->typeName(), "IAcadModelSpace");
    EXPECT_EQ(doc.layers()->item("0")->typeName(), "IAcadLayer");
    EXPECT_EQ(doc.blocks()->item("*Model_Space")->typeName(), "IAcadModelSpace");
    defineBlock("S-1");
    EXPECT_EQ(doc.blocks()->item("S-1")->typeName(), "IAcadBlock");
    auto reference = session_.modelSpace->insertBlock({1, 2, 0}, "S-1", 1, 1, 1, 0);
    EXPECT_EQ(reference->typeName(), "IAcadBlockReference");
    EXPECT_EQ(session_.modelSpace->addText("a", {0, 0, 0}, 1)->typeName(), "IAcadText");
    EXPECT_EQ(doc.textStyles()->add("SYGN_OPISY_TXT")->typeName(), "IAcadTextStyle");
    EXPECT_EQ(doc.selectionSets()->add("X")->typeName(), "IAcadSelectionSet");
    EXPECT_EQ(session_.app->blockFileExtension().front(), '.');
}

// ---------------------------------------------------------------- lookups

TEST_P(HostContract, BlockAndLayerLookups)
{
    connect();
    defineBlock("S-3lp");
    EnsureLayer(session_, "110-SYGNALIZACJA_KOMORY", false);
    struct Case {
        const char* name;
        bool block;
        bool layer;
    } cases[] = {
        {"S-3lp", true, false},
        {"s-3LP", true, false}, // names ignore case
        {"S-3l", false, false},
        {"*Model_Space", false, false}, // answers, but is no block definition
        {"0", false, true},
        {"110-SYGNALIZACJA_KOMORY", false, true},
        {"110-sygnalizacja_komory", false, true},
        {"112-OPIS_SYGNALIZACJI", false, false},
        {"", false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BlockExists(session_, c.name), c.block);
        EXPECT_EQ(LayerExists(session_, c.name), c.layer);
    }
    EXPECT_THROW(session_.doc->blocks()->item("S-3l"), HostError);
    EXPECT_THROW(session_.doc->layers()->item("112-OPIS_SYGNALIZACJI"), HostError);
    EXPECT_THROW(session_.doc->textStyles()->item("SYGN_OPISY_TXT"), HostError);
}

TEST_P(HostContract, EnsureLayerAddsOnceAndChangesNothingElse)
{
    connect();
    auto& doc = *session_.doc;
    const auto current = doc.activeLayer()->name();
    const long before = doc.layers()->count();

    EnsureLayer(session_, "110-SYGNALIZACJA_KOMORY", false);
    EXPECT_EQ(doc.layers()->count(), before + 1);
    EXPECT_EQ(doc.activeLayer()->name(), current);

    // An existing layer keeps its properties whatever is asked.
    doc.layers()->item("110-SYGNALIZACJA_KOMORY")->setColor(3);
    EnsureLayer(session_, "110-sygnalizacja_komory", false, 5, 50);
    EXPECT_EQ(doc.layers()->count(), before + 1);
    EXPECT_EQ(doc.layers()->item("110-SYGNALIZACJA_KOMORY")->color(), 3);

    EnsureLayer(session_, "256-OPISY_DETEKTOROW", true, 1, 35);
    EXPECT_EQ(doc.activeLayer()->name(), "256-OPISY_DETEKTOROW");
    auto layer = doc.layers()->item("256-OPISY_DETEKTOROW");
    EXPECT_EQ(layer->color(), 1);
    EXPECT_EQ(layer->lineWeight(), 35);

    EnsureLayer(session_, "110-SYGNALIZACJA_KOMORY", true);
    EXPECT_EQ(doc.activeLayer()->name(), "110-SYGNALIZACJA_KOMORY");

    // Adding an existing layer hands it back.
    EXPECT_EQ(doc.layers()->add("0")->name(), "0");
    EXPECT_EQ(doc.layers()->count(), before + 2);
}

TEST_P(HostContract, TextStyleLookupAndCreation)
{
    connect();
    auto& doc = *session_.doc;
    std::shared_ptr<TextStyle> style;
    EXPECT_FALSE(GetTextStyle(session_, "SYGN_OPISY_TXT", style, true));
    EXPECT_EQ(style, nullptr);

    auto made = doc.textStyles()->add("SYGN_OPISY_TXT");
    made->setHeight(1000);
    made->setFont("arial", false, false, 0, 0);
    const auto before = doc.activeTextStyle()->name();

    EXPECT_TRUE(GetTextStyle(session_, "sygn_opisy_txt", style, false));
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(style->name(), "SYGN_OPISY_TXT");
    EXPECT_DOUBLE_EQ(style->height(), 1000);
    EXPECT_EQ(style->fontTypeface(), "arial");
    EXPECT_EQ(doc.activeTextStyle()->name(), before);

    EXPECT_TRUE(GetTextStyle(session_, "SYGN_OPISY_TXT", style, true));
    EXPECT_EQ(doc.activeTextStyle()->name(), "SYGN_OPISY_TXT");
    EXPECT_EQ(doc.textStyles()->add("SYGN_OPISY_TXT")->name(), "SYGN_OPISY_TXT");
}

// ---------------------------------------------------------------- properties

TEST_P(HostContract, DrawingPropertiesAddReplaceAndIgnoreEmptyKey)
{
    connect();
    auto summary = session_.doc->summaryInfo();
    EXPECT_EQ(GetDrawingProperty(session_, "SKALA"), "");

    SetDrawingProperty(session_, "SKALA", "500");
    EXPECT_EQ(GetDrawingProperty(session_, "SKALA"), "500");
    SetDrawingProperty(session_, "SKALA", "250");
    EXPECT_EQ(GetDrawingProperty(session_, "SKALA"), "250");
    SetDrawingProperty(session_, "OSTULICA", "ul. Żółkiewskiego");
    EXPECT_EQ(GetDrawingProperty(session_, "OSTULICA"), "ul. Żółkiewskiego");
    EXPECT_EQ(summary->numCustomInfo(), 2);

    SetDrawingProperty(session_, "", "x");
    EXPECT_EQ(summary->numCustomInfo(), 2);

    std::string value = "untouched";
    EXPECT_THROW(summary->getCustomByKey("NUMERSEKCJI", value), HostError);
    EXPECT_THROW(summary->setCustomByKey("NUMERSEKCJI", "1-2"), HostError);
    EXPECT_THROW(summary->addCustomInfo("SKALA", "1"), HostError);
    summary->getCustomByKey("SKALA", value);
    EXPECT_EQ(value, "250");
}

// ---------------------------------------------------------------- blocks

TEST_P(HostContract, BlockFromFileTakesAttributeDefinitionsIntoItsReferences)
{
    connect();
    const long before = session_.modelSpace->count();
    auto loading = session_.modelSpace->insertBlock({0, 0, 0}, blockFile("S-5pr"), 1, 1, 1, 0);
    EXPECT_EQ(session_.modelSpace->count(), before + 1);
    ASSERT_TRUE(BlockExists(session_, "S-5pr"));

    auto block = session_.doc->blocks()->item("S-5PR");
    auto definition = AddBlockAttribute(*block, "SYMBOL", "S-5/6", 0, 0);
    EXPECT_EQ(definition->typeName(), "IAcadAttribute");
    AddBlockAttribute(*block, "INWENT_NUMER", "", 0, 0);
    const auto definitions = block->attributeDefinitions();
    ASSERT_EQ(definitions.size(), 2u);
    EXPECT_EQ(definitions[0]->tagString(), "SYMBOL");
    EXPECT_EQ(definitions[0]->textString(), "S-5/6");
    EXPECT_EQ(definitions[1]->tagString(), "INWENT_NUMER");

    loading->erase();
    EXPECT_EQ(session_.modelSpace->count(), before);

    auto reference = session_.modelSpace->insertBlock({10, 20, 0}, "S-5pr", 5, 5, 5, kPi / 2);
    ASSERT_TRUE(reference->hasAttributes());
    auto attributes = reference->getAttributes();
    ASSERT_EQ(attributes.size(), 2u);
    EXPECT_EQ(attributes[0]->tagString(), "SYMBOL");
    EXPECT_EQ(attributes[0]->textString(), "S-5/6");
    attributes[1]->setTextString("30-18/987/K1p");
    EXPECT_EQ(reference->getAttributes()[1]->textString(), "30-18/987/K1p");
}

TEST_P(HostContract, ModelSpaceEntitiesAndTheirMembers)
{
    connect();
    defineBlock("S-1");
    auto& ms = *session_.modelSpace;
    EnsureLayer(session_, "110-SYGNALIZACJA_KOMORY", true);

    auto reference = ms.insertBlock({10, 20, 0}, "s-1", 2.5, 2.5, 2.5, kPi / 2);
    ASSERT_EQ(ms.count(), 1);
    auto newest = ms.item(ms.count() - 1);
    EXPECT_EQ(newest->handle(), reference->handle());
    EXPECT_TRUE(isUpperHex(reference->handle())) << reference->handle();
    EXPECT_EQ(reference->layer(), "110-SYGNALIZACJA_KOMORY");
    EXPECT_NEAR(reference->rotation(), kPi / 2, 1e-9);
    EXPECT_EQ(reference->insertionPoint(), (Point3{10, 20, 0}));
    EXPECT_FALSE(reference->hasAttributes());

    auto text = ms.addText("30-18/987/K1p", {12, 22, 0}, 3.5);
    EXPECT_EQ(ms.count(), 2);
    EXPECT_EQ(ms.item(1)->handle(), text->handle());
    EXPECT_NE(text->handle(), reference->handle());
    text->setColor(1);
    EXPECT_EQ(text->color(), 1);
    text->setRotation(kPi / 4);
    EXPECT_NEAR(text->rotation(), kPi / 4, 1e-9);
    EXPECT_THROW(text->setLayer("112-OPIS_SYGNALIZACJI"), HostError); // not in the drawing
    EnsureLayer(session_, "112-OPIS_SYGNALIZACJI", false);
    text->setLayer("112-OPIS_SYGNALIZACJI");
    EXPECT_EQ(text->layer(), "112-OPIS_SYGNALIZACJI");
    text->update();
    EXPECT_THROW(text->getAttributes(), HostError);

    auto found = session_.doc->handleToObject(reference->handle());
    EXPECT_EQ(found->insertionPoint(), (Point3{10, 20, 0}));
    EXPECT_THROW(session_.doc->handleToObject("FFFFFF"), HostError);
    EXPECT_THROW(ms.item(2), HostError);
    EXPECT_THROW(ms.insertBlock({0, 0, 0}, "S-2p", 1, 1, 1, 0), HostError);
    EXPECT_THROW(ms.insertBlock({0, 0, 0}, blockFile("EKO") + ".missing", 1, 1, 1, 0), HostError);

    const auto handle = reference->handle();
    reference->erase();
    EXPECT_EQ(ms.count(), 1);
    EXPECT_THROW(session_.doc->handleToObject(handle), HostError);
}

// ---------------------------------------------------------------- selection

TEST_P(HostContract, SelectionSetsFailOnDuplicatesAndMissingNames)
{
    connect();
    auto sets = session_.doc->selectionSets();
    auto set = sets->add("SS1");
    EXPECT_THROW(sets->add("SS1"), HostError);
    EXPECT_THROW(sets->item("SS2"), HostError);
    EXPECT_EQ(sets->item("SS1")->name(), "SS1");
    EXPECT_EQ(sets->count(), 1);
    set->erase();
    EXPECT_EQ(sets->count(), 0);
    EXPECT_THROW(sets->item("SS1"), HostError);
    sets->add("SS1")->erase();
}

TEST_P(HostContract, SelectionFiltersUseTheHostWildcards)
{
    connect();
    defineBlock("S-1");
    defineBlock("S-3lp");
    defineBlock("EKO");
    auto& ms = *session_.modelSpace;
    EnsureLayer(session_, "110-SYGNALIZACJA_KOMORY", false);
    EnsureLayer(session_, "112-OPIS_SYGNALIZACJI", false);
    auto put = [&](const std::string& block, const std::string& layer) {
        ms.insertBlock({0, 0, 0}, block, 1, 1, 1, 0)->setLayer(layer);
    };
    put("S-1", "110-SYGNALIZACJA_KOMORY");
    put("S-3lp", "110-SYGNALIZACJA_KOMORY");
    put("EKO", "110-SYGNALIZACJA_KOMORY");
    put("S-1", "0");
    ms.addText("S-1", {0, 0, 0}, 1)->setLayer("110-SYGNALIZACJA_KOMORY");

    struct Case {
        std::vector<std::int16_t> types;
        std::vector<std::string> data;
        long count;
    } cases[] = {
        {{0}, {"INSERT"}, 4},
        {{0}, {"TEXT"}, 1},
        {{0}, {"*"}, 5},
        {{0, 2, 8}, {"INSERT", "S-*", "110-SYGNALIZACJA_KOMORY"}, 2},
        {{0, 2, 8}, {"INSERT", "s-*", "110-sygnalizacja_komory"}, 2},
        {{0, 2}, {"INSERT", "S-#"}, 2},
        {{0, 2}, {"INSERT", "~S-*"}, 1},
        {{0, 2}, {"INSERT", "EKO,S-3*"}, 2},
        {{8}, {"1##-*"}, 4},
        {{8}, {"112-*"}, 0},
    };
    auto sets = session_.doc->selectionSets();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.data.back());
        auto set = sets->add("SS1");
        set->select(5, c.types, c.data);
        EXPECT_EQ(set->count(), c.count);
        for (long i = 0; i < set->count(); ++i)
            EXPECT_FALSE(set->item(i)->handle().empty());
        set->erase();
    }
}

TEST_P(HostContract, FindBlockByAttributeNeverLeavesItsSelectionSet)
{
    connect();
    defineBlock("S-1", {"OBIEKT", "INWENT_NUMER"});
    defineBlock("S-3lp", {"INWENT_NUMER"});
    defineBlock("EKO", {"INWENT_NUMER"});
    auto& ms = *session_.modelSpace;
    EnsureLayer(session_, "110-SYGNALIZACJA_KOMORY", false);
    auto put = [&](const std::string& block, const std::string& layer, const std::string& number) {
        auto reference = ms.insertBlock({0, 0, 0}, block, 1, 1, 1, 0);
        reference->setLayer(layer);
        for (auto& attribute : reference->getAttributes()) {
            if (attribute->tagString() == "INWENT_NUMER")
                attribute->setTextString(number);
        }
        return reference->handle();
    };
    const auto onOtherLayer = put("S-1", "0", "30-18/987/K1p");
    const auto first = put("S-1", "110-SYGNALIZACJA_KOMORY", "30-18/987/K2");
    const auto second = put("S-3lp", "110-SYGNALIZACJA_KOMORY", "30-18/987/K1p");
    const auto screen = put("EKO", "110-SYGNALIZACJA_KOMORY", "30-18/987/K3");

    struct Case {
        const char* pattern;
        const char* tag;
        const char* value;
        const char* layer;
        std::string expected;
    } cases[] = {
        {"S-*", "INWENT_NUMER", "30-18/987/K1p", "110-SYGNALIZACJA_KOMORY", second},
        {"S-*", "NUMER", "30-18/987/K1p", "110-SYGNALIZACJA_KOMORY", second}, // tag part
        {"S-*", "INWENT_NUMER", "30-18/987/k1p", "110-SYGNALIZACJA_KOMORY", ""}, // exact value
        {"S-*", "inwent_numer", "30-18/987/K1p", "110-SYGNALIZACJA_KOMORY", ""}, // exact tag
        {"S-*", "INWENT_NUMER", "", "110-SYGNALIZACJA_KOMORY", first},
        {"S-*", "INWENT_NUMER", "30-18/987/K3", "110-SYGNALIZACJA_KOMORY", ""},
        {"EKO", "INWENT_NUMER", "30-18/987/K3", "110-SYGNALIZACJA_KOMORY", screen},
        {"S-*", "INWENT_NUMER", "", "256-OPISY_DETEKTOROW", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.pattern) + " " + c.tag + " " + c.value + " " + c.layer);
        EXPECT_EQ(FindBlockByAttribute(session_, c.pattern, c.tag, c.value, c.layer), c.expected);
        EXPECT_EQ(session_.doc->selectionSets()->count(), 0);
    }

    // A set of that name left behind (a crashed run, another add-on) goes.
    session_.doc->selectionSets()->add("SS1");
    EXPECT_EQ(FindBlockByAttribute(session_, "S-*", "INWENT_NUMER", "30-18/987/K1p", "0"), onOtherLayer);
    EXPECT_EQ(session_.doc->selectionSets()->count(), 0);
}

// ---------------------------------------------------------------- commands

TEST_P(HostContract, InsertTakesFromTheDesignerWhatTheCommandLeftOpen)
{
    struct Case {
        std::vector<std::string> input;
        const char* block;
        std::vector<std::string> tags;
        const char* command;
        Point3 point;
        bool pointLeft; // a second point stays for whoever asks next
    } cases[] = {
        {{"point 100 200", "angle 90"},
         "S-3lp",
         {"INWENT_NUMER"},
         "_-insert\rS-3lp\rS\r5\r",
         {100, 200, 0},
         false},
        {{"point -5.5 7.25", "point 1 1"},
         "sygnprzycisk",
         {"RODZAJ", "TYP", "PRODUCENT"},
         "_-insert\rsygnprzycisk\r_R\r90.0000000000001\rX\r2.5\rY\r2.5\r",
         {-5.5, 7.25, 0},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.block);
        TearDown();
        SetUp();
        connect(true, c.input);
        defineBlock(c.block, c.tags);
        session_.doc->sendCommand(c.command);

        EXPECT_TRUE(session_.state->isQuiescent());
        const auto prompt = session_.doc->getVariable("LASTPROMPT");
        EXPECT_EQ(prompt.find("*Cancel*"), std::string::npos) << prompt;
        ASSERT_EQ(session_.modelSpace->count(), 1);
        auto placed = session_.modelSpace->item(0);
        EXPECT_EQ(placed->typeName(), "IAcadBlockReference");
        EXPECT_EQ(placed->insertionPoint(), c.point);
        EXPECT_NEAR(placed->rotation(), kPi / 2, 1e-9);
        EXPECT_EQ(placed->getAttributes().size(), c.tags.size());
        if (c.pointLeft) {
            EXPECT_EQ(session_.doc->utility()->getPoint("Wskaż ..."), (Point3{1, 1, 0}));
        }
    }
}

TEST_P(HostContract, InsertsThatDoNotCompleteAddNothing)
{
    struct Case {
        std::vector<std::string> input;
        const char* command;
        const char* prompt;
    } cases[] = {
        {{"cancel"}, "_-insert\rS-1\rS\r5\r", "*Cancel*"},
        {{}, "_-insert\rS-1\rS\r5\r", "*Cancel*"},
        {{"point 1 2", "cancel"}, "_-insert\rS-1\rS\r5\r", "*Cancel*"},
        {{"point 1 2"}, "_-wstaw\rS-1\r", "Unknown command"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.command) + " " + std::to_string(c.input.size()));
        TearDown();
        SetUp();
        connect(true, c.input);
        defineBlock("S-1");
        session_.doc->sendCommand(c.command);
        EXPECT_TRUE(session_.state->isQuiescent());
        EXPECT_NE(session_.doc->getVariable("LASTPROMPT").find(c.prompt), std::string::npos);
        EXPECT_EQ(session_.modelSpace->count(), 0);
    }
    // An unknown command leaves the designer's input for the next request.
    EXPECT_EQ(session_.doc->utility()->getPoint("Wskaż ..."), (Point3{1, 2, 0}));
}

TEST_P(HostContract, GetPointAnswersOrFailsOnCancel)
{
    connect(true, {"point 3.5 -4", "cancel"});
    auto utility = session_.doc->utility();
    EXPECT_EQ(utility->getPoint("Wskaż położenie opisu ..."), (Point3{3.5, -4, 0}));
    EXPECT_THROW(utility->getPoint("Wskaż położenie opisu ..."), HostError);
    EXPECT_THROW(utility->getPoint("Wskaż położenie opisu ..."), HostError); // script ran out
}

} // namespace lumo::cad::contract
