// The host objects the embedded host hands out (document, model space,
// entities, attributes, blocks, layers, text styles, selection sets,
// utility, state), each a thin view of the open drawing that answers as
// the automation host does.
#include "cad/embedded/drawing_data.h"

#include "base/utf8.h"

#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>

namespace fs = std::filesystem;

namespace lumo::cad::embedded {

namespace {

constexpr const char* kKeyNotFound = "Key not found";
constexpr const char* kErased = "Object was erased";
constexpr const char* kNoMember = "Unknown name";

std::string foldedKey(std::string_view name)
{
    // Good enough as a map key: SameName decides equality where it matters.
    return base::UpperAscii(std::string(name));
}

bool endsWithNoCase(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size()
        && base::UpperAscii(text.substr(text.size() - suffix.size())) == base::UpperAscii(suffix);
}

std::string entityTypeName(const std::string& dxfType)
{
    static const std::map<std::string, std::string> names{
        {"INSERT", "IAcadBlockReference"}, {"TEXT", "IAcadText"},
        {"MTEXT", "IAcadMText"},           {"LINE", "IAcadLine"},
        {"CIRCLE", "IAcadCircle"},         {"ARC", "IAcadArc"},
        {"LWPOLYLINE", "IAcadLWPolyline"}, {"POLYLINE", "IAcadPolyline"},
        {"POINT", "IAcadPoint"},           {"HATCH", "IAcadHatch"},
        {"ELLIPSE", "IAcadEllipse"},       {"SPLINE", "IAcadSpline"},
        {"SOLID", "IAcadSolid"},           {"ATTRIB", "IAcadAttributeReference"},
        {"ATTDEF", "IAcadAttribute"},      {"DIMENSION", "IAcadDimension"},
    };
    const auto it = names.find(dxfType);
    return it == names.end() ? "IAcadEntity" : it->second;
}

bool hasPlacement(const std::string& dxfType)
{
    return dxfType == "INSERT" || dxfType == "TEXT" || dxfType == "MTEXT" || dxfType == "ATTRIB"
        || dxfType == "ATTDEF";
}

// The drawing's angle settings; what is missing or unreadable keeps the
// default (decimal degrees, counter-clockwise from the X axis).
AngleUnits AngleUnitsOf(const dxf::Document& doc)
{
    const auto number = [&](std::string_view name) -> std::optional<double> {
        const auto text = doc.headerText(name);
        if (!text)
            return std::nullopt;
        // from_chars: the same in every locale, unlike strtod.
        const auto first = text->find_first_not_of(' ');
        const auto last = text->find_last_not_of(' ');
        if (first == std::string::npos)
            return std::nullopt;
        double value = 0.0;
        const auto [end, ec] = std::from_chars(text->data() + first, text->data() + last + 1, value);
        if (ec != std::errc() || end != text->data() + last + 1 || !std::isfinite(value))
            return std::nullopt;
        return value;
    };
    AngleUnits units;
    if (const auto u = number("$AUNITS"); u && *u >= 0 && *u <= 4)
        units.units = static_cast<int>(*u);
    if (const auto d = number("$ANGDIR"))
        units.clockwise = *d == 1;
    if (const auto b = number("$ANGBASE"))
        units.base = *b;
    return units;
}

using Data = std::shared_ptr<DrawingData>;

class EAttributeReference : public AttributeReference {
public:
    EAttributeReference(Data data, dxf::AttributeReference attribute)
        : data_(std::move(data)), attribute_(attribute)
    {
    }
    std::string typeName() const override { return "IAcadAttributeReference"; }
    std::string tagString() const override
    {
        return guarded([&] { return attribute_.tag(); });
    }
    std::string textString() const override
    {
        return guarded([&] { return attribute_.value(); });
    }
    void setTextString(const std::string& text) override
    {
        if (attribute_.isDeleted())
            throw HostError(kErased);
        guarded([&] {
            if (attribute_.value() != text)
                attribute_.setValue(text);
        });
    }

private:
    Data data_;
    dxf::AttributeReference attribute_;
};

class EAttributeDefinition : public AttributeDefinition {
public:
    EAttributeDefinition(Data data, dxf::AttributeDefinition definition)
        : data_(std::move(data)), definition_(definition)
    {
    }
    std::string typeName() const override { return "IAcadAttribute"; }
    std::string tagString() const override
    {
        return guarded([&] { return definition_.tag(); });
    }
    std::string textString() const override
    {
        return guarded([&] { return definition_.defaultValue(); });
    }

private:
    Data data_;
    dxf::AttributeDefinition definition_;
};

class EEntity : public Entity {
public:
    EEntity(Data data, dxf::Entity entity) : data_(std::move(data)), entity_(entity) { }

