// The automation host against an in-memory host exposed through IDispatch:
// each test checks that what the program passes arrives intact on the other
// side, and that what the host answers comes back intact.
#include "cad/com/automation_host.h"
#include "dispatch_server.h"
#include "fake_host.h"

#include <gtest/gtest.h>

#include <chrono>

namespace lumo::cad::com {
namespace {

using testing::FakeApplication;
using testing::RegisteredServer;
using testing::ServerControl;

RetryPolicy quickRetry()
{
    RetryPolicy retry;
    retry.interval = std::chrono::milliseconds(5);
    retry.limit = std::chrono::milliseconds(2000);
    return retry;
}

class AutomationHost : public ::testing::Test {
protected:
    static void SetUpTestSuite() { testing::registerProgId(); }

    void SetUp() override
    {
        server = std::make_unique<RegisteredServer>(fake, control, true, false);
        app = attachRunningHost(quickRetry());
        doc = app->activeDocument();
    }
    void TearDown() override
    {
        doc.reset();
        app.reset();
        server.reset();
    }

    std::shared_ptr<FakeApplication> fake = std::make_shared<FakeApplication>();
    std::shared_ptr<ServerControl> control = std::make_shared<ServerControl>();
    std::unique_ptr<RegisteredServer> server;
    std::shared_ptr<Application> app;
    std::shared_ptr<Document> doc;
};

TEST(AutomationHostConnection, AttachesToTheRunningHostOrStartsOne)
{
    testing::registerProgId();
    struct Case {
        bool running;
        bool creatable;
        bool attaches;
        bool creates;
    };
    const Case cases[] = {
        {true, true, true, true},
        {true, false, true, false},
        {false, true, false, true},
        {false, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.running) + "/" + std::to_string(c.creatable));
        auto fake = std::make_shared<FakeApplication>();
        RegisteredServer server(fake, std::make_shared<ServerControl>(), c.running, c.creatable);
        if (c.attaches) {
            auto app = attachRunningHost(quickRetry());
            app->setVisible(true);
            EXPECT_TRUE(fake->visible()); // the running host, not a copy
            EXPECT_EQ(server.created(), 0);
        } else {
            EXPECT_THROW(attachRunningHost(quickRetry()), HostError);
        }
        if (c.creates) {
            auto app = createHost(quickRetry());
            EXPECT_EQ(server.created(), 1);
            EXPECT_EQ(app->documentsCount(), 1);
        } else {
            EXPECT_THROW(createHost(quickRetry()), HostError);
        }
    }
}

TEST_F(AutomationHost, TextCrossesIntactBothWays)
{
    const std::string names[] = {
        "110-SYGNALIZACJA_KOMORY", "Żółta łąka ĄĆĘŁŃÓŚŹŻ", "", "tab\tand \"quotes\"",
        "symbol \xF0\x9F\x9A\xA6", // outside the 16-bit range: a surrogate pair
        std::string(300, 'x'),
    };
    auto layers = doc->layers();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        auto layer = layers->add(name);
        EXPECT_EQ(fake->document->layerTable->items.count(name), 1u);
        EXPECT_EQ(layer->name(), name);
        EXPECT_EQ(layers->item(name)->name(), name);
    }
    EXPECT_EQ(layers->count(), static_cast<long>(std::size(names)) + 1);
}

TEST_F(AutomationHost, PointsScalesAndAnglesCrossAsTheyAre)
{
    auto space = doc->modelSpace();
    const Point3 at{1234567.125, -0.0625, 3.5};
    auto reference = space->insertBlock(at, "C:\\Zasoby\\S-1.dwg", 2.0, 0.5, 1.0, 1.5707963267948966);
    ASSERT_EQ(fake->document->space->entities.size(), 1u);
    const auto& kept = *fake->document->space->entities.back();
    EXPECT_EQ(kept.point, at);
    EXPECT_EQ(kept.name, "C:\\Zasoby\\S-1.dwg");
    EXPECT_EQ(kept.scales[0], 2.0);
    EXPECT_EQ(kept.scales[1], 0.5);
    EXPECT_EQ(kept.scales[2], 1.0);
    EXPECT_EQ(reference->insertionPoint(), at);
    EXPECT_DOUBLE_EQ(reference->rotation(), 1.5707963267948966);
    reference->setRotation(-0.25);
    EXPECT_EQ(kept.rotation(), -0.25);

    space->addText("30-18/987/K1p", {10, 20, 0}, 2.5);
    EXPECT_EQ(fake->document->space->entities.back()->scales[0], 2.5);

    fake->document->picker->points.push_back({7.5, -8.25, 0});
    EXPECT_EQ(doc->utility()->getPoint("Wskaż położenie opisu"), (Point3{7.5, -8.25, 0}));
    EXPECT_EQ(fake->document->picker->prompts.back(), "Wskaż położenie opisu");
    EXPECT_THROW(doc->utility()->getPoint("again"), HostError); // nothing picked: cancel
}

