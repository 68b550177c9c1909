// A small in-memory host for the adapter's own tests: it keeps what crossed
// IDispatch so that the tests can check it arrived intact.
#pragma once

#include "cad/host.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace lumo::cad::com::testing {

class FakeDefinition final : public AttributeDefinition {
public:
    FakeDefinition(std::string tag, std::string text) : tag_(std::move(tag)), text_(std::move(text)) { }
    std::string typeName() const override { return "IAcadAttribute"; }
    std::string tagString() const override { return tag_; }
    std::string textString() const override { return text_; }

    double height = 0;
    int mode = 0;
    std::string prompt;
    Point3 point;

private:
    std::string tag_;
    std::string text_;
};

class FakeEntity final : public Entity {
public:
    FakeEntity(std::string type, std::string handle) : type_(std::move(type)), handle_(std::move(handle)) { }
    std::string typeName() const override { return type_; }
    std::string handle() const override { return handle_; }
    std::string layer() const override { return layer_; }
    void setLayer(const std::string& layer) override { layer_ = layer; }
    int color() const override { return color_; }
    void setColor(int color) override { color_ = color; }
    double rotation() const override { return rotation_; }
    void setRotation(double radians) override { rotation_ = radians; }
    Point3 insertionPoint() const override { return point; }
    bool hasAttributes() const override { return !getAttributes().empty(); }
    std::vector<std::shared_ptr<AttributeReference>> getAttributes() const override
    {
        if (type_ != "IAcadBlockReference")
            throw HostError("Member not found");
        return {};
    }
    void update() override { }
    void erase() override { }

    Point3 point;
    std::string name;
    double scales[3] = {1, 1, 1};

private:
    std::string type_;
    std::string handle_;
    std::string layer_ = "0";
    int color_ = 256;
    double rotation_ = 0;
};

class FakeLayer final : public Layer {
public:
    explicit FakeLayer(std::string name) : name_(std::move(name)) { }
    std::string typeName() const override { return "IAcadLayer"; }
    std::string name() const override { return name_; }
    int color() const override { return color_; }
    void setColor(int color) override { color_ = color; }
    int lineWeight() const override { return lineWeight_; }
    void setLineWeight(int lineWeight) override { lineWeight_ = lineWeight; }

private:
    std::string name_;
    int color_ = 7;
    int lineWeight_ = -3;
};

class FakeStyle final : public TextStyle {
public:
    explicit FakeStyle(std::string name) : name_(std::move(name)) { }
    std::string typeName() const override { return "IAcadTextStyle"; }
    std::string name() const override { return name_; }
    double height() const override { return height_; }
    void setHeight(double height) override { height_ = height; }
    void setFont(const std::string& typeface, bool b, bool i, int charSet, int pitch) override
    {
        typeface_ = typeface;
        bold = b;
        italic = i;
        this->charSet = charSet;
        pitchAndFamily = pitch;
    }
    std::string fontTypeface() const override { return typeface_; }

    bool bold = false;
    bool italic = false;
    int charSet = 0;
    int pitchAndFamily = 0;

private:
    std::string name_;
    double height_ = 0;
    std::string typeface_;
};

class FakeBlock final : public Block {
public:
    FakeBlock(std::string name, std::string type = "IAcadBlock")
        : name_(std::move(name)), type_(std::move(type))
    {
    }
    std::string typeName() const override { return type_; }
    std::string name() const override { return name_; }
    std::shared_ptr<AttributeDefinition> addAttribute(double height, int mode, const std::string& prompt,
                                                      const Point3& point, const std::string& tag,
                                                      const std::string& value) override
    {
        auto definition = std::make_shared<FakeDefinition>(tag, value);
        definition->height = height;
        definition->mode = mode;
        definition->prompt = prompt;
        definition->point = point;
        definitions.push_back(definition);
        return definition;
    }
    std::vector<std::shared_ptr<AttributeDefinition>> attributeDefinitions() const override
    {
        return {definitions.begin(), definitions.end()};
    }

    std::vector<std::shared_ptr<FakeDefinition>> definitions;

private:
    std::string name_;
    std::string type_;
};

// A named collection whose Item fails for a missing name, as the host's do.
template <class Interface, class Item> class FakeTable : public Interface {
public:
    explicit FakeTable(std::string type) : type_(std::move(type)) { }
    std::string typeName() const override { return type_; }
    long count() const override { return static_cast<long>(items.size()); }
    std::shared_ptr<Item> item(const std::string& name) const override
    {
        auto found = items.find(name);
        if (found == items.end())
            throw HostError("Key not found");
        return found->second;
    }
    std::map<std::string, std::shared_ptr<Item>> items;

private:
    std::string type_;
};

