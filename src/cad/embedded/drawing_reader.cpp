#include "cad/embedded/drawing_reader.h"

#include "dxf/document.h"

#include <cmath>

namespace lumo::cad::embedded {

double DrawingGroup::number() const
{
    return dxf::Group{code, value}.number();
}

long long DrawingGroup::integer() const
{
    // A value beyond the integers ("1e300", "inf") counts nothing: 0.
    const dxf::Group group{code, value};
    const double asNumber = group.number();
    return std::abs(asNumber) < 9e18 ? group.integer() : 0;
}

std::string DrawingEntity::text(int code) const
{
    for (const auto& group : groups_)
        if (group.code == code)
            return doc_ ? doc_->decode(group.value) : std::string(group.value);
    return {};
}

struct EntityMaker {
    static DrawingEntity make(const dxf::Document& doc, const dxf::Entity& e)
    {
        DrawingEntity out;
        out.doc_ = &doc;
        out.type_ = e.typeName();
        out.layer_ = e.layer();
        const std::size_t count = e.groupCount();
        out.groups_.reserve(count);
        for (std::size_t i = 0; i < count; ++i) {
            const dxf::Group group = e.group(i);
            out.groups_.push_back({group.code, group.value});
        }
        // Records of their own follow block references (attributes) and
        // polylines (vertices).
        if (out.type_ == "INSERT" || out.type_ == "POLYLINE")
            for (const auto& child : e.children())
                out.children_.push_back(make(doc, child));
        return out;
    }
};

DrawingReadError::DrawingReadError(std::string reason, std::size_t line)
    : std::runtime_error(reason), reason_(std::move(reason)), line_(line)
{
}

DrawingReader::DrawingReader(std::shared_ptr<const dxf::Document> document,
                             std::shared_ptr<const std::uint64_t> serial)
    : doc_(std::move(document)), serial_(std::move(serial))
{
}

DrawingReader DrawingReader::Borrowed(const dxf::Document& document)
{
    return DrawingReader(std::shared_ptr<const dxf::Document>(&document, [](const dxf::Document*) {}));
}

std::size_t DrawingReader::modelSpaceCount() const
{
    return doc_ ? doc_->modelSpaceCount() : 0;
}

bool DrawingReader::forEachModelSpace(
    std::size_t first, const std::function<bool(std::size_t, const DrawingEntity&)>& each) const
{
    if (!doc_)
        return true;
    const auto entities = doc_->modelSpace();
    for (std::size_t i = first; i < entities.size(); ++i)
        if (!each(i, EntityMaker::make(*doc_, entities[i])))
            return false;
    return true;
}

std::vector<std::uint32_t> DrawingReader::modelSpaceKeys() const
{
    std::vector<std::uint32_t> keys;
    if (!doc_)
        return keys;
    const auto entities = doc_->modelSpace();
    keys.reserve(entities.size());
    for (const auto& e : entities)
        keys.push_back(e.number());
    return keys;
}

DrawingEntity DrawingReader::entity(std::uint32_t key) const
{
    if (!doc_)
        throw DrawingReadError("no drawing", 0);
    try {
        return EntityMaker::make(*doc_, doc_->entityByNumber(key));
    } catch (const dxf::DxfError& e) {
        throw DrawingReadError(e.reason(), 0);
    }
}

std::uint64_t DrawingReader::changeMark() const
{
    return doc_ ? doc_->changeMark() : 0;
}

std::optional<DrawingChanges> DrawingReader::changesSince(std::uint64_t mark) const
{
    if (!doc_)
        return std::nullopt;
    auto changes = doc_->changesSince(mark);
    if (!changes)
        return std::nullopt;
    return DrawingChanges{std::move(changes->entities), std::move(changes->headerVariables), changes->tables,
                          changes->blocks};
}

std::optional<DrawingBlock> DrawingReader::findBlock(std::string_view name) const
{
    if (!doc_)
        return std::nullopt;
    const auto block = doc_->findBlock(name);
    if (!block)
        return std::nullopt;
    DrawingBlock out;
    out.name = block->name();
    const dxf::Point base = block->basePoint();
    out.baseX = base.x;
    out.baseY = base.y;
    const auto entities = block->entities();
    out.entities.reserve(entities.size());
    for (const auto& e : entities)
        out.entities.push_back(EntityMaker::make(*doc_, e));
    return out;
}

std::vector<DrawingLayer> DrawingReader::layers() const
{
    std::vector<DrawingLayer> out;
    if (!doc_)
        return out;
    for (const auto& layer : doc_->layers())
        out.push_back({layer.name(), layer.colour(), layer.isOn(), layer.isFrozen(), layer.lineWeight()});
    return out;
}

std::string DrawingReader::currentLayer() const
{
    const auto layer = doc_ ? doc_->headerText("$CLAYER") : std::nullopt;
    return layer && !layer->empty() ? *layer : "0";
}

int DrawingReader::defaultLineWeight() const
{
    const auto value = doc_ ? doc_->headerText("$LWDEFAULT") : std::nullopt;
    if (!value)
        return 25;
    try {
        const int weight = std::stoi(*value);
        return weight >= 0 && weight <= 211 ? weight : 25;
    } catch (const std::exception&) {
        return 25;
    }
}

double DrawingReader::unitInMillimetres() const
{
    const auto value = doc_ ? doc_->headerText("$INSUNITS") : std::nullopt;
    int units = 0;
    try {
        units = value ? std::stoi(*value) : 0;
    } catch (const std::exception&) {
    }
    switch (units) {
    case 1: return 25.4; // inches
    case 2: return 304.8; // feet
    case 5: return 10.0;
    case 6: return 1000.0;
    case 7: return 1000000.0;
    case 14: return 100.0; // decimetres
    default: return 1.0;
    }
}

std::optional<std::string> DrawingReader::customProperty(std::string_view name) const
{
    return doc_ ? doc_->customProperty(name) : std::nullopt;
}

std::string DrawingReader::decode(std::string_view raw) const
{
    return doc_ ? doc_->decode(raw) : std::string(raw);
}

bool DrawingReader::modified() const
{
    return doc_ && doc_->isModified();
}

DrawingReader ReadDrawing(const std::string& path)
{
    try {
        return DrawingReader(std::make_shared<const dxf::Document>(dxf::Document::load(path)));
    } catch (const dxf::DxfError& e) {
        throw DrawingReadError(e.reason(), e.line());
    }
}

} // namespace lumo::cad::embedded
