#include "heads.h"

#include <array>
#include <charconv>
#include <string>
#include <string_view>

namespace lumo::dxf {

namespace {

constexpr std::array<std::string_view, 2> kEquipmentLayers{"110-SYGNALIZACJA_KOMORY",
                                                           "109-SYGNALIZACJA_PRZYCISKI"};

// Every tag a head, a screen or a push button carries.
constexpr std::array<std::string_view, 20> kTags{
    "OBIEKT",        "RODZAJ",         "SYMBOL",         "INWENT_NUMER",   "NUMER_SKRZYZ",
    "TYP",           "SREDN_SOCZ",     "ZRODLO_SW",      "WKLADY_ANTYZL",  "SYGN_AKUST",
    "KTO_NANIOSL",   "NAZWA_ULICY",    "ZLECENIE_WNIOS", "REALIZACJA_WYK", "REALIZACJA_DATA",
    "ZLECENIE_DATA", "ZLECENIE_NUMER", "INWENT_DATA",    "UWAGI",          "PRODUCENT"};

std::string csvField(std::string_view value)
{
    if (value.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(value);
    std::string quoted = "\"";
    for (const char c : value) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

// The shortest text that reads back as the same number, with a point.
std::string number(double value)
{
    std::array<char, 32> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

bool onEquipmentLayer(const Entity& entity)
{
    for (const std::string_view layer : kEquipmentLayers) {
        if (sameName(entity.layer(), layer))
            return true;
    }
    return false;
}

} // namespace

void WriteHeadsCsv(const Document& doc, std::ostream& out)
{
    out << "handle,block,layer,x,y,rotation";
    for (const std::string_view tag : kTags)
        out << ',' << tag;
    out << "\r\n";

    for (const Entity& entity : doc.modelSpace()) {
        if (!entity.isBlockReference() || !onEquipmentLayer(entity))
            continue;
        const BlockReference reference = entity.asBlockReference();
        const Point at = reference.insertionPoint();
        out << csvField(reference.handle()) << ',' << csvField(reference.blockName()) << ','
            << csvField(reference.layer()) << ',' << number(at.x) << ',' << number(at.y) << ','
            << number(reference.rotation());
        for (const std::string_view tag : kTags) {
            const auto attribute = reference.attribute(tag);
            out << ',' << (attribute ? csvField(attribute->value()) : std::string());
        }
        out << "\r\n";
    }
}

} // namespace lumo::dxf
