// libFuzzer target: the reader must refuse bad input with a DxfError, never
// crash or hang; what it accepts it must write back unchanged.
#include "dxf/document.h"
#include "dxf/internal.h"

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

// What a reading comes to: the text written back and the model space's
// records, or the error.
static std::string outcome(const std::function<lumo::dxf::Document()>& read)
{
    try {
        lumo::dxf::Document doc = read();
        std::string out = doc.toString();
        for (const auto& e : doc.modelSpace())
            out += e.typeName() + e.handle() + ";";
        doc.addText("x", {}, 1.0);
        return out + doc.modelSpace().back().handle();
    } catch (const lumo::dxf::DxfError& e) {
        return e.what();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
    // read in two parts by two threads, it comes to the same
    if (size > 2 && outcome([&] { return lumo::dxf::Document::fromMemory(bytes); }) != outcome([&] {
                        return lumo::dxf::Access::fromMemory(bytes, size / 2);
                    }))
        std::abort();
    try {
        lumo::dxf::Document doc = lumo::dxf::Document::fromMemory(bytes);
        if (doc.toString() != bytes)
            std::abort();
        for (const auto& e : doc.modelSpace()) {
            (void)e.layer();
            (void)e.insertionPoint();
            if (e.isBlockReference())
                for (const auto& a : e.asBlockReference().attributes())
                    (void)a.value();
        }
        (void)doc.layers();
        (void)doc.blocks();
        if (doc.versionNumber() > 1009)
            (void)doc.customProperties();
        // edits must give a drawing that reads back
        try {
            doc.addLayer("Fuzz");
            doc.addText("Zażółć", {1, 2, 3}, 2.5, {}, "Fuzz");
        } catch (const lumo::dxf::DxfError&) {
            return 0; // refused edits (no tables, ...) are fine
        }
        lumo::dxf::Document back = lumo::dxf::Document::fromMemory(doc.toString());
        if (back.modelSpace().empty() || back.modelSpace().back().asText().value() != "Zażółć")
            std::abort();
    } catch (const lumo::dxf::DxfError&) {
    }
    return 0;
}