    std::string typeName() const override { return entityTypeName(live().typeName()); }
    std::string handle() const override
    {
        const dxf::Entity entity = live();
        // An R12 drawing may keep no handles; the program finds what it
        // placed by them. Once changed, the drawing gets them, every
        // record its own, as a CAD program gives them.
        if (entity.handle().empty() && data_->doc.isModified() && data_->doc.versionNumber() <= 1009)
            guarded([&] { data_->doc.setHeaderNumber("$HANDLING", 70, 1); });
        return entity.handle();
    }
    std::string layer() const override { return live().layer(); }
    void setLayer(const std::string& layer) override
    {
        live();
        const auto found = data_->doc.findLayer(layer);
        if (!found) {
            // The caller gets the automation host's error; the designer is
            // told why, in case the caller stops there without a word.
            if (data_->report)
                data_->report("W rysunku nie ma warstwy \"" + layer
                              + "\": obiektu nie można na nią przenieść.");
            throw HostError(kKeyNotFound);
        }
        guarded([&] {
            if (entity_.layer() != found->name())
                entity_.setLayer(found->name());
        });
    }
    int color() const override { return live().colour(); }
    void setColor(int color) override
    {
        if (color < 0 || color > 256)
            throw HostError("Invalid argument Color");
        live();
        guarded([&] {
            if (entity_.colour() != color)
                entity_.setColour(color);
        });
    }
    double rotation() const override { return placed().rotation() * kDegree; }
    void setRotation(double radians) override
    {
        placed();
        guarded([&] { entity_.setRotation(radians / kDegree); });
    }
    Point3 insertionPoint() const override { return toHost(placed().insertionPoint()); }
    bool hasAttributes() const override
    {
        return guarded([&] { return reference().hasAttributes(); });
    }
    std::vector<std::shared_ptr<AttributeReference>> getAttributes() const override
    {
        return guarded([&] {
            std::vector<std::shared_ptr<AttributeReference>> out;
            for (const auto& attribute : reference().attributes())
                out.push_back(std::make_shared<EAttributeReference>(data_, attribute));
            return out;
        });
    }
    // Shows the entity's changes, as the host redraws it.
    void update() override
    {
        live();
        data_->notify(HostChange::Updated);
    }
    void erase() override
    {
        live();
        guarded([&] { data_->doc.deleteEntity(entity_); });
    }

private:
    const dxf::Entity& live() const
    {
        if (!entity_.valid() || entity_.isDeleted())
            throw HostError(kErased);
        return entity_;
    }
    const dxf::Entity& placed() const
    {
        if (!hasPlacement(live().typeName()))
            throw HostError(kNoMember);
        return entity_;
    }
    dxf::BlockReference reference() const
    {
        if (!live().isBlockReference())
            throw HostError(kNoMember);
        return entity_.asBlockReference();
    }

