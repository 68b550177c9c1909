// libFuzzer target: the reader must refuse bad input with a DxfError, never
// crash or hang; what it accepts it must write back unchanged.
#include "dxf/document.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string bytes(reinterpret_cast<const char*>(data), size);
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
    } catch (const lumo::dxf::DxfError&) {
    }
    return 0;
}
