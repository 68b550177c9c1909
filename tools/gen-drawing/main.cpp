// gen-drawing OUT [AC1032|AC1015]: writes the synthetic city section.
#include "gen_drawing.h"

#include <fstream>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: gen-drawing OUT [AC1032|AC1015]\n";
        return 2;
    }
    lumo::gen::CitySection o;
    if (argc > 2)
        o.version = argv[2];
    try {
        std::string text = lumo::gen::generateCitySection(o);
        std::ofstream f(argv[1], std::ios::binary);
        f << text;
        if (!f)
            throw std::runtime_error("cannot write the drawing");
    } catch (const std::exception& e) {
        std::cerr << "gen-drawing: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
