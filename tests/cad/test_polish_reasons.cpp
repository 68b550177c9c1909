// The engine's and the system's reasons reach the designer in Polish: the
// real engine reads broken drawings, and what it says must be known here.
#include "cad/embedded/polish_reasons.h"
#include "dxf/document.h"
#include "dxf/error.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace lumo::cad::embedded {
namespace {

namespace fs = std::filesystem;

std::string reasonOfLoading(const fs::path& file)
{
    try {
        (void)dxf::Document::load(file.string());
    } catch (const std::exception& e) {
        return PolishReason(e);
    }
    return "(read)";
}

TEST(PolishReasons, BrokenDrawingsAndSystemErrors)
{
    const fs::path folder = fs::path(::testing::TempDir()) / "polish-reasons";
    fs::remove_all(folder);
    fs::create_directories(folder / "a folder.dxf");
    struct Case {
        const char* name;
        std::string bytes; // none: not written
        std::string expected;
    } cases[] = {
        {"empty.dxf", "", "plik jest pusty (wiersz 1)"},
        {"binary.dxf", std::string("AutoCAD Binary DXF\r\n\x1a\0", 22),
         "binarny DXF nie jest obsługiwany; zapisz rysunek jako DXF tekstowy (ASCII) (wiersz 1)"},
        {"text.dxf", "hello\nworld\n", "oczekiwano kodu grupy, a jest \"hello\" (wiersz 1)"},
        {"cut.dxf", "0\nSECTION\n", "plik kończy się po SECTION: jest niekompletny (wiersz 3)"},
        {"no-endsec.dxf", "0\nSECTION\n2\nENTITIES\n0\nEOF\n", "koniec pliku (EOF) wewnątrz sekcji ENTITIES"},
        {"missing.dxf", {}, "nie można otworzyć pliku"},
        {"a folder.dxf", {}, "jest folderem, nie rysunkiem"},
    };
    for (const auto& c : cases) {
        const fs::path file = folder / c.name;
        if (!c.bytes.empty() || std::string(c.name) == "empty.dxf")
            std::ofstream(file, std::ios::binary) << c.bytes;
        const std::string reason = reasonOfLoading(file);
        EXPECT_NE(reason.find(c.expected), std::string::npos) << c.name << ": " << reason;
        EXPECT_EQ(reason.find("line "), std::string::npos) << c.name << ": " << reason;
    }

    EXPECT_EQ(
        PolishReason(dxf::SaveError("/d/plan.dxf", std::make_error_code(std::errc::no_space_on_device))),
        "nie można zapisać /d/plan.dxf: Brak miejsca na dysku.");
    EXPECT_EQ(PolishReason(std::system_error(std::make_error_code(std::errc::permission_denied))),
              "Brak uprawnień.");
    // A reason nobody translated still says something.
    EXPECT_EQ(PolishDxfReason("something new", 3), "something new (wiersz 3)");
}

} // namespace
} // namespace lumo::cad::embedded
