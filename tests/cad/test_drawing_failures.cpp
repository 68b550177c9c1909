// Which host failures the drawing operations answer with "no" and which
// they pass on: a missing item is an answer, a busy host or a fault of the
// program is not, or a drawing's scale would be read as missing.
#include "cad/drawing.h"
#include "cad/embedded/embedded_host.h"
#include "dxf/document.h"
#include "failing_host.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace lumo::cad {
namespace {

enum class Outcome { Negative, Busy, ProgramFault };

TEST(DrawingOperationFailures, OnlyAMissingItemIsANegativeAnswer)
{
    struct Failing {
        const char* name;
        test::Failure failure;
        Outcome expected;
    };
    const Failing failures[] = {
        {"missing item", [] { throw HostError("Key not found"); }, Outcome::Negative},
        {"busy host", [] { throw HostBusy("Call was rejected by callee."); }, Outcome::Busy},
        {"program fault", [] { throw std::logic_error("bad index"); }, Outcome::ProgramFault},
    };
    struct Lookup {
        const char* name;
        std::function<bool(HostSession&)> isNegative;
    };
    const Lookup lookups[] = {
        {"BlockExists", [](HostSession& s) { return !BlockExists(s, "S-1"); }},
        {"LayerExists", [](HostSession& s) { return !LayerExists(s, "0"); }},
        {"GetTextStyle",
         [](HostSession& s) {
             std::shared_ptr<TextStyle> style;
             return !GetTextStyle(s, "Standard", style, false);
         }},
        {"GetDrawingProperty", [](HostSession& s) { return GetDrawingProperty(s, "SKALA").empty(); }},
    };
    const auto drawing = std::filesystem::temp_directory_path()
        / ("lumo-failures-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + ".dxf");
    dxf::Document::create("AC1032").save(drawing.string());
    embedded::EmbeddedHostOptions options;
    options.drawing = drawing.string();
    auto real = std::make_shared<embedded::EmbeddedApplication>(options);
    for (const Failing& f : failures) {
        for (const Lookup& lookup : lookups) {
            SCOPED_TRACE(std::string(f.name) + " in " + lookup.name);
            HostSession session;
            session.app = std::make_shared<test::FailingApplication>(real, f.failure);
            session.doc = session.app->activeDocument();
            switch (f.expected) {
            case Outcome::Negative: EXPECT_TRUE(lookup.isNegative(session)); break;
            case Outcome::Busy: EXPECT_THROW(lookup.isNegative(session), HostBusy); break;
            case Outcome::ProgramFault: EXPECT_THROW(lookup.isNegative(session), std::logic_error); break;
            }
        }
    }
    std::filesystem::remove(drawing);
}

} // namespace
} // namespace lumo::cad
