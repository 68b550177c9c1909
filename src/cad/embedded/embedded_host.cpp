#include "cad/embedded/embedded_host.h"

#include "cad/embedded/drawing_file.h"
#include "cad/embedded/wildcard.h"
#include "dxf/document.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>

namespace fs = std::filesystem;

namespace lumo::cad::embedded {

namespace {

constexpr double kDegree = std::numbers::pi / 180.0;
constexpr const char* kKeyNotFound = "Key not found";
constexpr const char* kErased = "Object was erased";
constexpr const char* kNoMember = "Unknown name";

// Paths cross this host as UTF-8 text.
fs::path pathOf(const std::string& utf8)
{
    return fs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string textOf(const fs::path& path)
{
    const auto text = path.u8string();
    return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

// Every failure of the engine reaches the program as a host failure.
template <class F>
auto guarded(F&& f) -> decltype(f())
{
    try {
        return f();
    } catch (const dxf::DxfError& e) {
        throw HostError(e.what());
    }
}

std::string upperAscii(std::string text)
{
    for (auto& c : text) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return text;
}

std::string foldedKey(std::string_view name)
{
    // Good enough as a map key: SameName decides equality where it matters.
    return upperAscii(std::string(name));
}

bool endsWithNoCase(const std::string& text, const std::string& suffix)
{
    return text.size() >= suffix.size() &&
           upperAscii(text.substr(text.size() - suffix.size())) == upperAscii(suffix);
}

Point3 toHost(const dxf::Point& p) { return {p.x, p.y, p.z}; }
dxf::Point toDxf(const Point3& p) { return {p.x, p.y, p.z}; }

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
    return dxfType == "INSERT" || dxfType == "TEXT" || dxfType == "MTEXT" ||
           dxfType == "ATTRIB" || dxfType == "ATTDEF";
}

} // namespace

// One open drawing and everything the host keeps about it.
struct DrawingData {
    DrawingData(dxf::Document document, std::string file, std::optional<FileStamp> asRead)
        : doc(std::move(document)), path(std::move(file)), stamp(asRead),
          commands(CommandLine::Target{
              [this](const std::string& name) -> std::optional<std::string> {
                  const auto block = doc.findBlock(name);
                  if (!block || block->isLayout())
                      return std::nullopt;
                  return block->name();
              },
              [this](const InsertPlacement& placement) { insert(placement); }})
    {
    }

    dxf::Document doc;
    std::string path;
    std::optional<FileStamp> stamp; // the file as read or last written
    CommandLine commands;
    std::shared_ptr<InputSource> input;
    std::shared_ptr<HostListener> listener;
    struct Selection {
        std::string name;
        std::vector<dxf::Entity> items;
    };
    std::map<std::string, Selection> selections; // by upper-case name

    void notify(HostChange change) const
    {
        if (listener && *listener)
            (*listener)(change);
    }
    void changed() const { notify(HostChange::Drawing); }

    // Tells the listener what a step of the command line changed, and
    // takes back the question of a command that ended without its answer.
    class Watch {
    public:
        explicit Watch(DrawingData& data)
            : data_(data), prompt_(data.commands.lastPrompt()), waiting_(data.commands.isWaiting()),
              count_(data.doc.modelSpaceCount()), pending_(data.commands.pendingInsert())
        {
        }
        ~Watch()
        {
            const bool waiting = data_.commands.isWaiting();
            if (waiting_ && !waiting && data_.input)
                data_.input->withdraw();
            if (waiting != waiting_ || data_.commands.pendingInsert() != pending_)
                data_.notify(HostChange::Command);
            if (data_.commands.lastPrompt() != prompt_)
                data_.notify(HostChange::Prompt);
            if (data_.doc.modelSpaceCount() != count_)
                data_.changed();
        }

    private:
        DrawingData& data_;
        std::string prompt_;
        bool waiting_;
        std::size_t count_;
        std::optional<PendingInsert> pending_;
    };

