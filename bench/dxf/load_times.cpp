// dxf_load_times FILE [RUNS]: loads a drawing RUNS times (default 15) and
// prints the fastest and the median load in milliseconds. Plain C++ with no
// benchmark library, so that the Windows build can be timed under Wine as
// well (built by hand there: see bench/dxf/CMakeLists.txt).
#include "dxf/document.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: dxf_load_times FILE [RUNS]\n");
        return 2;
    }
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
    std::vector<double> ms;
    std::size_t entities = 0;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        const lumo::dxf::Document d = lumo::dxf::Document::load(argv[1]);
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        entities = d.modelSpaceCount();
    }
    std::sort(ms.begin(), ms.end());
    std::printf("load: min %.1f ms, median %.1f ms over %d runs (%zu entities)\n", ms.front(), ms[ms.size() / 2],
                runs, entities);
    return 0;
}
