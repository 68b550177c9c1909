// The DXF engine against its targets on a city section of ~200,000 entities
// and 20,000 block references with 16 attributes (AC1032 UTF-8 and AC1015
// cp1250), at 1x, 2x and 4x that size, and on a file of minimal records.
// Every figure comes with its target and figure/target ("of_target"): at
// least 1 for speeds, at most 1 for memory and search times.
#include "dxf/document.h"
#include "gen_drawing.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include <unistd.h>

namespace fs = std::filesystem;
using namespace lumo::dxf;

namespace {

// Targets on this class of machine (2 cores).
constexpr double kLoadMemoryMBs = 1500; // at least
constexpr double kLoadFileMBs = 1000; // at least, file in the page cache
constexpr double kSaveFileMBs = 1500; // at least
constexpr double kLoadPeak = 1.6; // at most, x file size
constexpr double kLoadSavePeak = 1.8; // at most
constexpr double kMinimalLoadPeak = 4.0; // at most, file of "0\nX\n" records
constexpr double kExactSearchMs = 0.3; // at most
constexpr double kWildcardSearchMs = 1.0; // at most

void report(benchmark::State& state, const std::string& name, double figure, double target)
{
    state.counters[name] = figure;
    state.counters[name + "_target"] = target;
    state.counters[name + "_of_target"] = figure / target;
}

fs::path dataFile(const std::string& name)
{
    return fs::path(LUMO_BENCH_DATA) / name;
}

std::string readFile(const fs::path& p)
{
    std::ifstream f(p, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

// The city section at `scale` times the usual size, generated once into the
// build folder; its path.
fs::path citySection(const std::string& version, int scale)
{
    fs::path file = dataFile("city-section-" + version + "-x" + std::to_string(scale) + ".dxf");
    if (!fs::exists(file)) {
        fs::create_directories(file.parent_path());
        lumo::gen::CitySection o;
        o.version = version;
        o.entities *= scale;
        o.references *= scale;
        std::ofstream(file, std::ios::binary) << lumo::gen::generateCitySection(o);
    }
    return file;
}

const std::string& drawing(const std::string& version, int scale = 1)
{
    static std::map<std::string, std::string> cache;
    fs::path file = citySection(version, scale);
    auto it = cache.find(file.string());
    if (it == cache.end())
        it = cache.emplace(file.string(), readFile(file)).first;
    return it->second;
}

// 50 MB of the smallest records there are.
fs::path minimalRecords()
{
    fs::path file = dataFile("minimal-records.dxf");
    if (!fs::exists(file)) {
        fs::create_directories(file.parent_path());
        std::string s;
        s.reserve(50'000'000);
        while (s.size() < 50'000'000)
            s += "0\nX\n";
        std::ofstream(file, std::ios::binary) << s;
    }
    return file;
}

// Peak resident memory, over the file's size, of a fresh process (this
// program started again) that loads the file, and saves it when `out` is
// given, so that the drawings cached in this process do not count.
double peakOverFileSize(const fs::path& file, const fs::path& out = {})
{
#ifdef __linux__
    std::string self = fs::read_symlink("/proc/self/exe").string();
    std::string cmd = "'" + self + "' --peak '" + file.string() + "'";
    if (!out.empty())
        cmd += " '" + out.string() + "'";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p)
        return 0.0;
    double kb = 0.0;
    if (std::fscanf(p, "%lf", &kb) != 1)
        kb = 0.0;
    pclose(p);
    fs::remove(out.string() + ".bak");
    return kb * 1024.0 / static_cast<double>(fs::file_size(file));
#else
    (void)file;
    (void)out;
    return 0.0;
#endif
}

// The child of peakOverFileSize.
int peakChild(int argc, char** argv)
{
    try {
        Document d = Document::load(argv[2]);
        benchmark::DoNotOptimize(d.modelSpaceCount());
        if (argc == 4)
            d.save(argv[3]);
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

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point since)
{
    return std::chrono::duration<double>(Clock::now() - since).count();
}

// Wall and processor time of the measured part. On a machine shared with
// other builds the wall figure waits for the processor; the processor one
// ("_cpu") shows what the engine itself costs.
struct Timer {
    double wall = 0, cpu = 0;
    Clock::time_point t0;
    std::clock_t c0 = 0;
    void start()
    {
        c0 = std::clock();
        t0 = Clock::now();
    }
    double stop()
    {
        double s = seconds(t0);
        wall += s;
        cpu += static_cast<double>(std::clock() - c0) / CLOCKS_PER_SEC;
        return s;
    }
};

void reportSpeed(benchmark::State& state, double bytes, const Timer& t, double target)
{
    double mb = bytes * static_cast<double>(state.iterations()) / 1e6;
    report(state, "MB_s", mb / t.wall, target);
    state.counters["MB_s_cpu"] = mb / t.cpu;
}

void BM_Load(benchmark::State& state, std::string version)
{
    const int scale = static_cast<int>(state.range(0));
    const std::string& bytes = drawing(version, scale);
    Timer t;
    for (auto _ : state) {
        std::string copy = bytes;
        t.start();
        Document d = Document::fromMemory(std::move(copy));
        benchmark::DoNotOptimize(&d);
        state.SetIterationTime(t.stop());
    }
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    reportSpeed(state, static_cast<double>(bytes.size()), t, kLoadMemoryMBs);
}

void BM_LoadFile(benchmark::State& state, std::string version)
{
    const int scale = static_cast<int>(state.range(0));
    fs::path file = citySection(version, scale);
    double size = static_cast<double>(fs::file_size(file));
    Timer t;
    for (auto _ : state) {
        t.start();
        Document d = Document::load(file.string());
        benchmark::DoNotOptimize(&d);
        state.SetIterationTime(t.stop());
    }
    state.counters["file_MB"] = size / 1e6;
    reportSpeed(state, size, t, kLoadFileMBs);
    if (scale == 1) {
        report(state, "load_peak_x_file", peakOverFileSize(file), kLoadPeak);
        report(state, "load_save_peak_x_file", peakOverFileSize(file, dataFile("peak-saved.dxf")),
               kLoadSavePeak);
        fs::remove(dataFile("peak-saved.dxf"));
    }
}

// A memory-backed folder with room for the saved drawing and its .bak,
// or none.
fs::path memoryFolder(std::uintmax_t bytes)
{
    std::error_code ec;
    const fs::path shm = "/dev/shm";
    const auto space = fs::space(shm, ec);
    if (ec || space.available < 3 * bytes)
        return {};
    return shm;
}

// The disk's own rate for the same bytes: one plain write of them, flushed
// to the disk as every save is.
double diskRateMBs(const std::string& bytes, const fs::path& path)
{
    const auto start = Clock::now();
    {
        std::ofstream f(path, std::ios::binary | std::ios::trunc);
        f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::FILE* f = std::fopen(path.c_str(), "rb+");
    if (f) {
        fsync(fileno(f));
        std::fclose(f);
    }
    const double s = seconds(start);
    fs::remove(path);
    return static_cast<double>(bytes.size()) / 1e6 / s;
}

// Saving an edited drawing, against the target: to a memory-backed folder
// (the engine's own rate), and to the build folder on disk, where every
// save waits for the disk to hold the file; beside it the disk's own rate
// for the same bytes written to a new file.
void BM_SaveFile(benchmark::State& state, std::string version, bool onDisk)
{
    const int scale = static_cast<int>(state.range(0));
    const std::string& bytes = drawing(version, scale);
    const fs::path folder = onDisk ? fs::path(LUMO_BENCH_DATA) : memoryFolder(bytes.size());
    if (folder.empty()) {
        state.SkipWithError("no memory-backed folder (/dev/shm) with room for the drawing");
        return;
    }
    Document d = Document::fromMemory(bytes);
    // an edited drawing: a few changed records among untouched ones
    d.addText("Zażółć", {1, 2, 0}, 2.5);
    d.modelSpace()[100].setLayer("Opisy");
    std::string path = (folder / ("saved-" + version + ".dxf")).string();
    // as in a designer's session: the drawing and its backup are there
    d.save(path);
    d.save(path);
    Timer t;
    for (auto _ : state) {
        t.start();
        d.save(path);
        state.SetIterationTime(t.stop());
    }
    reportSpeed(state, static_cast<double>(bytes.size()), t, kSaveFileMBs);
    if (onDisk)
        state.counters["disk_raw_MB_s"] = diskRateMBs(bytes, folder / "raw-write.bin");
    fs::remove(path);
    fs::remove(path + ".bak");
}

void BM_MinimalRecordsPeak(benchmark::State& state)
{
    fs::path file = minimalRecords();
    double peak = 0;
    for (auto _ : state)
        peak = peakOverFileSize(file);
    report(state, "load_peak_x_file", peak, kMinimalLoadPeak);
}

// Search over every model-space reference: narrowed by layer, block and tag
// first, or by the attribute value alone.
void BM_FindReferences(benchmark::State& state, std::string version, ReferenceQuery q, double targetMs)
{
    Document d = Document::fromMemory(drawing(version));
    (void)d.findBlockReferences(q); // builds the index
    std::size_t found = 0;
    Timer t;
    for (auto _ : state) {
        t.start();
        auto r = d.findBlockReferences(q);
        found = r.size();
        benchmark::DoNotOptimize(r.data());
        state.SetIterationTime(t.stop());
    }
    state.counters["found"] = static_cast<double>(found);
    state.counters["references"] = static_cast<double>(d.findBlockReferences({}).size());
    if (targetMs > 0) {
        double n = static_cast<double>(state.iterations());
        report(state, "ms_per_search", t.wall / n * 1e3, targetMs);
        state.counters["ms_per_search_cpu"] = t.cpu / n * 1e3;
    }
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

const ReferenceQuery kNarrowed{"Sygnalizacja*", "S-*", "ATR2", "czerwony"};
const ReferenceQuery kExactValue{"", "", "", "czerwony"};
const ReferenceQuery kLeadingWildcard{"", "", "", "*erwony"};

} // namespace

BENCHMARK_CAPTURE(BM_Load, AC1032, std::string("AC1032"))
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_Load, AC1015_cp1250, std::string("AC1015"))
    ->Arg(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_LoadFile, AC1032, std::string("AC1032"))
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_SaveFile, AC1032_memory, std::string("AC1032"), false)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK_CAPTURE(BM_SaveFile, AC1032_disk, std::string("AC1032"), true)
    ->Arg(1)
    ->Arg(2)
    ->Arg(4)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0);
BENCHMARK(BM_MinimalRecordsPeak)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_FindReferences, Narrowed_AC1032, std::string("AC1032"), kNarrowed, 0.0)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FindReferences, ExactValue_AC1032, std::string("AC1032"), kExactValue, kExactSearchMs)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FindReferences, LeadingWildcard_AC1032, std::string("AC1032"), kLeadingWildcard,
                  kWildcardSearchMs)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FindReferences, ExactValue_AC1015_cp1250, std::string("AC1015"), kExactValue,
                  kExactSearchMs)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_FindReferences, LeadingWildcard_AC1015_cp1250, std::string("AC1015"), kLeadingWildcard,
                  kWildcardSearchMs)
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_Generate, AC1032, std::string("AC1032"))->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv)
{
    if ((argc == 3 || argc == 4) && std::string(argv[1]) == "--peak")
        return peakChild(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
