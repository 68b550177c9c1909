// A synthetic drawing like a city section: lines, light-weight polylines and
// texts on 20 layers with Polish names, block references with 16 attributes
// each, custom properties.
#pragma once

#include <string>

namespace lumo::gen {

struct CitySection {
    std::string version = "AC1032"; // or "AC1015", written in cp1250
    int entities = 200000; // lines, polylines, texts
    int references = 20000; // of 4 blocks with 16 attributes each
};

std::string generateCitySection(const CitySection& options);

} // namespace lumo::gen
