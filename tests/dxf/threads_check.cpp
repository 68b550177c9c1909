// Built with ThreadSanitizer: a large drawing read by two threads (in
// memory, split at several places, and from a file while another thread
// still reads it, cancelled too) must come out as a single reader reads it,
// with no data race reported (the sanitizer's report fails the run).
#include "dxf/document.h"
#include "dxf/internal.h"
#include "gen_drawing.h"

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace lumo::dxf;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: threads_check WORK_FOLDER\n");
        return 2;
    }
    lumo::gen::CitySection o;
    o.entities = 60000; // enough for two readers, and for several pieces read at once
    o.references = 1500;
    const std::string city = lumo::gen::generateCitySection(o);
    const std::string single = Document::fromMemory(city).toString();
    int faults = 0;
    auto expect = [&](bool ok, const char* what) {
        if (!ok) {
            std::fprintf(stderr, "%s: not as a single reader reads it\n", what);
            ++faults;
        }
    };
    for (int i = 1; i < 6; ++i)
        expect(Access::fromMemory(city, city.size() * i / 6).toString() == single, "split in memory");
    std::filesystem::create_directories(argv[1]);
    const std::string file = (std::filesystem::path(argv[1]) / "city.dxf").string();
    std::ofstream(file, std::ios::binary | std::ios::trunc) << city;
    for (int i = 0; i < 3; ++i) {
        const Document d = Document::load(file);
        expect(d.toString() == single, "read from a file");
        expect(Access::data(d).tagsReadBySecondThread > 0, "the second thread took part");
    }
    try {
        Document::load(file, [](double done) { return done < 0.4; });
        expect(false, "cancelled");
    } catch (const LoadCancelled&) {
    }
    return faults ? 1 : 0;
}
