#include "gen_drawing.h"

#include "dxf/document.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lumo::gen {

namespace {

// Deterministic, so that every run measures the same drawing.
struct Rng {
    std::uint64_t s = 0x9E3779B97F4A7C15ull;
    std::uint64_t next()
    {
        s ^= s << 13;
        s ^= s >> 7;
        s ^= s << 17;
        return s;
    }
    double uniform(double lo, double hi)
    {
        return lo + (hi - lo) * static_cast<double>(next() % 1000000) / 1e6;
    }
};

std::string num(double v)
{
    char b[32];
    std::snprintf(b, sizeof b, "%.4f", v);
    return b;
}

} // namespace

std::string generateCitySection(const CitySection& o)
{
    using namespace lumo::dxf;
    Document doc = Document::create(o.version);
    if (o.version < "AC1021")
        doc.setHeaderText("$DWGCODEPAGE", 3, "ANSI_1250");
    static const char* names[] = {"Jezdnia",
                                  "Chodnik",
                                  "Krawężnik",
                                  "Oznakowanie poziome",
                                  "Oznakowanie pionowe",
                                  "Sygnalizacja świetlna",
                                  "Zieleń",
                                  "Budynki",
                                  "Ogrodzenia",
                                  "Oświetlenie",
                                  "Kanalizacja deszczowa",
                                  "Sieć wodociągowa",
                                  "Gazociąg",
                                  "Energetyka",
                                  "Telekomunikacja",
                                  "Ścieżka rowerowa",
                                  "Przejście dla pieszych",
                                  "Opisy",
                                  "Wymiary",
                                  "Granice działek"};
    std::vector<std::string> layers;
    for (int i = 0; i < 20; ++i) {
        doc.addLayer(names[i], 1 + i * 11 % 255, 25);
        layers.push_back(names[i]);
    }
    doc.addTextStyle("Opisy", 0.0, "arial.ttf", "Arial");
    static const char* blocks[] = {"S-1", "S-3wp", "P-2", "D-4"};
    for (int b = 0; b < 4; ++b) {
        Block blk = doc.addBlock(blocks[b]);
        for (int a = 0; a < 16; ++a) {
            NewAttributeDefinition s;
            s.tag = "ATR" + std::to_string(a + 1);
            s.prompt = "Wartość atrybutu " + std::to_string(a + 1);
            s.defaultValue = "ż" + std::to_string(a);
            s.point = {0.0, -3.0 * a, 0.0};
            s.flags = a == 0 ? 0 : kAttInvisible;
            blk.addAttributeDefinition(s);
        }
    }
    static const char* texts[]
        = {"ul. Świętokrzyska",     "Rondo Dmowskiego", "przejście dla pieszych", "sygnalizator S-1",
           "Łódź, ul. Piotrkowska", "żółte światło",    "Gdańsk Wrzeszcz",        "pas ruchu nr 2"};
    static const char* props[5][2] = {{"Projekt", "Sygnalizacja świetlna"},
                                      {"Inwestor", "Zarząd Dróg Miejskich"},
                                      {"Etap", "projekt wykonawczy"},
                                      {"Branża", "drogowa"},
                                      {"Numer", "ZDM/2026/17"}};
    for (auto& p : props)
        doc.addCustomProperty(p[0], p[1]);

    Rng rng;
    int perRef = o.references > 0 ? o.entities / o.references : o.entities;
    int made = 0;
    for (int r = 0; r < o.references || made < o.entities; ++r) {
        for (int k = 0; k < perRef && made < o.entities; ++k, ++made) {
            const std::string& layer = layers[rng.next() % 20];
            double x = rng.uniform(0, 5000), y = rng.uniform(0, 5000);
            switch (made % 3) {
            case 0:
                doc.addEntity("LINE", layer,
                              {{100, "AcDbLine"},
                               {10, num(x)},
                               {20, num(y)},
                               {30, "0.0"},
                               {11, num(x + rng.uniform(-20, 20))},
                               {21, num(y + rng.uniform(-20, 20))},
                               {31, "0.0"}});
                break;
            case 1: {
                std::vector<std::pair<int, std::string>> g{
                    {100, "AcDbPolyline"}, {90, "5"}, {70, "0"}, {43, "0.0"}};
                for (int v = 0; v < 5; ++v) {
                    g.push_back({10, num(x + v * 3.0)});
                    g.push_back({20, num(y + rng.uniform(-2, 2))});
                    if (v == 2)
                        g.push_back({42, "0.4142"});
                }
                if (o.version < "AC1015") // LWPOLYLINE came with R14
                    break;
                doc.addEntity("LWPOLYLINE", layer, g);
                break;
            }
            default:
                doc.addText(texts[rng.next() % 8], {x, y, 0}, 2.5, {}, layer, rng.uniform(0, 360));
                break;
            }
        }
        if (r < o.references) {
            BlockReference ref
                = doc.addBlockReference(blocks[r % 4], {rng.uniform(0, 5000), rng.uniform(0, 5000), 0}, 1.0,
                                        rng.uniform(0, 360), layers[5 + r % 3]);
            auto attrs = ref.attributes();
            attrs[0].setValue("S" + std::to_string(r));
            attrs[1].setValue(r % 10 == 0 ? "czerwony" : "zielony");
        }
    }
    return doc.toString();
}

} // namespace lumo::gen