    Data data_;
    dxf::Entity entity_;
};

std::shared_ptr<Entity> wrap(const Data& data, const dxf::Entity& entity)
{
    return std::make_shared<EEntity>(data, entity);
}

class ELayer : public Layer {
public:
    ELayer(Data data, dxf::Layer layer) : data_(std::move(data)), layer_(layer) { }
    std::string typeName() const override { return "IAcadLayer"; }
    std::string name() const override
    {
        return guarded([&] { return layer_.name(); });
    }
    int color() const override
    {
        return guarded([&] { return layer_.colour(); });
    }
    void setColor(int color) override
    {
        if (color < 1 || color > 255)
            throw HostError("Invalid argument Color");
        guarded([&] { layer_.setColour(color); });
    }
    int lineWeight() const override
    {
        return guarded([&] { return layer_.lineWeight(); });
    }
    void setLineWeight(int lineWeight) override
    {
        if (lineWeight < -3 || lineWeight > 211)
            throw HostError("Invalid argument Lineweight");
        guarded([&] { layer_.setLineWeight(lineWeight); });
    }
    const dxf::Layer& layer() const { return layer_; }
    const Data& data() const { return data_; }

private:
    Data data_;
    mutable dxf::Layer layer_;
};

class ETextStyle : public TextStyle {
public:
    ETextStyle(Data data, dxf::TextStyle style) : data_(std::move(data)), style_(style) { }
    std::string typeName() const override { return "IAcadTextStyle"; }
    std::string name() const override
    {
        return guarded([&] { return style_.name(); });
    }
    double height() const override
    {
        return guarded([&] { return style_.height(); });
    }
    void setHeight(double height) override
    {
        if (height < 0)
            throw HostError("Invalid argument Height");
        guarded([&] { style_.setHeight(height); });
    }
    void setFont(const std::string& typeface, bool, bool, int, int) override
    {
        // The drawing names the font by its file; a typeface alone means its
        // TrueType file.
        std::string file = typeface;
        if (!file.empty() && file.find('.') == std::string::npos)
            file += ".ttf";
        guarded([&] { style_.setFontFile(file); });
    }
    std::string fontTypeface() const override
    {
        return guarded([&] {
            auto typeface = style_.typeface();
            if (!typeface.empty())
                return typeface;
            auto file = style_.fontFile();
            const auto dot = file.rfind('.');
            return dot == std::string::npos ? file : file.substr(0, dot);
        });
    }
    const dxf::TextStyle& style() const { return style_; }
    const Data& data() const { return data_; }

private:
    Data data_;
    mutable dxf::TextStyle style_;
};

class EBlock : public Block {
public:
    EBlock(Data data, dxf::Block block) : data_(std::move(data)), block_(block) { }
    std::string typeName() const override
    {
        const auto name = base::UpperAscii(block_.name());
        if (name == "*MODEL_SPACE" || name == "$MODEL_SPACE")
            return "IAcadModelSpace";
        if (name.rfind("*PAPER_SPACE", 0) == 0 || name == "$PAPER_SPACE")
            return "IAcadPaperSpace";
        return "IAcadBlock";
    }
    std::string name() const override
    {
        return guarded([&] { return block_.name(); });
    }
    std::shared_ptr<AttributeDefinition> addAttribute(double height, int mode, const std::string& prompt,
                                                      const Point3& insertionPoint, const std::string& tag,
                                                      const std::string& value) override
    {
        if (height <= 0)
            throw HostError("Invalid argument Height");
        if (tag.empty() || tag.find(' ') != std::string::npos)
            throw HostError("Invalid argument Tag");
        dxf::NewAttributeDefinition definition;
        definition.tag = base::UpperAscii(tag);
        definition.defaultValue = value;
        definition.prompt = prompt;
        definition.point = toDxf(insertionPoint);
        definition.height = height;
        definition.flags = mode;
        definition.layer = std::string(1, '0'); // not = "0": a false -Wrestrict in GCC 12
        definition.style = data_->activeTextStyle();
        return guarded([&] {
            return std::make_shared<EAttributeDefinition>(data_, block_.addAttributeDefinition(definition));
        });
    }
    std::vector<std::shared_ptr<AttributeDefinition>> attributeDefinitions() const override
    {
        return guarded([&] {
            std::vector<std::shared_ptr<AttributeDefinition>> out;
            for (const auto& definition : block_.attributeDefinitions())
                out.push_back(std::make_shared<EAttributeDefinition>(data_, definition));
            return out;
        });
    }

private:
    Data data_;
    mutable dxf::Block block_;
};

class EBlocks : public Blocks {
public:
    explicit EBlocks(Data data) : data_(std::move(data)) { }
    std::string typeName() const override { return "IAcadBlocks"; }
    long count() const override
    {
        return guarded([&] { return static_cast<long>(data_->doc.blocks().size()); });
    }
    std::shared_ptr<Block> item(const std::string& name) const override
    {
        const auto block = guarded([&] { return data_->doc.findBlock(name); });
        if (!block)
            throw HostError(kKeyNotFound);
        return std::make_shared<EBlock>(data_, *block);
    }

private:
    Data data_;
};

class ELayers : public Layers {
public:
    explicit ELayers(Data data) : data_(std::move(data)) { }
    std::string typeName() const override { return "IAcadLayers"; }
    long count() const override
    {
        return guarded([&] { return static_cast<long>(data_->doc.layers().size()); });
    }
    std::shared_ptr<Layer> item(const std::string& name) const override
    {
        const auto layer = guarded([&] { return data_->doc.findLayer(name); });
        if (!layer)
            throw HostError(kKeyNotFound);
        return std::make_shared<ELayer>(data_, *layer);
    }
    std::shared_ptr<Layer> add(const std::string& name) override
    {
        // An existing layer is handed back, as the automation host does.
        if (const auto layer = guarded([&] { return data_->doc.findLayer(name); }))
            return std::make_shared<ELayer>(data_, *layer);
        return guarded([&] { return std::make_shared<ELayer>(data_, data_->doc.addLayer(name)); });
    }

private:
    Data data_;
};

class ETextStyles : public TextStyles {
public:
    explicit ETextStyles(Data data) : data_(std::move(data)) { }
    std::string typeName() const override { return "IAcadTextStyles"; }
    long count() const override
    {
        return guarded([&] { return static_cast<long>(data_->doc.textStyles().size()); });
    }
    std::shared_ptr<TextStyle> item(const std::string& name) const override
    {
        const auto style = guarded([&] { return data_->doc.findTextStyle(name); });
        if (!style)
            throw HostError(kKeyNotFound);
        return std::make_shared<ETextStyle>(data_, *style);
    }
    std::shared_ptr<TextStyle> add(const std::string& name) override
    {
        if (const auto style = guarded([&] { return data_->doc.findTextStyle(name); }))
            return std::make_shared<ETextStyle>(data_, *style);
        if (name.empty())
            throw HostError("Invalid argument Name");
        return guarded(
            [&] { return std::make_shared<ETextStyle>(data_, data_->doc.addTextStyle(name, 0.0, "txt")); });
    }

private:
    Data data_;
};

class EModelSpace : public ModelSpace {
public:
    explicit EModelSpace(Data data) : data_(std::move(data)) { }
    std::string typeName() const override { return "IAcadModelSpace"; }
    long count() const override
    {
        data_->poll();
        return guarded([&] { return static_cast<long>(data_->doc.modelSpaceCount()); });
    }
    std::shared_ptr<Entity> item(long index) const override
    {
        data_->poll();
        const auto entities = guarded([&] { return data_->doc.modelSpace(); });
        if (index < 0 || static_cast<std::size_t>(index) >= entities.size())
            throw HostError("Invalid index");
        return wrap(data_, entities[static_cast<std::size_t>(index)]);
    }
    std::shared_ptr<Entity> insertBlock(const Point3& point, const std::string& name, double xScale,
                                        double yScale, double zScale, double rotation) override
    {
        if (xScale == 0 || yScale == 0 || zScale == 0)
            throw HostError("Invalid argument scale factor");
        std::string blockName = name;
        if (isFileName(name)) {
            const std::string file = base::NativePath(name);
            if (!fs::exists(base::PathOf(file)))
                throw HostError("File not found: " + name);
            // Named as the path spells it, whatever case the file has on disk.
            const auto slash = name.find_last_of("\\/");
            blockName = name.substr(slash == std::string::npos ? 0 : slash + 1);
            blockName = blockName.substr(0, blockName.rfind('.'));
            if (!data_->doc.findBlock(blockName))
                guarded([&] { data_->doc.importBlockFile(file, blockName); });
        } else {
            const auto block = data_->doc.findBlock(name);
            if (!block || block->isLayout())
                throw HostError(kKeyNotFound);
            blockName = block->name();
        }
        InsertPlacement placement{blockName, point, {xScale, yScale, zScale}, rotation};
        return wrap(data_, data_->insert(placement));
    }
    std::shared_ptr<Entity> addText(const std::string& text, const Point3& point, double height) override
    {
        if (height <= 0)
            throw HostError("Invalid argument Height");
        auto added = guarded([&] {
            return wrap(data_,
                        data_->doc.addText(text, toDxf(point), height, data_->activeTextStyle(),
                                           data_->activeLayer()));
        });
        data_->changed();
        return added;
    }

private:
    static bool isFileName(const std::string& name)
    {
        return name.find('\\') != std::string::npos || name.find('/') != std::string::npos
            || endsWithNoCase(name, ".dxf") || endsWithNoCase(name, ".dwg");
    }
    Data data_;
};

class ESummaryInfo : public SummaryInfo {
public:
    explicit ESummaryInfo(Data data) : data_(std::move(data)) { }
    std::string typeName() const override { return "IAcadSummaryInfo"; }
    void getCustomByKey(const std::string& key, std::string& value) const override
    {
        if (heldOnly()) {
            const auto it = data_->heldProperties.find(foldedKey(key));
            if (it == data_->heldProperties.end())
                throw HostError(kKeyNotFound);
            value = it->second.second;
            return;
        }
        const auto found = guarded([&] { return data_->doc.customProperty(key); });
        if (!found)
            throw HostError(kKeyNotFound);
        value = *found;
    }
    void setCustomByKey(const std::string& key, const std::string& value) override
    {
        if (heldOnly()) {
            const auto it = data_->heldProperties.find(foldedKey(key));
            if (it == data_->heldProperties.end())
                throw HostError(kKeyNotFound);
            it->second.second = value;
            return;
        }
        const auto current = guarded([&] { return data_->doc.customProperty(key); });
        if (!current)
            throw HostError(kKeyNotFound);
        if (*current != value)
            guarded([&] { data_->doc.setCustomProperty(key, value); });
    }
    void addCustomInfo(const std::string& key, const std::string& value) override
    {
        if (key.empty())
            throw HostError("Invalid argument Key");
        if (heldOnly()) {
            if (data_->heldProperties.contains(foldedKey(key)))
                throw HostError("custom property \"" + key + "\" exists");
            // Said once: the run goes on with what it was told.
            if (data_->heldProperties.empty() && data_->report)
                data_->report("Rysunek w formacie R12 (" + data_->doc.version()
                              + ") nie ma miejsca na właściwości rysunku.\r\nWłaściwość [" + key
                              + "] i następne obowiązują do zamknięcia rysunku, ale nie zostaną w nim "
                                "zapisane.\r\nAby je zachować, zapisz rysunek w nowszym formacie DXF.");
            data_->heldProperties[foldedKey(key)] = {key, value};
            return;
        }
        guarded([&] { data_->doc.addCustomProperty(key, value); });
    }
    long numCustomInfo() const override
    {
        if (heldOnly())
            return static_cast<long>(data_->heldProperties.size());
        return guarded([&] { return static_cast<long>(data_->doc.customProperties().size()); });
    }

private:
    // A drawing of R12 has no place for custom properties.
    bool heldOnly() const { return data_->doc.versionNumber() <= 1009; }