template <class Interface, class Item, class Fake>
class FakeAddableTable final : public FakeTable<Interface, Item> {
public:
    using FakeTable<Interface, Item>::FakeTable;
    std::shared_ptr<Item> add(const std::string& name) override
    {
        auto& slot = this->items[name];
        if (!slot)
            slot = std::make_shared<Fake>(name);
        return slot;
    }
};

class FakeModelSpace final : public ModelSpace {
public:
    std::string typeName() const override { return "IAcadModelSpace"; }
    long count() const override { return static_cast<long>(entities.size()); }
    std::shared_ptr<Entity> item(long index) const override
    {
        if (index < 0 || index >= count())
            throw HostError("Invalid index");
        return entities[static_cast<std::size_t>(index)];
    }
    std::shared_ptr<Entity> insertBlock(const Point3& point, const std::string& name, double xs, double ys,
                                        double zs, double rotation) override
    {
        auto entity = newEntity("IAcadBlockReference");
        entity->point = point;
        entity->name = name;
        entity->scales[0] = xs;
        entity->scales[1] = ys;
        entity->scales[2] = zs;
        entity->setRotation(rotation);
        return entity;
    }
    std::shared_ptr<Entity> addText(const std::string& text, const Point3& point, double height) override
    {
        auto entity = newEntity("IAcadText");
        entity->point = point;
        entity->name = text;
        entity->scales[0] = height;
        return entity;
    }
    std::shared_ptr<FakeEntity> newEntity(const std::string& type)
    {
        char handle[16];
        std::snprintf(handle, sizeof handle, "%X", nextHandle++);
        auto entity = std::make_shared<FakeEntity>(type, handle);
        entities.push_back(entity);
        return entity;
    }

    std::vector<std::shared_ptr<FakeEntity>> entities;
    unsigned nextHandle = 0x2A0;
};

class FakeSummary final : public SummaryInfo {
public:
    std::string typeName() const override { return "IAcadSummaryInfo"; }
    void getCustomByKey(const std::string& key, std::string& value) const override
    {
        auto found = custom.find(key);
        if (found == custom.end())
            throw HostError("Key not found");
        value = found->second;
    }
    void setCustomByKey(const std::string& key, const std::string& value) override
    {
        auto found = custom.find(key);
        if (found == custom.end())
            throw HostError("Key not found");
        found->second = value;
    }
    void addCustomInfo(const std::string& key, const std::string& value) override
    {
        if (!custom.emplace(key, value).second)
            throw HostError("Duplicate key");
    }
    long numCustomInfo() const override { return static_cast<long>(custom.size()); }

    std::map<std::string, std::string> custom;
};

class FakeSelectionSet;

class FakeSelectionSets final : public SelectionSets {
public:
    explicit FakeSelectionSets(std::shared_ptr<FakeModelSpace> space) : space_(std::move(space)) { }
    std::string typeName() const override { return "IAcadSelectionSets"; }
    long count() const override { return static_cast<long>(sets.size()); }
    std::shared_ptr<SelectionSet> item(const std::string& name) const override;
    std::shared_ptr<SelectionSet> add(const std::string& name) override;

    std::map<std::string, std::shared_ptr<FakeSelectionSet>> sets;

private:
    std::shared_ptr<FakeModelSpace> space_;
};

// Selects the entities whose layer is the code 8 filter value.
class FakeSelectionSet final : public SelectionSet {
public:
    FakeSelectionSet(std::string name, FakeSelectionSets* owner, std::shared_ptr<FakeModelSpace> space)
        : name_(std::move(name)), owner_(owner), space_(std::move(space))
    {
    }
    std::string typeName() const override { return "IAcadSelectionSet"; }
    std::string name() const override { return name_; }
    void select(int mode, const std::vector<std::int16_t>& types,
                const std::vector<std::string>& data) override
    {
        lastMode = mode;
        lastTypes = types;
        lastData = data;
        selected.clear();
        for (const auto& entity : space_->entities) {
            bool match = true;
            for (std::size_t i = 0; i < types.size(); ++i)
                if (types[i] == 8 && entity->layer() != data[i])
                    match = false;
            if (match)
                selected.push_back(entity);
        }
    }
    long count() const override { return static_cast<long>(selected.size()); }
    std::shared_ptr<Entity> item(long index) const override
    {
        if (index < 0 || index >= count())
            throw HostError("Invalid index");
        return selected[static_cast<std::size_t>(index)];
    }
    void erase() override { owner_->sets.erase(name_); }

    int lastMode = -1;
    std::vector<std::int16_t> lastTypes;
    std::vector<std::string> lastData;
    std::vector<std::shared_ptr<FakeEntity>> selected;

private:
    std::string name_;
    FakeSelectionSets* owner_;
    std::shared_ptr<FakeModelSpace> space_;
};

