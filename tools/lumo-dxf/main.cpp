// lumo-dxf: "info FILE" prints what a drawing holds; "resave IN OUT" loads
// and saves it (the lossless round trip a user can run); "heads FILE" lists
// the signal heads, screens and push buttons as CSV.
#include "dxf/document.h"
#include "heads.h"

#include <cstdio>
#include <exception>
#include <iostream>
#include <map>
#include <string>

namespace {

int usage()
{
    std::cerr << "usage: lumo-dxf info FILE | lumo-dxf resave IN OUT | lumo-dxf heads FILE\n";
    return 2;
}

void info(const std::string& path)
{
    using namespace lumo::dxf;
    Document doc = Document::load(path);
    std::cout << "version: " << doc.version() << "\n";
    std::cout << "code page: " << (doc.isUtf8() ? "UTF-8" : doc.codePage()) << "\n";
    std::map<std::string, std::size_t> counts;
    std::size_t total = 0;
    for (const Entity& e : doc.modelSpace()) {
        ++counts[e.typeName()];
        ++total;
    }
    std::cout << "model space entities: " << total << "\n";
    for (const auto& [type, n] : counts)
        std::cout << "  " << type << ": " << n << "\n";
    auto layers = doc.layers();
    std::cout << "layers: " << layers.size() << "\n";
    for (const Layer& l : layers)
        std::cout << "  " << l.name() << "\n";
    std::size_t nBlocks = 0;
    for (const Block& b : doc.blocks())
        nBlocks += !b.isLayout();
    std::cout << "blocks: " << nBlocks << "\n";
    for (const Block& b : doc.blocks())
        if (!b.isLayout())
            std::cout << "  " << b.name() << " (" << b.attributeDefinitions().size()
                      << " attribute definitions)\n";
    if (doc.versionNumber() > 1009) {
        auto props = doc.customProperties();
        std::cout << "custom properties: " << props.size() << "\n";
        for (const CustomProperty& p : props)
            std::cout << "  " << p.name << " = " << p.value << "\n";
    }
    for (const std::string& w : doc.warnings())
        std::cout << "warning: " << w << "\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    std::string cmd = argv[1];
    try {
        if (cmd == "info" && argc == 3) {
            info(argv[2]);
            return 0;
        }
        if (cmd == "heads" && argc == 3) {
            lumo::dxf::WriteHeadsCsv(lumo::dxf::Document::load(argv[2]), std::cout);
            return 0;
        }
        if (cmd == "resave" && argc == 4) {
            lumo::dxf::Document::load(argv[2]).save(argv[3]);
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "lumo-dxf: " << e.what() << "\n";
        return 1;
    }
    return usage();
}