TEST_F(AutomationHost, BlockDefinitionAttributes)
{
    auto block = std::make_shared<testing::FakeBlock>("S-1");
    fake->document->blockTable->items["S-1"] = block;
    auto definition
        = doc->blocks()->item("S-1")->addAttribute(3.5, 9, "", {1.25, -2, 0}, "INWENT_NUMER", "brak");
    ASSERT_EQ(block->definitions.size(), 1u);
    EXPECT_EQ(block->definitions[0]->height, 3.5);
    EXPECT_EQ(block->definitions[0]->mode, 9);
    EXPECT_EQ(block->definitions[0]->prompt, "");
    EXPECT_EQ(block->definitions[0]->point, (Point3{1.25, -2, 0}));
    EXPECT_EQ(definition->tagString(), "INWENT_NUMER");
    EXPECT_EQ(definition->textString(), "brak");
}

TEST_F(AutomationHost, SelectionFiltersArriveAsTypedArrays)
{
    auto space = fake->document->space;
    space->newEntity("IAcadBlockReference")->setLayer("110-SYGNALIZACJA_KOMORY");
    space->newEntity("IAcadBlockReference")->setLayer("0");

    struct Case {
        std::vector<std::int16_t> types;
        std::vector<std::string> data;
        long count;
    };
    const Case cases[] = {
        {{0, 2, 8}, {"INSERT", "S-*", "110-SYGNALIZACJA_KOMORY"}, 1},
        {{8}, {"0"}, 1},
        {{8}, {"żaden"}, 0},
        {{}, {}, 2},
        {{-4, 0, -4}, {"<OR", "TEXT", "OR>"}, 2},
    };
    for (const Case& c : cases) {
        auto set = doc->selectionSets()->add("SS1");
        set->select(5, c.types, c.data);
        auto kept = fake->document->sets->sets.at("SS1");
        EXPECT_EQ(kept->lastMode, 5);
        EXPECT_EQ(kept->lastTypes, c.types);
        EXPECT_EQ(kept->lastData, c.data);
        EXPECT_EQ(set->count(), c.count);
        set->erase();
    }
}

TEST_F(AutomationHost, CustomPropertiesAndTheOutParameter)
{
    auto summary = doc->summaryInfo();
    summary->addCustomInfo("OSTULICA", "Aleje Jerozolimskie – ąę");
    EXPECT_EQ(fake->document->summary->custom.at("OSTULICA"), "Aleje Jerozolimskie – ąę");

    std::string value = "before";
    summary->getCustomByKey("OSTULICA", value);
    EXPECT_EQ(value, "Aleje Jerozolimskie – ąę");

    summary->setCustomByKey("OSTULICA", "");
    summary->getCustomByKey("OSTULICA", value);
    EXPECT_EQ(value, "");

    value = "kept";
    EXPECT_THROW(summary->getCustomByKey("SKALA", value), HostError);
    EXPECT_EQ(value, "kept");
    EXPECT_THROW(summary->setCustomByKey("SKALA", "500"), HostError);
    EXPECT_THROW(summary->addCustomInfo("OSTULICA", "x"), HostError);
    EXPECT_EQ(summary->numCustomInfo(), 1);
}

TEST_F(AutomationHost, LayersStylesAndTheCurrentOnes)
{
    auto layers = doc->layers();
    auto layer = layers->add("256-OPISY_DETEKTOROW");
    layer->setColor(3);
    layer->setLineWeight(35);
    EXPECT_EQ(fake->document->layerTable->items.at("256-OPISY_DETEKTOROW")->color(), 3);
    EXPECT_EQ(fake->document->layerTable->items.at("256-OPISY_DETEKTOROW")->lineWeight(), 35);

    auto style = doc->textStyles()->add("SYGN_OPISY_TXT");
    style->setHeight(2.5);
    style->setFont("Arial Narrow", true, false, 238, 34);
    auto kept = std::dynamic_pointer_cast<testing::FakeStyle>(
        fake->document->styleTable->items.at("SYGN_OPISY_TXT"));
    EXPECT_EQ(kept->fontTypeface(), "Arial Narrow");
    EXPECT_TRUE(kept->bold);
    EXPECT_FALSE(kept->italic);
    EXPECT_EQ(kept->charSet, 238);
    EXPECT_EQ(kept->pitchAndFamily, 34);
    EXPECT_EQ(kept->height(), 2.5);

    // Only objects of this host can be made current.
    EXPECT_THROW(doc->setActiveLayer(std::make_shared<testing::FakeLayer>("0")), HostError);
}

TEST_F(AutomationHost, HostErrorsCarryTheHostsDescription)
{
    try {
        doc->layers()->item("brak");
        FAIL() << "a missing layer must fail";
    } catch (const HostError& error) {
        EXPECT_STREQ(error.what(), "Key not found");
    }
    try {
        doc->selectionSets()->add("SS1");
        doc->selectionSets()->add("SS1");
        FAIL() << "a second set of the same name must fail";
    } catch (const HostError& error) {
        EXPECT_STREQ(error.what(), "Duplicate record name");
    }
}

TEST_F(AutomationHost, BusyHostIsRetried)
{
    for (HRESULT rejection : {RPC_E_CALL_REJECTED, RPC_E_SERVERCALL_RETRYLATER}) {
        control->rejection = rejection;
        control->rejectedCalls = 0;
        control->rejectNextCalls = 3;
        EXPECT_EQ(doc->layers()->item("0")->name(), "0");
        EXPECT_EQ(control->rejectedCalls, 3);
    }
}

} // namespace
} // namespace lumo::cad::com
