// What a drawing window reads of a drawing: the entities of model space and
// of the blocks as plain values (type, layer, groups, sub-records), the
// blocks, the layers with their colour and state, and a count of the changes
// the host announced. Over the embedded host's open drawing, or over a file
// read on its own (a block's icon, the window shown without a host).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::dxf {
class Document;
}

namespace lumo::cad::embedded {

// Colour numbers as entities store them (group 62).
inline constexpr int kDrawColourByBlock = 0;
inline constexpr int kDrawColourByLayer = 256;
// Line weights as entities and layers store them (group 370, else
// hundredths of a millimetre).
inline constexpr int kDrawWeightByLayer = -1;
inline constexpr int kDrawWeightByBlock = -2;
inline constexpr int kDrawWeightDefault = -3;
// Attribute flags (group 70 of ATTDEF and ATTRIB).
inline constexpr int kDrawAttInvisible = 1;
inline constexpr int kDrawAttConstant = 2;

// One group of an entity: its code and its value as stored in the file
// (undecoded; DrawingReader::decode gives the text). The value lives as long
// as the drawing is not changed.
struct DrawingGroup {
    int code = 0;
    std::string_view value;

    // The value as a number (0 when it is not one).
    double number() const;
    long long integer() const;
};

class DrawingReader;

// An entity with its groups and the records that follow it (the attributes
// of a block reference, the vertices of a polyline).
class DrawingEntity {
public:
    const std::string& type() const { return type_; } // "LINE", "INSERT", ...
    const std::string& layer() const { return layer_; } // "0" when absent
    const std::vector<DrawingGroup>& groups() const { return groups_; }
    const std::vector<DrawingEntity>& children() const { return children_; }
    // The first value of this code as UTF-8 text ("" when absent).
    std::string text(int code) const;

private:
    friend class DrawingReader;
    friend struct EntityMaker;
    const dxf::Document* doc_ = nullptr;
    std::string type_;
    std::string layer_;
    std::vector<DrawingGroup> groups_;
    std::vector<DrawingEntity> children_;
};

struct DrawingBlock {
    std::string name;
    double baseX = 0.0, baseY = 0.0;
    std::vector<DrawingEntity> entities;
};

struct DrawingLayer {
    std::string name;
    int colour = 7; // 1..255, also when the layer is off
    bool on = true;
    bool frozen = false;
    int lineWeight = kDrawWeightDefault;
};

// A drawing failed to read: why, with the line of the file when known.
class DrawingReadError : public std::runtime_error {
public:
    DrawingReadError(std::string reason, std::size_t line);
    const std::string& reason() const noexcept { return reason_; }
    std::size_t line() const noexcept { return line_; }

private:
    std::string reason_;
    std::size_t line_;
};

// What changed in a drawing since a mark (see DrawingReader::changesSince).
struct DrawingChanges {
    // Keys of the entities changed, added or deleted (a changed attribute
    // or vertex counts for its block reference or polyline), ascending.
    std::vector<std::uint32_t> entities;
    std::vector<std::string> headerVariables; // "$LWDEFAULT", ...
    bool layers = false; // the tables: layers, styles, ...
    bool blocks = false;
};

// Cheap to copy; an empty reader reads no drawing. It keeps its drawing
// alive as long as it lives.
class DrawingReader {
public:
    DrawingReader() = default;
    // serial counts the changes announced to a window (none: always 0).
    explicit DrawingReader(std::shared_ptr<const dxf::Document> document,
                           std::shared_ptr<const std::uint64_t> serial = {});
    // Over a drawing kept by someone else, which must outlive the reader.
    static DrawingReader Borrowed(const dxf::Document& document);

    explicit operator bool() const { return doc_ != nullptr; }
    // Two readers of the same drawing are equal.
    friend bool operator==(const DrawingReader& a, const DrawingReader& b) { return a.doc_ == b.doc_; }

    std::size_t modelSpaceCount() const;
    // Calls each for the model-space entities from index first on, in
    // order, until it returns false; false when it was stopped.
    bool forEachModelSpace(std::size_t first,
                           const std::function<bool(std::size_t index, const DrawingEntity&)>& each) const;
    // Each entity has a key of its own, the same as long as the drawing is
    // open (through edits, undo and redo): the keys of the model-space
    // entities, in order.
    std::vector<std::uint32_t> modelSpaceKeys() const;
    // The entity of this key; DrawingReadError when there is none.
    DrawingEntity entity(std::uint32_t key) const;
    // A mark of the drawing as it stands, and what changed since a mark
    // (nullopt when that can no longer be told: draw it all anew).
    std::uint64_t changeMark() const;
    std::optional<DrawingChanges> changesSince(std::uint64_t mark) const;
    // The block of this name (any case), layouts included.
    std::optional<DrawingBlock> findBlock(std::string_view name) const;
    std::vector<DrawingLayer> layers() const;
    // The layer new entities go on ("0" when the drawing names none).
    std::string currentLayer() const;
    // What a "default" line weight stands for, in hundredths of a millimetre.
    int defaultLineWeight() const;
    // How many millimetres one drawing unit is (the drawing's own units;
    // millimetres when it names none).
    double unitInMillimetres() const;
    // A custom drawing property as UTF-8 text (nullopt when absent).
    std::optional<std::string> customProperty(std::string_view name) const;
    // File bytes (a group's value) as UTF-8 text, escapes resolved.
    std::string decode(std::string_view raw) const;
    // Changed since it was read or last written.
    bool modified() const;
    // Grows with every change announced to the window.
    std::uint64_t serial() const { return serial_ ? *serial_ : 0; }

private:
    std::shared_ptr<const dxf::Document> doc_;
    std::shared_ptr<const std::uint64_t> serial_;
};

// Reads a DXF file for code that has no host (a block's icon);
// DrawingReadError when it cannot be read.
DrawingReader ReadDrawing(const std::string& path);

} // namespace lumo::cad::embedded