    // A waiting command takes the designer's answers whenever the program
    // looks at the host.
    void poll()
    {
        if (!commands.isWaiting())
            return;
        Watch watch(*this);
        if (input)
            commands.advance(*input);
        else
            commands.cancel();
    }

    std::string activeLayer() const
    {
        const auto name = doc.headerText("$CLAYER");
        if (name) {
            if (const auto layer = doc.findLayer(*name))
                return layer->name();
        }
        return "0";
    }

    std::string activeTextStyle() const
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

    dxf::BlockReference insert(const InsertPlacement& p)
    {
        auto reference = guarded([&] {
            auto added = doc.addBlockReference(p.blockName, toDxf(p.point), p.scale.x,
                                               p.rotation / kDegree, activeLayer());
            if (p.scale.y != p.scale.x || p.scale.z != p.scale.x)
                added.setScale(toDxf(p.scale));
            return added;
        });
        changed();
        return reference;
    }
};

namespace {

using Data = std::shared_ptr<DrawingData>;

class EAttributeReference : public AttributeReference {
public:
    EAttributeReference(Data data, dxf::AttributeReference attribute)
        : data_(std::move(data)), attribute_(attribute)
    {
    }
    std::string typeName() const override { return "IAcadAttributeReference"; }
    std::string tagString() const override { return guarded([&] { return attribute_.tag(); }); }
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
    std::string tagString() const override { return guarded([&] { return definition_.tag(); }); }
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
    EEntity(Data data, dxf::Entity entity) : data_(std::move(data)), entity_(entity) {}