    Data data_;
};

class ESelectionSet : public SelectionSet {
public:
    ESelectionSet(Data data, std::string key, std::string name)
        : data_(std::move(data)), key_(std::move(key)), name_(std::move(name))
    {
    }
    std::string typeName() const override { return "IAcadSelectionSet"; }
    std::string name() const override { return name_; }
    void select(int mode, const std::vector<std::int16_t>& filterTypes,
                const std::vector<std::string>& filterData) override
    {
        auto& selection = live();
        if (mode != 5)
            throw HostError("Invalid argument Mode");
        if (filterTypes.size() != filterData.size())
            throw HostError("Invalid argument FilterType");
        for (const auto code : filterTypes) {
            if (code != 0 && code != 2 && code != 8)
                throw HostError("Invalid argument FilterType");
        }
        dxf::EntityFilter filter;
        for (std::size_t i = 0; i < filterTypes.size(); ++i) {
            auto& list = filterTypes[i] == 0 ? filter.types
                : filterTypes[i] == 2        ? filter.blockNames
                                             : filter.layers;
            list.push_back(filterData[i]);
        }
        guarded([&] {
            const auto picked = data_->doc.selectEntities(filter);
            selection.items.insert(selection.items.end(), picked.begin(), picked.end());
        });
    }
    long count() const override { return static_cast<long>(live().items.size()); }
    std::shared_ptr<Entity> item(long index) const override
    {
        const auto& items = live().items;
        if (index < 0 || static_cast<std::size_t>(index) >= items.size())
            throw HostError("Invalid index");
        return wrap(data_, items[static_cast<std::size_t>(index)]);
    }
    void erase() override
    {
        live();
        data_->selections.erase(key_);
    }

private:
    DrawingData::Selection& live() const
    {
        const auto it = data_->selections.find(key_);
        if (it == data_->selections.end() || it->second.name != name_)
            throw HostError(kErased);
        return it->second;
    }