inline std::shared_ptr<SelectionSet> FakeSelectionSets::item(const std::string& name) const
{
    auto found = sets.find(name);
    if (found == sets.end())
        throw HostError("Key not found");
    return found->second;
}

inline std::shared_ptr<SelectionSet> FakeSelectionSets::add(const std::string& name)
{
    if (sets.count(name))
        throw HostError("Duplicate record name");
    auto set = std::make_shared<FakeSelectionSet>(name, this, space_);
    sets[name] = set;
    return set;
}

// Answers GetPoint from a queue of points; an empty queue is a cancel.
class FakeUtility final : public Utility {
public:
    std::string typeName() const override { return "IAcadUtility"; }
    Point3 getPoint(const std::string& prompt) override
    {
        prompts.push_back(prompt);
        if (points.empty())
            throw HostError("User input is a cancel");
        Point3 p = points.front();
        points.pop_front();
        return p;
    }
    std::deque<Point3> points;
    std::vector<std::string> prompts;
};

class FakeDocument final : public Document {
public:
    FakeDocument()
        : space(std::make_shared<FakeModelSpace>()),
          blockTable(std::make_shared<FakeTable<Blocks, Block>>("IAcadBlocks")),
          layerTable(std::make_shared<FakeAddableTable<Layers, Layer, FakeLayer>>("IAcadLayers")),
          styleTable(std::make_shared<FakeAddableTable<TextStyles, TextStyle, FakeStyle>>("IAcadTextStyles")),
          sets(std::make_shared<FakeSelectionSets>(space)), summary(std::make_shared<FakeSummary>()),
          picker(std::make_shared<FakeUtility>())
    {
        current = layerTable->add("0");
        currentStyle = styleTable->add("Standard");
    }
    std::string typeName() const override { return "IAcadDocument"; }
    std::string name() const override { return "Rysunek1.dwg"; }
    std::shared_ptr<ModelSpace> modelSpace() override { return space; }
    std::shared_ptr<Blocks> blocks() override { return blockTable; }
    std::shared_ptr<Layers> layers() override { return layerTable; }
    std::shared_ptr<TextStyles> textStyles() override { return styleTable; }
    std::shared_ptr<SelectionSets> selectionSets() override { return sets; }
    std::shared_ptr<SummaryInfo> summaryInfo() override { return summary; }
    std::shared_ptr<Utility> utility() override { return picker; }
    std::shared_ptr<Entity> handleToObject(const std::string& handle) override
    {
        for (const auto& entity : space->entities)
            if (entity->handle() == handle)
                return entity;
        throw HostError("Invalid object handle");
    }
    void sendCommand(const std::string& text) override { commands.push_back(text); }
    std::string getVariable(const std::string& name) override
    {
        if (name != "LASTPROMPT")
            throw HostError("Invalid system variable");
        return commands.empty() ? std::string("Command:") : commands.back();
    }
    std::shared_ptr<Layer> activeLayer() override { return current; }
    void setActiveLayer(const std::shared_ptr<Layer>& layer) override { current = layer; }
    std::shared_ptr<TextStyle> activeTextStyle() override { return currentStyle; }
    void setActiveTextStyle(const std::shared_ptr<TextStyle>& style) override { currentStyle = style; }

    std::shared_ptr<FakeModelSpace> space;
    std::shared_ptr<FakeTable<Blocks, Block>> blockTable;
    std::shared_ptr<FakeAddableTable<Layers, Layer, FakeLayer>> layerTable;
    std::shared_ptr<FakeAddableTable<TextStyles, TextStyle, FakeStyle>> styleTable;
    std::shared_ptr<FakeSelectionSets> sets;
    std::shared_ptr<FakeSummary> summary;
    std::shared_ptr<FakeUtility> picker;
    std::shared_ptr<Layer> current;
    std::shared_ptr<TextStyle> currentStyle;
    std::vector<std::string> commands;
};

class FakeState final : public HostState {
public:
    std::string typeName() const override { return "IAcadState"; }
    bool isQuiescent() const override { return quiescent; }
    bool quiescent = true;
};

class FakeApplication final : public Application {
public:
    std::string typeName() const override { return "IAcadApplication"; }
    bool visible() const override { return visible_; }
    void setVisible(bool visible) override { visible_ = visible; }
    std::shared_ptr<HostState> getAcadState() override { return state; }
    long documentsCount() const override { return document ? 1 : 0; }
    std::shared_ptr<Document> activeDocument() override
    {
        if (!document)
            throw HostError("No document is open");
        return document;
    }
    std::string blockFileExtension() const override { return ".dxf"; }

    std::shared_ptr<FakeDocument> document = std::make_shared<FakeDocument>();
    std::shared_ptr<FakeState> state = std::make_shared<FakeState>();

private:
    bool visible_ = false;
};

} // namespace lumo::cad::com::testing