    std::string typeName() const override { return entityTypeName(live().typeName()); }
    std::string handle() const override { return live().handle(); }
    std::string layer() const override { return live().layer(); }
    void setLayer(const std::string& layer) override
    {
        live();
        const auto found = data_->doc.findLayer(layer);
        if (!found)
            throw HostError(kKeyNotFound);
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
        data_->changed();
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
    ELayer(Data data, dxf::Layer layer) : data_(std::move(data)), layer_(layer) {}
    std::string typeName() const override { return "IAcadLayer"; }
    std::string name() const override { return guarded([&] { return layer_.name(); }); }
    int color() const override { return guarded([&] { return layer_.colour(); }); }
    void setColor(int color) override
    {
        if (color < 1 || color > 255)
            throw HostError("Invalid argument Color");
        guarded([&] { layer_.setColour(color); });
    }
    int lineWeight() const override { return guarded([&] { return layer_.lineWeight(); }); }
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
    ETextStyle(Data data, dxf::TextStyle style) : data_(std::move(data)), style_(style) {}
    std::string typeName() const override { return "IAcadTextStyle"; }
    std::string name() const override { return guarded([&] { return style_.name(); }); }
    double height() const override { return guarded([&] { return style_.height(); }); }
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
    EBlock(Data data, dxf::Block block) : data_(std::move(data)), block_(block) {}
    std::string typeName() const override
    {
        const auto name = upperAscii(block_.name());
        if (name == "*MODEL_SPACE" || name == "$MODEL_SPACE")
            return "IAcadModelSpace";
        if (name.rfind("*PAPER_SPACE", 0) == 0 || name == "$PAPER_SPACE")
            return "IAcadPaperSpace";
        return "IAcadBlock";
    }
    std::string name() const override { return guarded([&] { return block_.name(); }); }
    std::shared_ptr<AttributeDefinition> addAttribute(double height, int mode,
                                                      const std::string& prompt,
                                                      const Point3& insertionPoint,
                                                      const std::string& tag,
                                                      const std::string& value) override
    {
        if (height <= 0)
            throw HostError("Invalid argument Height");
        if (tag.empty() || tag.find(' ') != std::string::npos)
            throw HostError("Invalid argument Tag");
        dxf::NewAttributeDefinition definition;
        definition.tag = upperAscii(tag);
        definition.defaultValue = value;
        definition.prompt = prompt;
        definition.point = toDxf(insertionPoint);
        definition.height = height;
        definition.flags = mode;
        definition.layer = "0";
        definition.style = data_->activeTextStyle();
        return guarded([&] {
            return std::make_shared<EAttributeDefinition>(data_,
                                                          block_.addAttributeDefinition(definition));
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
    explicit EBlocks(Data data) : data_(std::move(data)) {}
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
    explicit ELayers(Data data) : data_(std::move(data)) {}
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
    explicit ETextStyles(Data data) : data_(std::move(data)) {}
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
        return guarded([&] {
            return std::make_shared<ETextStyle>(data_, data_->doc.addTextStyle(name, 0.0, "txt"));
        });
    }

private:
    Data data_;
};

class EModelSpace : public ModelSpace {
public:
    explicit EModelSpace(Data data) : data_(std::move(data)) {}
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
    std::shared_ptr<Entity> insertBlock(const Point3& point, const std::string& name,
                                        double xScale, double yScale, double zScale,
                                        double rotation) override
    {
        if (xScale == 0 || yScale == 0 || zScale == 0)
            throw HostError("Invalid argument scale factor");
        std::string blockName = name;
        if (isFileName(name)) {
            const std::string file = NativePath(name);
            if (!fs::exists(pathOf(file)))
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
    std::shared_ptr<Entity> addText(const std::string& text, const Point3& point,
                                    double height) override
    {
        if (height <= 0)
            throw HostError("Invalid argument Height");
        auto added = guarded([&] {
            return wrap(data_, data_->doc.addText(text, toDxf(point), height,
                                                  data_->activeTextStyle(),
                                                  data_->activeLayer()));
        });
        data_->changed();
        return added;
    }

private:
    static bool isFileName(const std::string& name)
    {
        return name.find('\\') != std::string::npos || name.find('/') != std::string::npos ||
               endsWithNoCase(name, ".dxf") || endsWithNoCase(name, ".dwg");
    }
    Data data_;
};

class ESummaryInfo : public SummaryInfo {
public:
    explicit ESummaryInfo(Data data) : data_(std::move(data)) {}
    std::string typeName() const override { return "IAcadSummaryInfo"; }
    void getCustomByKey(const std::string& key, std::string& value) const override
    {
        const auto found = guarded([&] { return data_->doc.customProperty(key); });
        if (!found)
            throw HostError(kKeyNotFound);
        value = *found;
    }
    void setCustomByKey(const std::string& key, const std::string& value) override
    {
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
        guarded([&] { data_->doc.addCustomProperty(key, value); });
    }
    long numCustomInfo() const override
    {
        return guarded([&] { return static_cast<long>(data_->doc.customProperties().size()); });
    }

private:
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
        guarded([&] {
            auto add = [&](const std::vector<dxf::Entity>& entities) {
                for (const auto& entity : entities) {
                    if (matches(entity, filterTypes, filterData))
                        selection.items.push_back(entity);
                }
            };
            add(data_->doc.modelSpace());
            add(data_->doc.paperSpace());
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
    static bool matches(const dxf::Entity& entity, const std::vector<std::int16_t>& types,
                        const std::vector<std::string>& data)
    {
        if (entity.isDeleted())
            return false;
        const auto type = entity.typeName();
        for (std::size_t i = 0; i < types.size(); ++i) {
            switch (types[i]) {
            case 0:
                if (!WildcardMatch(data[i], type))
                    return false;
                break;
            case 2:
                if (!entity.isBlockReference() ||
                    !WildcardMatch(data[i], entity.asBlockReference().blockName()))
                    return false;
                break;
            case 8:
                if (!WildcardMatch(data[i], entity.layer()))
                    return false;
                break;
            default: return false;
            }
        }
        return true;
    }
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
    explicit ESelectionSets(Data data) : data_(std::move(data)) {}
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
    explicit EUtility(Data data) : data_(std::move(data)) {}
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
    explicit EDocument(Data data) : data_(std::move(data)) {}
    std::string typeName() const override { return "IAcadDocument"; }
    std::string name() const override { return textOf(pathOf(data_->path).filename()); }
    std::shared_ptr<ModelSpace> modelSpace() override
    {
        return std::make_shared<EModelSpace>(data_);
    }
    std::shared_ptr<Blocks> blocks() override { return std::make_shared<EBlocks>(data_); }
    std::shared_ptr<Layers> layers() override { return std::make_shared<ELayers>(data_); }
    std::shared_ptr<TextStyles> textStyles() override
    {
        return std::make_shared<ETextStyles>(data_);
    }
    std::shared_ptr<SelectionSets> selectionSets() override
    {
        return std::make_shared<ESelectionSets>(data_);
    }
    std::shared_ptr<SummaryInfo> summaryInfo() override
    {
        return std::make_shared<ESummaryInfo>(data_);
    }
    std::shared_ptr<Utility> utility() override { return std::make_shared<EUtility>(data_); }
    std::shared_ptr<Entity> handleToObject(const std::string& handle) override
    {
        const auto entity = guarded([&] { return data_->doc.findByHandle(upperAscii(handle)); });
        if (!entity || entity->isDeleted())
            throw HostError("Invalid object handle");
        return wrap(data_, *entity);
    }
    void sendCommand(const std::string& text) override
    {
        DrawingData::Watch watch(*data_);
        data_->commands.send(text);
    }
    std::string getVariable(const std::string& name) override
    {
        data_->poll();
        const auto variable = upperAscii(name);
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
    explicit EHostState(std::shared_ptr<EmbeddedApplication> app) : app_(std::move(app)) {}
    std::string typeName() const override { return "IAcadState"; }
    bool isQuiescent() const override { return app_->isQuiescent(); }

private:
    std::shared_ptr<EmbeddedApplication> app_;
};

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::string RememberedDrawing(const std::string& folder)
{
    if (folder.empty())
        return "";
    std::istringstream in(readFile(pathOf(folder) / kLastDrawingFile));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind("drawing=", 0) == 0)
            return line.substr(8);
    }
    return "";
}

std::string NativePath(const std::string& path)
{
#ifdef _WIN32
    return path;
#else
    std::string native = path;
    for (auto& c : native) {
        if (c == '\\')
            c = '/';
    }
    const fs::path given = pathOf(native);
    std::error_code ec;
    if (fs::exists(given, ec))
        return native;
    // Resolve part by part; an exact spelling always wins.
    fs::path resolved = given.root_path();
    for (const auto& part : given.relative_path()) {
        const fs::path exact = resolved / part;
        if (fs::exists(exact, ec) || !fs::is_directory(resolved.empty() ? "." : resolved, ec)) {
            resolved = exact;
            continue;
        }
        fs::path match = exact;
        for (const auto& entry :
             fs::directory_iterator(resolved.empty() ? fs::path(".") : resolved, ec)) {
            if (SameName(textOf(entry.path().filename()), textOf(part))) {
                match = resolved / entry.path().filename();
                break;
            }
        }
        resolved = match;
    }
    return textOf(resolved);
#endif
}

// ---------------------------------------------------------------- application

EmbeddedApplication::EmbeddedApplication(EmbeddedHostOptions options)
    : options_(std::move(options)), listener_(std::make_shared<HostListener>())
{
    std::string path;
    if (options_.drawing) {
        path = *options_.drawing;
    } else {
        path = RememberedDrawing(options_.configFolder);
        // A remembered drawing that has gone away is quietly forgotten.
        std::error_code ec;
        if (!path.empty() && !fs::exists(pathOf(NativePath(path)), ec))
            path.clear();
    }
    if (!path.empty())
        open(path);
}

// Saving asks the designer, so it happens while the program still runs
// (Program::saveDrawing), never while things are being torn down.
EmbeddedApplication::~EmbeddedApplication() = default;

void EmbeddedApplication::report(const std::string& text) const
{
    if (options_.report)
        options_.report(kMessageTitle, text, MessageIcon::Exclamation);
}

void EmbeddedApplication::notify(HostChange change) const
{
    if (*listener_)
        (*listener_)(change);
}

void EmbeddedApplication::setListener(HostListener listener)
{
    *listener_ = std::move(listener);
}

void EmbeddedApplication::setVisible(bool visible)
{
    if (visible_ == visible)
        return;
    visible_ = visible;
    notify(HostChange::Visible);
}

bool EmbeddedApplication::adopt(std::shared_ptr<DrawingData> data)
{
    data->input = options_.input;
    data->listener = listener_;
    data->commands.setPolish(options_.polish);
    data_ = std::move(data);
    missing_.clear();
    remember(data_->path);
    notify(HostChange::Document);
    return true;
}

bool EmbeddedApplication::open(const std::string& given)
{
    std::error_code ec;
    const fs::path file = fs::absolute(pathOf(NativePath(given)), ec);
    const std::string path = textOf(file);
    if (data_ && data_->path == path)
        return true;
    if (!fs::exists(file, ec)) {
        // Nothing is made on disk unasked: the designer may open or create one.
        missing_ = path;
        report("Nie znaleziono rysunku: [" + path + "]");
        return false;
    }
    if (fs::is_directory(file, ec)) {
        report("Nie można odczytać rysunku:\r\n[" + path + "]\r\nTo jest folder, nie rysunek.");
        return false;
    }
    // The drawing open now is kept when its changes cannot be saved.
    if (!save())
        return false;
    try {
        const auto stamp = StampOf(path);
        adopt(std::make_shared<DrawingData>(dxf::Document::load(path), path, stamp));
    } catch (const std::exception& e) {
        // Not opened, so nothing can ever write over it.
        report("Nie można odczytać rysunku:\r\n[" + path + "]\r\n" + e.what());
        return false;
    }
    // read, but with something the designer should know (an unknown code page, ...)
    if (const auto warnings = data_->doc.warnings(); !warnings.empty()) {
        std::string text = "Rysunek odczytano z uwagami:\r\n[" + path + "]";
        for (const std::string& w : warnings)
            text += "\r\n" + w;
        report(text);
    }
    return true;
}

bool EmbeddedApplication::create(const std::string& given)
{
    if (!save())
        return false;
    std::error_code ec;
    const std::string path = textOf(fs::absolute(pathOf(NativePath(given)), ec));
    return adopt(std::make_shared<DrawingData>(dxf::Document::create("AC1032"), path, std::nullopt));
}

void EmbeddedApplication::remember(const std::string& path) const
{
    if (options_.configFolder.empty())
        return;
    std::error_code ec;
    const fs::path folder = pathOf(options_.configFolder);
    fs::create_directories(folder, ec);
    const fs::path target = folder / kLastDrawingFile;
    const fs::path temporary = folder / (std::string(kLastDrawingFile) + ".tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << "drawing=" << path << "\n";
        if (!out)
            return;
    }
    fs::rename(temporary, target, ec);
}

void EmbeddedApplication::bringToFront()
{
    if (raise_)
        raise_();
}

void EmbeddedApplication::setBringToFront(std::function<void()> raise)
{
    raise_ = std::move(raise);
}

bool EmbeddedApplication::write(const std::string& path)
{
    const fs::path file = pathOf(path);
    std::error_code ec;
    const auto status = fs::status(file, ec);
    fs::create_directories(file.parent_path(), ec);
    data_->doc.save(path);
    // The new file keeps the permissions the old one had.
    if (fs::exists(status))
        fs::permissions(file, status.permissions(), ec);
    data_->stamp = StampOf(path);
    return true;
}

bool EmbeddedApplication::save()
{
    if (!data_ || !data_->doc.isModified())
        return true;
    std::string reason = WhyNotWritable(data_->path, data_->stamp);
    if (reason.empty()) {
        try {
            write(data_->path);
            notify(HostChange::Document);
            return true;
        } catch (const std::exception& e) {
            reason = std::string("Nie można zapisać rysunku: ") + e.what();
        }
    }
    const std::string original = data_->path;
    if (!options_.askSaveAs) {
        // Nobody to ask: beside the original, under a name of its own.
        const std::string beside = SuggestedSaveAsPath(original);
        if (saveAs(beside)) {
            report("Rysunku nie zapisano w pliku:\r\n[" + original + "]\r\n" + reason +
                   "\r\nZapisano go jako:\r\n[" + beside + "]");
            return true;
        }
        return false;
    }
    while (const auto target = options_.askSaveAs(data_->path, reason)) {
        if (saveAs(*target))
            return true;
        reason = "Nie można zapisać rysunku w pliku [" + *target + "].";
    }
    return false;
}

bool EmbeddedApplication::saveAs(const std::string& given)
{
    if (!data_)
        return false;
    std::error_code ec;
    const std::string path = textOf(fs::absolute(pathOf(NativePath(given)), ec));
    try {
        write(path);
    } catch (const std::exception& e) {
        report("Nie można zapisać rysunku:\r\n[" + path + "]\r\n" + e.what());
        return false;
    }
    data_->path = path;
    remember(path);
    notify(HostChange::Document);
    return true;
}

std::shared_ptr<HostState> EmbeddedApplication::getAcadState()
{
    return std::make_shared<EHostState>(shared_from_this());
}

long EmbeddedApplication::documentsCount() const { return data_ ? 1 : 0; }

std::shared_ptr<Document> EmbeddedApplication::activeDocument()
{
    if (!data_)
        throw HostError("No document is open");
    return std::make_shared<EDocument>(data_);
}

std::string EmbeddedApplication::drawingPath() const { return data_ ? data_->path : ""; }

bool EmbeddedApplication::readOnly() const
{
    return data_ && WhyNotWritable(data_->path, std::nullopt) == kReadOnlyReason;
}

bool EmbeddedApplication::modified() const { return data_ && data_->doc.isModified(); }

const dxf::Document* EmbeddedApplication::drawing() const { return data_ ? &data_->doc : nullptr; }

std::optional<PendingInsert> EmbeddedApplication::pendingInsert() const
{
    return data_ ? data_->commands.pendingInsert() : std::nullopt;
}

bool EmbeddedApplication::isQuiescent() const
{
    if (!data_)
        return true;
    data_->poll();
    return !data_->commands.isWaiting();
}

void EmbeddedApplication::takeInput()
{
    if (data_)
        data_->poll();
}

std::string EmbeddedApplication::lastPrompt() const
{
    return data_ ? data_->commands.lastPrompt() : "";
}

void EmbeddedApplication::cancelCommand()
{
    if (!data_)
        return;
    DrawingData::Watch watch(*data_);
    data_->commands.cancel();
}

void EmbeddedApplication::setInput(std::shared_ptr<InputSource> input)
{
    options_.input = input;
    if (data_)
        data_->input = std::move(input);
}

std::shared_ptr<InputSource> EmbeddedApplication::input() const { return options_.input; }

// ---------------------------------------------------------------- provider

EmbeddedHostProvider::EmbeddedHostProvider(OptionsFn options) : options_(std::move(options)) {}

std::shared_ptr<Application> EmbeddedHostProvider::attach()
{
    if (auto running = running_.lock())
        return running;
    throw HostError("No embedded host is running");
}

std::shared_ptr<Application> EmbeddedHostProvider::create()
{
    auto app = std::make_shared<EmbeddedApplication>(options_ ? options_() : EmbeddedHostOptions{});
    running_ = app;
    return app;
}

} // namespace lumo::cad::embedded
