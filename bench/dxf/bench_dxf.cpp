// Throughput of the DXF engine on a city section of ~200,000 entities and
// 20,000 block references with 16 attributes (AC1032 UTF-8 and AC1015 cp1250).
#include "dxf/document.h"
#include "gen_drawing.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#ifdef __linux__
#include <sys/resource.h>
#include <cstdio>
#endif

namespace fs = std::filesystem;
using namespace lumo::dxf;

namespace {

// The drawing's bytes, generated once into the build folder.
const std::string& drawing(const std::string& version)
{
    static std::map<std::string, std::string> cache;
    auto it = cache.find(version);
    if (it != cache.end())
        return it->second;
    fs::path dir(LUMO_BENCH_DATA);
    fs::create_directories(dir);
    fs::path file = dir / ("city-section-" + version + ".dxf");
    std::string bytes;
    if (fs::exists(file)) {
        std::ifstream f(file, std::ios::binary);
        std::ostringstream s;
        s << f.rdbuf();
        bytes = s.str();
    } else {
        lumo::gen::CitySection o;
        o.version = version;
        bytes = lumo::gen::generateCitySection(o);
        std::ofstream(file, std::ios::binary) << bytes;
    }
    return cache.emplace(version, std::move(bytes)).first->second;
}

// Peak resident memory of a fresh process (this program started again with
// --load-only) that loads the file and looks at its model space, so that the
// drawings cached in this process do not count. The child reports its own
// high-water mark.
double peakRssOfLoading(const std::string& path)
{
#ifdef __linux__
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string cmd = "'" + self + "' --load-only '" + path + "'";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return 0.0;
    double kb = 0.0;
    if (std::fscanf(p, "%lf", &kb) != 1)
        kb = 0.0;
    pclose(p);
    return kb * 1024.0;
#else
    (void)path;
    return 0.0;
#endif
}

void BM_Generate(benchmark::State& state, std::string version)
{
    lumo::gen::CitySection o;
    o.version = version;
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::string s = lumo::gen::generateCitySection(o);
        bytes = s.size();
        benchmark::DoNotOptimize(s.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
    state.counters["file_MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_Load(benchmark::State& state, std::string version)
{
    const std::string& bytes = drawing(version);
    for (auto _ : state) {
        state.PauseTiming();
        std::string copy = bytes;
        state.ResumeTiming();
        Document d = Document::fromMemory(std::move(copy));
        benchmark::DoNotOptimize(&d);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes.size() * state.iterations()));
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void BM_LoadFile(benchmark::State& state, std::string version)
{
    const std::string& bytes = drawing(version);
    std::string path = (fs::path(LUMO_BENCH_DATA) / ("city-section-" + version + ".dxf")).string();
    for (auto _ : state) {
        Document d = Document::load(path);
        benchmark::DoNotOptimize(&d);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes.size() * state.iterations()));
    state.counters["peak_memory_per_file_size"] = peakRssOfLoading(path) / static_cast<double>(bytes.size());
}

void BM_Save(benchmark::State& state, std::string version)
{
    const std::string& bytes = drawing(version);
    Document d = Document::fromMemory(bytes);
    // an edited drawing: a few changed records among untouched ones
    d.addText("Zażółć", {1, 2, 0}, 2.5);
    d.modelSpace()[100].setLayer("Opisy");
    for (auto _ : state) {
        std::string out = d.toString();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes.size() * state.iterations()));
}

void BM_SaveFile(benchmark::State& state, std::string version)
{
    const std::string& bytes = drawing(version);
    Document d = Document::fromMemory(bytes);
    std::string path = (fs::path(LUMO_BENCH_DATA) / ("saved-" + version + ".dxf")).string();
    for (auto _ : state)
        d.save(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes.size() * state.iterations()));
    fs::remove(path);
    fs::remove(path + ".bak");
}

void BM_FindReferences(benchmark::State& state, std::string version)
{
    Document d = Document::fromMemory(drawing(version));
    ReferenceQuery q{"Sygnalizacja*", "S-*", "ATR2", "czerwony"};
    (void)d.findBlockReferences(q); // builds the index
    std::size_t found = 0;
    for (auto _ : state) {
        auto r = d.findBlockReferences(q);
        found = r.size();
        benchmark::DoNotOptimize(r.data());
    }
    state.counters["found"] = static_cast<double>(found);
    // seconds per search (the target is below 2 ms)
    state.counters["time_per_search"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["references"] = static_cast<double>(d.findBlockReferences({}).size());
}

} // namespace

BENCHMARK_CAPTURE(BM_Load, AC1032, std::string("AC1032"))->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_Load, AC1015_cp1250, std::string("AC1015"))->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_LoadFile, AC1032, std::string("AC1032"))->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_Save, AC1032, std::string("AC1032"))->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_Save, AC1015_cp1250, std::string("AC1015"))->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_SaveFile, AC1032, std::string("AC1032"))->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK_CAPTURE(BM_FindReferences, AC1032, std::string("AC1032"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FindReferences, AC1015_cp1250, std::string("AC1015"))->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Generate, AC1032, std::string("AC1032"))->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--load-only") {
        try {
            Document d = Document::load(argv[2]);
            benchmark::DoNotOptimize(d.modelSpaceCount());
            std::ifstream status("/proc/self/status");
            std::string line;
            while (std::getline(status, line))
                if (line.rfind("VmHWM:", 0) == 0)
                    std::printf("%s\n", line.substr(6).c_str());
            return 0;
        } catch (...) {
            return 1;
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
