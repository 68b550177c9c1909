// Saves of a large drawing killed at random moments: a child process saves,
// the parent kills it (SIGKILL) within twice the time of a save, then checks
// that the drawing and its .bak are each a complete version, the .bak an
// earlier one, and that the temporary files left are tidied away. Too slow
// for the test run; run it by hand:
//
//     build/bench/dxf_save_kills [KILLS [FOLDER]]
//
// (20 kills in build/bench/data by default). Exits with 1 on any loss.
#include "dxf/document.h"
#include "gen_drawing.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using lumo::dxf::Document;

namespace {

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int leftovers(const fs::path& folder)
{
    int n = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name != "plan.dxf" && name != "plan.dxf.bak")
            ++n;
    }
    return n;
}

} // namespace

int main(int argc, char** argv)
{
    const int kills = argc > 1 ? std::atoi(argv[1]) : 20;
    const fs::path folder = (argc > 2 ? fs::path(argv[2]) : fs::path(LUMO_BENCH_DATA)) / "save-kills";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const fs::path plan = folder / "plan.dxf";

    std::printf("generating the drawing...\n");
    const std::string city = lumo::gen::generateCitySection({});
    Document versions[2] = {Document::fromMemory(city), Document::fromMemory(city)};
    versions[0].addText("wersja A", {0, 0, 0}, 1);
    versions[1].addText("wersja B", {0, 0, 0}, 1);
    const std::string bytes[2] = {versions[0].toString(), versions[1].toString()};
    const auto which = [&bytes](const std::string& file) {
        return file == bytes[0] ? 0 : file == bytes[1] ? 1 : -1;
    };

    versions[0].save(plan.string());
    versions[1].save(plan.string());
    // timed as the saves to kill run: in a child process
    const auto start = std::chrono::steady_clock::now();
    if (const pid_t child = ::fork(); child == 0) {
        versions[0].save(plan.string());
        ::_exit(0);
    } else {
        ::waitpid(child, nullptr, 0);
    }
    const double saveMs
        = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.0f MB drawing, one save %.0f ms; %d kills within 0..%.0f ms\n", bytes[0].size() / 1e6,
                saveMs, kills, 2.0 * saveMs);

    std::mt19937 random(std::random_device{}());
    std::uniform_real_distribution<double> moment(0.0, 2.0 * saveMs);
    int lost = 0;
    for (int kill = 1; kill <= kills; ++kill) {
        const int before = which(readAll(plan));
        const int next = 1 - before;
        const double at = moment(random);
        const pid_t child = ::fork();
        if (child == 0) {
            versions[next].save(plan.string());
            ::_exit(0);
        }
        std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(at));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const int drawing = which(readAll(plan));
        const int bak = which(readAll(plan.string() + ".bak"));
        const int left = leftovers(folder);
        lumo::dxf::RemoveSaveLeftovers(plan.string());
        const bool ok
            = drawing >= 0 && bak >= 0 && (drawing == before || bak == before) && leftovers(folder) == 0;
        std::printf(
            "kill %2d at %6.1f ms (%s): drawing %c, .bak %c, %d temporary file(s) left and removed: %s\n",
            kill, at, WIFSIGNALED(status) ? "killed" : "had finished", drawing < 0 ? '?' : "AB"[drawing],
            bak < 0 ? '?' : "AB"[bak], left, ok ? "ok" : "LOST");
        lost += ok ? 0 : 1;
        if (drawing < 0)
            versions[before].save(plan.string()); // go on from a known state
    }
    fs::remove_all(folder);
    std::printf("%s\n", lost ? "versions were lost" : "no version lost");
    return lost ? 1 : 0;
}
