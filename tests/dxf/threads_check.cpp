// Drawings read by two threads (the file read by one while another parses,
// a large drawing's later part read by a second parser), many times over,
// each time compared with a single reader of the same bytes in memory: on
// Linux built with ThreadSanitizer (whose report fails the run), on Windows
// run under Wine. A load that hangs is named by a watchdog, which ends the
// run with exit code 3.
//   threads_check WORK_FOLDER [ROUNDS [DRAWING...]]
#include "dxf/document.h"
#include "dxf/internal.h"
#include "gen_drawing.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

using namespace lumo::dxf;
namespace fs = std::filesystem;

namespace {

struct Case {
    std::string what;
    std::string bytes;
};

// What reading comes to: the text written back, or the error.
std::string outcome(const std::function<Document()>& read)
{
    try {
        return read().toString();
    } catch (const DxfError& e) {
        return std::string("error: ") + e.what();
    }
}

void write(const fs::path& file, const std::string& bytes)
{
    std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

std::string readWhole(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The files to read: a large generated drawing and what can go wrong with
// its bytes around the reader's chunks and the second parser's start, odd
// small files, and the drawings named on the command line.
std::vector<Case> cases(const std::string& city, char** drawings, int count)
{
    constexpr std::size_t kChunk = std::size_t(1) << 22; // what the file reader reads at once
    const std::size_t eof = city.rfind('\n', city.rfind("EOF") - 2) + 1; // its final group
    std::vector<Case> all = {
        {"whole", city},
        {"without its end of file", city.substr(0, eof)},
        {"cut inside its last group", city.substr(0, eof - 3)},
        {"a bad group code late", city.substr(0, eof - 40) + "zz\n" + city.substr(eof - 40)},
        {"stray bytes after the end", city + "\x1A\x1A garbage"},
        {"empty", ""},
        {"one byte", "0"},
        {"one group code", "  0\n"},
        {"a byte-order mark only", "\xEF\xBB\xBF"},
        {"binary", "AutoCAD Binary DXF\r\n\x1A"},
        {"a small drawing", "  0\nSECTION\n  2\nENTITIES\n  0\nENDSEC\n  0\nEOF\n"},
    };
    for (std::size_t at : {kChunk - 1, kChunk, kChunk + 1, 2 * kChunk + 7, city.size() / 2})
        if (at < city.size())
            all.push_back({"cut at byte " + std::to_string(at), city.substr(0, at)});
    for (int i = 0; i < count; ++i)
        all.push_back({drawings[i], readWhole(drawings[i])});
    return all;
}

// Counts the loads done; the run ends when none is done for a while.
std::atomic<long> loadsDone{0};
std::atomic<const char*> current{""};

void startWatchdog(int seconds)
{
    std::thread([seconds] {
        long seen = -1;
        int still = 0;
        for (;;) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            const long now = loadsDone.load();
            still = now == seen ? still + 1 : 0;
            seen = now;
            if (still >= seconds) {
                std::fprintf(stderr, "threads_check: no load finished in %d s; reading \"%s\"\n", seconds,
                             current.load());
                std::fflush(stderr);
                std::_Exit(3);
            }
        }
    }).detach();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: threads_check WORK_FOLDER [ROUNDS [DRAWING...]]\n");
        return 2;
    }
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 1;
    lumo::gen::CitySection o;
    o.entities = 32000; // some 10 MB: enough for two parsers, and for chunks read one after another
    o.references = 800;
    const std::string city = lumo::gen::generateCitySection(o);
    const std::string single = outcome([&] { return Document::fromMemory(city); });
    int faults = 0;
    auto expect = [&](bool ok, const std::string& what) {
        if (!ok) {
            std::fprintf(stderr, "%s: not as a single reader reads it\n", what.c_str());
            ++faults;
        }
    };
    for (int i = 1; i < 6; ++i)
        expect(outcome([&] { return Access::fromMemory(city, city.size() * i / 6); }) == single,
               "split in memory");

    fs::create_directories(argv[1]);
    const fs::path file = fs::path(argv[1]) / "drawing.dxf";
    const std::vector<Case> all = cases(city, argv + 3, argc > 3 ? argc - 3 : 0);
    std::vector<std::string> expected;
    for (const Case& c : all)
        expected.push_back(outcome([&] { return Document::fromMemory(c.bytes); }));
    startWatchdog(60);
    int split = 0; // loads of the large drawing where the second parser took part
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t k = 0; k < all.size(); ++k) {
            current = all[k].what.c_str();
            write(file, all[k].bytes);
            expect(outcome([&] { return Document::load(file.string()); }) == expected[k], all[k].what);
            ++loadsDone;
        }
        // given up at the start and halfway
        current = "given up";
        write(file, city);
        for (double at : {0.0, 0.5}) {
            bool cancelled = false;
            try {
                Document::load(file.string(), [at](double done) { return done <= at; });
            } catch (const LoadCancelled&) {
                cancelled = true;
            }
            expect(cancelled, "given up at " + std::to_string(at));
            ++loadsDone;
        }
        current = "the large drawing";
        for (int i = 0; i < 3; ++i) {
            const Document d = Document::load(file.string());
            expect(d.toString() == single, "read from a file");
            split += Access::data(d).tagsReadBySecondThread > 0;
            ++loadsDone;
        }
        // written over by another thread while read: the file may turn
        // shorter under the reader, which must end with one of the
        // versions or an error
        current = "written over while read";
        std::atomic<bool> writing{true};
        const fs::path changing = fs::path(argv[1]) / "changing.dxf";
        write(changing, city);
        std::thread writer([&] {
            while (writing) {
                write(changing, all[1].bytes);
                write(changing, city);
            }
        });
        for (int i = 0; i < 4; ++i) {
            const std::string got = outcome([&] { return Document::load(changing.string()); });
            expect(got == single || got == expected[1] || got.starts_with("error: "), current.load());
            ++loadsDone;
        }
        writing = false;
        writer.join();
    }
    // (on a busy machine the second parser may start too late to be of use)
    expect(split > 0, "the second parser took part");
    std::printf("threads_check: %ld loads in %d rounds, %d faults\n", loadsDone.load(), rounds, faults);
    return faults ? 1 : 0;
}