    Data data_;
    std::string key_;
    std::string name_;
};

class ESelectionSets : public SelectionSets {
public:
    explicit ESelectionSets(Data data) : data_(std::move(data)) { }
    std::string typeName() const override { return "IAcadSelectionSets"; }
    long count() const override { return static_cast<long>(data_->selections.size()); }
    std::shared_ptr<SelectionSet> item(const std::string& name) const override
    {
        const auto it = data_->selections.find(foldedKey(name));
        if (it == data_->selections.end())
            throw HostError(kKeyNotFound);
        return std::make_shared<ESelectionSet>(data_, it->first, it->second.name);
    }
    std::shared_ptr<SelectionSet> add(const std::string& name) override
    {
        if (name.empty())
            throw HostError("Invalid argument Name");
        const auto key = foldedKey(name);
        if (data_->selections.count(key))
            throw HostError("Duplicate record name");
        if (data_->selections.size() >= 128)
            throw HostError("Too many selection sets");
        data_->selections[key] = DrawingData::Selection{name, {}};
        return std::make_shared<ESelectionSet>(data_, key, name);
    }

private:
    Data data_;
};

class EUtility : public Utility {
public:
    explicit EUtility(Data data) : data_(std::move(data)) { }
    std::string typeName() const override { return "IAcadUtility"; }
    Point3 getPoint(const std::string& prompt) override
    {
        DrawingData::Watch watch(*data_);
        if (!data_->input) {
            QueuedInputSource none;
            return data_->commands.getPoint(none, prompt);
        }
        return data_->commands.getPoint(*data_->input, prompt);
    }

private:
    Data data_;
};

class EDocument : public Document {
public:
    explicit EDocument(Data data) : data_(std::move(data)) { }
    std::string typeName() const override { return "IAcadDocument"; }
    std::string name() const override { return base::TextOf(base::PathOf(data_->path).filename()); }
    std::shared_ptr<ModelSpace> modelSpace() override { return std::make_shared<EModelSpace>(data_); }
    std::shared_ptr<Blocks> blocks() override { return std::make_shared<EBlocks>(data_); }
    std::shared_ptr<Layers> layers() override { return std::make_shared<ELayers>(data_); }
    std::shared_ptr<TextStyles> textStyles() override { return std::make_shared<ETextStyles>(data_); }
    std::shared_ptr<SelectionSets> selectionSets() override
    {
        return std::make_shared<ESelectionSets>(data_);
    }
    std::shared_ptr<SummaryInfo> summaryInfo() override { return std::make_shared<ESummaryInfo>(data_); }
    std::shared_ptr<Utility> utility() override { return std::make_shared<EUtility>(data_); }
    std::shared_ptr<Entity> handleToObject(const std::string& handle) override
    {
        const auto entity = guarded([&] { return data_->doc.findByHandle(base::UpperAscii(handle)); });
        if (!entity || entity->isDeleted())
            throw HostError("Invalid object handle");
        return wrap(data_, *entity);
    }
    void sendCommand(const std::string& text) override
    {
        DrawingData::Watch watch(*data_);
        data_->commands.setAngleUnits(guarded([&] { return AngleUnitsOf(data_->doc); }));
        data_->commands.send(text);
    }
    std::string getVariable(const std::string& name) override
    {
        data_->poll();
        const auto variable = base::UpperAscii(name);
        if (variable == "LASTPROMPT")
            return data_->commands.lastPrompt();
        if (variable == "CLAYER")
            return data_->activeLayer();
        if (variable == "TEXTSTYLE")
            return data_->activeTextStyle();
        if (variable == "DWGNAME")
            return EDocument::name();
        if (variable == "ACADVER")
            return guarded([&] { return data_->doc.version(); });
        throw HostError("Invalid argument Name");
    }
    std::shared_ptr<Layer> activeLayer() override
    {
        const auto layer = guarded([&] { return data_->doc.findLayer(data_->activeLayer()); });
        if (!layer)
            throw HostError(kKeyNotFound);
        return std::make_shared<ELayer>(data_, *layer);
    }
    void setActiveLayer(const std::shared_ptr<Layer>& layer) override
    {
        const auto* own = dynamic_cast<const ELayer*>(layer.get());
        if (!own || own->data() != data_)
            throw HostError("Invalid argument ActiveLayer");
        if (data_->activeLayer() != own->layer().name())
            guarded([&] { data_->doc.setHeaderText("$CLAYER", 8, own->layer().name()); });
    }
    std::shared_ptr<TextStyle> activeTextStyle() override
    {
        const auto style = guarded([&] { return data_->doc.findTextStyle(data_->activeTextStyle()); });
        if (!style)
            throw HostError(kKeyNotFound);
        return std::make_shared<ETextStyle>(data_, *style);
    }
    void setActiveTextStyle(const std::shared_ptr<TextStyle>& style) override
    {
        const auto* own = dynamic_cast<const ETextStyle*>(style.get());
        if (!own || own->data() != data_)
            throw HostError("Invalid argument ActiveTextStyle");
        if (data_->activeTextStyle() != own->style().name())
            guarded([&] { data_->doc.setHeaderText("$TEXTSTYLE", 7, own->style().name()); });
    }

private:
    Data data_;
};

class EHostState : public HostState {
public:
    explicit EHostState(std::shared_ptr<EmbeddedApplication> app) : app_(std::move(app)) { }
    std::string typeName() const override { return "IAcadState"; }
    bool isQuiescent() const override { return app_->isQuiescent(); }

private:
    std::shared_ptr<EmbeddedApplication> app_;
};

} // namespace

std::string DrawingData::activeLayer() const
{
    const auto name = doc.headerText("$CLAYER");
    if (name) {
        if (const auto layer = doc.findLayer(*name))
            return layer->name();
    }
    return "0";
}

std::string DrawingData::activeTextStyle() const
{
    const auto name = doc.headerText("$TEXTSTYLE");
    if (name) {
        if (const auto style = doc.findTextStyle(*name))
            return style->name();
    }
    // A drawing that names none writes with its standard style.
    if (const auto standard = doc.findTextStyle("Standard"))
        return standard->name();
    const auto styles = doc.textStyles();
    return styles.empty() ? "" : styles.front().name();
}

dxf::BlockReference DrawingData::insert(const InsertPlacement& p)
{
    auto reference = guarded([&] {
        auto added = doc.addBlockReference(p.blockName, toDxf(p.point), p.scale.x, p.rotation / kDegree,
                                           activeLayer());
        if (p.scale.y != p.scale.x || p.scale.z != p.scale.x)
            added.setScale(toDxf(p.scale));
        return added;
    });
    changed();
    return reference;
}

std::shared_ptr<Document> MakeDocument(const std::shared_ptr<DrawingData>& data)
{
    return std::make_shared<EDocument>(data);
}

std::shared_ptr<HostState> MakeHostState(std::shared_ptr<EmbeddedApplication> app)
{
    return std::make_shared<EHostState>(std::move(app));
}

} // namespace lumo::cad::embedded
