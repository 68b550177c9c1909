// The CAD host as the program sees it: the objects and members it calls,
// whatever program answers them (the automation host on Windows, the
// embedded host everywhere). Strings are UTF-8; angles are radians, as the
// automation model has them; every failure the host reports is a HostError.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace lumo::cad {

struct Point3 {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    friend bool operator==(const Point3&, const Point3&) = default;
};

// A failure reported by the host (a missing item, a refused call, a cancel
// while waiting for the designer). what() carries the host's own message.
class HostError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The host refused the call because it is busy (a command or a dialog of its
// own is running) and went on refusing while the call was retried. Asking
// again later may well succeed.
class HostBusy : public HostError {
public:
    using HostError::HostError;
};

class HostObject {
public:
    virtual ~HostObject() = default;
    // The automation type name ("IAcadBlock", "IAcadLayer", ...).
    virtual std::string typeName() const = 0;
};

class AttributeReference : public HostObject {
public:
    virtual std::string tagString() const = 0;
    virtual std::string textString() const = 0;
    virtual void setTextString(const std::string& text) = 0;
};

// An attribute definition inside a block definition ("IAcadAttribute").
class AttributeDefinition : public HostObject {
public:
    virtual std::string tagString() const = 0;
    virtual std::string textString() const = 0;
};

// Any entity of a drawing. Members that only some entities have (the
// attributes of a block reference) fail with HostError on the others, as a
// late-bound call of a missing member does.
class Entity : public HostObject {
public:
    virtual std::string handle() const = 0;
    virtual std::string layer() const = 0;
    virtual void setLayer(const std::string& layer) = 0;
    virtual int color() const = 0;
    virtual void setColor(int color) = 0;
    virtual double rotation() const = 0;
    virtual void setRotation(double radians) = 0;
    virtual Point3 insertionPoint() const = 0;
    virtual bool hasAttributes() const = 0;
    virtual std::vector<std::shared_ptr<AttributeReference>> getAttributes() const = 0;
    virtual void update() = 0;
    virtual void erase() = 0; // DELETE
};

class Layer : public HostObject {
public:
    virtual std::string name() const = 0;
    virtual int color() const = 0;
    virtual void setColor(int color) = 0;
    virtual int lineWeight() const = 0;
    virtual void setLineWeight(int lineWeight) = 0;
};

class TextStyle : public HostObject {
public:
    virtual std::string name() const = 0;
    virtual double height() const = 0;
    virtual void setHeight(double height) = 0;
    virtual void setFont(const std::string& typeface, bool bold, bool italic, int charSet, int pitchAndFamily)
        = 0;
    virtual std::string fontTypeface() const = 0;
};

class Block : public HostObject {
public:
    virtual std::string name() const = 0;
    virtual std::shared_ptr<AttributeDefinition>
    addAttribute(double height, int mode, const std::string& prompt, const Point3& insertionPoint,
                 const std::string& tag, const std::string& value)
        = 0;
    // The attribute definitions of the block, in their order.
    virtual std::vector<std::shared_ptr<AttributeDefinition>> attributeDefinitions() const = 0;
};

class Blocks : public HostObject {
public:
    virtual long count() const = 0;
    // The definition of that name; model and paper space answer too, with
    // their own type names ("IAcadModelSpace").
    virtual std::shared_ptr<Block> item(const std::string& name) const = 0;
};

class Layers : public HostObject {
public:
    virtual long count() const = 0;
    virtual std::shared_ptr<Layer> item(const std::string& name) const = 0;
    virtual std::shared_ptr<Layer> add(const std::string& name) = 0;
};

class TextStyles : public HostObject {
public:
    virtual long count() const = 0;
    virtual std::shared_ptr<TextStyle> item(const std::string& name) const = 0;
    virtual std::shared_ptr<TextStyle> add(const std::string& name) = 0;
};

class ModelSpace : public HostObject {
public:
    virtual long count() const = 0;
    virtual std::shared_ptr<Entity> item(long index) const = 0;
    // name: a block name, or the full path of a block file to load.
    virtual std::shared_ptr<Entity> insertBlock(const Point3& point, const std::string& name, double xScale,
                                                double yScale, double zScale, double rotation)
        = 0;
    virtual std::shared_ptr<Entity> addText(const std::string& text, const Point3& point, double height) = 0;
};

class SummaryInfo : public HostObject {
public:
    // Fails when the drawing has no such key.
    virtual void getCustomByKey(const std::string& key, std::string& value) const = 0;
    // Fails when the drawing has no such key.
    virtual void setCustomByKey(const std::string& key, const std::string& value) = 0;
    // Fails when the key exists already.
    virtual void addCustomInfo(const std::string& key, const std::string& value) = 0;
    virtual long numCustomInfo() const = 0;
};

class SelectionSet : public HostObject {
public:
    virtual std::string name() const = 0;
    // Mode 5 selects the whole drawing; types and data are the paired filter
    // arrays (group codes 0, 2, 8 and their patterns).
    virtual void select(int mode, const std::vector<std::int16_t>& filterTypes,
                        const std::vector<std::string>& filterData)
        = 0;
    virtual long count() const = 0;
    virtual std::shared_ptr<Entity> item(long index) const = 0;
    virtual void erase() = 0; // DELETE
};

class SelectionSets : public HostObject {
public:
    virtual long count() const = 0;
    virtual std::shared_ptr<SelectionSet> item(const std::string& name) const = 0;
    virtual std::shared_ptr<SelectionSet> add(const std::string& name) = 0;
};

class Utility : public HostObject {
public:
    // Waits for the designer to pick a point; fails on cancel.
    virtual Point3 getPoint(const std::string& prompt) = 0;
};

class Document : public HostObject {
public:
    virtual std::string name() const = 0;
    virtual std::shared_ptr<ModelSpace> modelSpace() = 0;
    virtual std::shared_ptr<Blocks> blocks() = 0;
    virtual std::shared_ptr<Layers> layers() = 0;
    virtual std::shared_ptr<TextStyles> textStyles() = 0;
    virtual std::shared_ptr<SelectionSets> selectionSets() = 0;
    virtual std::shared_ptr<SummaryInfo> summaryInfo() = 0;
    virtual std::shared_ptr<Utility> utility() = 0;
    virtual std::shared_ptr<Entity> handleToObject(const std::string& handle) = 0;
    // Runs the text as if typed; returns when the command waits for input.
    virtual void sendCommand(const std::string& text) = 0;
    // System variables; the program reads only "LASTPROMPT".
    virtual std::string getVariable(const std::string& name) = 0;
    virtual std::shared_ptr<Layer> activeLayer() = 0;
    virtual void setActiveLayer(const std::shared_ptr<Layer>& layer) = 0;
    virtual std::shared_ptr<TextStyle> activeTextStyle() = 0;
    virtual void setActiveTextStyle(const std::shared_ptr<TextStyle>& style) = 0;
};

class HostState : public HostObject {
public:
    virtual bool isQuiescent() const = 0;
};

class Application : public HostObject {
public:
    virtual bool visible() const = 0;
    virtual void setVisible(bool visible) = 0;
    virtual std::shared_ptr<HostState> getAcadState() = 0;
    virtual long documentsCount() const = 0;
    virtual std::shared_ptr<Document> activeDocument() = 0;
    // The extension of this host's block files: ".dwg" or ".dxf".
    virtual std::string blockFileExtension() const = 0;
    // Writes the drawings back when they changed. The program calls it when
    // it ends; a host that keeps its own drawings (the automation host) has
    // nothing to do.
    virtual void saveIfChanged() { }
    // Brings the host's window to the front, before the designer is asked
    // to place something in it. A window that cannot be found or brought
    // forward stays where it is: the designer can still switch to it.
    virtual void bringToFront() { }
};

} // namespace lumo::cad
