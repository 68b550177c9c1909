// A DXF drawing kept losslessly: every group the engine does not interpret
// stays as it was read, so load + save gives back the same bytes, and an edit
// rewrites only the records it touches.
//
// All strings going in and out of this API are UTF-8; the engine converts
// from and to the drawing's code page ($DWGCODEPAGE before AC1021) and
// decodes \U+XXXX / \M+nXXXX escapes. Raw group values (Group::value) are the
// bytes of the file, undecoded.
//
// Objects (Layer, Entity, Block, ...) are small handles into their Document:
// cheap to copy, valid as long as the Document lives (moving the Document
// keeps them valid), and still valid after other records are added or
// deleted. A deleted entity's handle reports isDeleted().
#pragma once

#include "dxf/error.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumo::dxf {

struct DocData; // the document's internals
struct Access; // the engine's own access to handles

struct Point {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
    friend bool operator==(const Point&, const Point&) = default;
};

// One group code/value pair as stored. value is the raw value line without
// its line end (trailing spaces kept), in the file's encoding.
struct Group {
    int code = 0;
    std::string_view value;

    // The value as a number (leading/trailing blanks ignored; 0 if not a
    // number). Meant for coordinates, heights, flags.
    double number() const;
    long long integer() const;
};

// Colour numbers as stored in group 62.
inline constexpr int kColourByBlock = 0;
inline constexpr int kColourByLayer = 256;
// Line weights as stored in group 370 (hundredths of a millimetre).
inline constexpr int kLineWeightByLayer = -1;
inline constexpr int kLineWeightByBlock = -2;
inline constexpr int kLineWeightDefault = -3;

// Group-level access shared by every record (entities, table records, ...).
class Record {
public:
    Record() = default;
    bool valid() const { return doc_ != nullptr; }
    // "INSERT", "LAYER", "DICTIONARY", ...
    std::string typeName() const;
    // The handle as upper-case hex text ("" when the record has none, as
    // R12 drawings without $HANDLING may have).
    std::string handle() const;
    // Owner handle (group 330), "" when absent.
    std::string ownerHandle() const;

    std::size_t groupCount() const;
    Group group(std::size_t index) const;
    std::vector<Group> groups() const;
    // The first group with this code (after the type), if any.
    std::optional<Group> find(int code) const;
    // The first value of this code decoded to UTF-8 ("" when absent).
    std::string text(int code) const;
    // The first value of this code as a number (fallback when absent).
    double number(int code, double fallback = 0.0) const;
    // Sets the first group with this code, adding it when missing (at the
    // place the record's version expects it as far as the engine knows).
    void setText(int code, std::string_view utf8);
    void setNumber(int code, double value);
    void setInteger(int code, long long value);
    // Sets the value of the group at this index (as group(index) counts),
    // keeping its code: one of several groups of the same code, such as a
    // vertex of a light-weight polyline.
    void setGroupNumber(std::size_t index, double value);

    // A number of the record's own, the same as long as the drawing is open
    // (through edits, undo and redo) and never given to another record.
    std::uint32_t number() const { return id_; }

    friend bool operator==(const Record& a, const Record& b) { return a.doc_ == b.doc_ && a.id_ == b.id_; }

protected:
    Record(DocData* doc, std::uint32_t id) : doc_(doc), id_(id) { }
    DocData* doc_ = nullptr;
    std::uint32_t id_ = 0;
    friend class Document;
    friend struct DocData;
    friend struct Access;
};

class Layer : public Record {
public:
    Layer() = default;
    std::string name() const;
    // Colour number 1..255 (positive even when the layer is off).
    int colour() const;
    void setColour(int colour);
    int lineWeight() const; // kLineWeightDefault when absent
    void setLineWeight(int lineWeight);
    bool isOn() const; // negative colour = off
    void setOn(bool on);
    bool isFrozen() const; // flag 1
    void setFrozen(bool frozen);
    bool isLocked() const; // flag 4
    void setLocked(bool locked);
    // Visible in the viewer: on and not frozen.
    bool isVisible() const { return isOn() && !isFrozen(); }

private:
    using Record::Record;
    friend class Document;
    friend struct DocData;
    friend struct Access;
};

class TextStyle : public Record {
public:
    TextStyle() = default;
    std::string name() const;
    double height() const; // fixed height, 0 = not fixed
    void setHeight(double height);
    // Primary font file (group 3, "arial.ttf", "txt").
    std::string fontFile() const;
    void setFontFile(std::string_view fontFile);
    // TrueType family name (ACAD xdata 1000) when present, else "".
    std::string typeface() const;

private:
    using Record::Record;
    friend class Document;
    friend struct DocData;
    friend struct Access;
};

class Entity;
class BlockReference;
class Text;
class AttributeReference;
class AttributeDefinition;

// Any entity: in model space, paper space or a block definition.
class Entity : public Record {
public:
    Entity() = default;
    bool isDeleted() const;
    std::string layer() const; // "0" when absent
    void setLayer(std::string_view layer);
    int colour() const; // kColourByLayer when absent
    void setColour(int colour);
    double rotation() const; // degrees, as stored (group 50)
    void setRotation(double degrees);
    Point insertionPoint() const; // groups 10/20/30
    void setInsertionPoint(const Point& p);
    bool inPaperSpace() const; // group 67 = 1

    // Records that belong to this entity and follow it in the file: the
    // ATTRIBs of an INSERT, the VERTEXes of a POLYLINE, then the SEQEND.
    std::vector<Entity> children() const;

    bool isBlockReference() const; // INSERT
    bool isText() const; // TEXT
    BlockReference asBlockReference() const; // throws DxfError if not INSERT
    Text asText() const; // throws DxfError if not TEXT

private:
    using Record::Record;
    friend class Document;
    friend class Block;
    friend class BlockReference;
    friend struct DocData;
    friend struct Access;
};

class AttributeReference : public Entity {
public:
    AttributeReference() = default;
    std::string tag() const;
    std::string value() const;
    void setValue(std::string_view utf8);
    double height() const;

private:
    using Entity::Entity;
    friend class BlockReference;
    friend struct DocData;
    friend struct Access;
};

class BlockReference : public Entity {
public:
    BlockReference() = default;
    std::string blockName() const;
    Point scale() const; // 41/42/43, 1 when absent
    void setScale(const Point& s);
    bool hasAttributes() const;
    std::vector<AttributeReference> attributes() const;
    // The attribute with this tag (case-insensitive), if any.
    std::optional<AttributeReference> attribute(std::string_view tag) const;

private:
    using Entity::Entity;
    friend class Entity;
    friend class Document;
    friend struct DocData;
    friend struct Access;
};

class Text : public Entity {
public:
    Text() = default;
    std::string value() const;
    void setValue(std::string_view utf8);
    double height() const;
    void setHeight(double height);
    std::string style() const; // "Standard"/"STANDARD" when absent
    void setStyle(std::string_view style);

private:
    using Entity::Entity;
    friend class Entity;
    friend class Document;
    friend struct DocData;
    friend struct Access;
};

// ATTDEF mode flags (group 70).
inline constexpr int kAttInvisible = 1;
inline constexpr int kAttConstant = 2;
inline constexpr int kAttVerify = 4;
inline constexpr int kAttPreset = 8;

class AttributeDefinition : public Entity {
public:
    AttributeDefinition() = default;
    std::string tag() const;
    std::string defaultValue() const;
    void setDefaultValue(std::string_view utf8);
    std::string prompt() const;
    double height() const;
    int flags() const; // kAtt* bits
    std::string style() const;

private:
    using Entity::Entity;
    friend class Block;
    friend class Document;
    friend struct DocData;
    friend struct Access;
};

// What a new attribute definition holds.
struct NewAttributeDefinition {
    std::string tag;
    std::string defaultValue;
    std::string prompt;
    Point point;
    double height = 2.5;
    int flags = 0;
    double rotation = 0.0; // degrees
    std::string layer = "0";
    std::string style; // "" = the drawing's standard style
};

// A block definition (BLOCK ... ENDBLK with its BLOCK_RECORD).
class Block : public Record {
public:
    Block() = default;
    std::string name() const;
    Point basePoint() const;
    int flags() const; // BLOCK group 70
    bool isLayout() const; // *Model_Space, *Paper_Space*, $MODEL_SPACE, ...
    // Entities of the block, in order (sub-records are reached by children()).
    std::vector<Entity> entities() const;
    std::vector<AttributeDefinition> attributeDefinitions() const;
    AttributeDefinition addAttributeDefinition(const NewAttributeDefinition& definition);
    // The BLOCK_RECORD table record (invalid in R12, which has none).
    Record blockRecord() const;

private:
    using Record::Record;
    friend class Document;
    friend struct DocData;
    friend struct Access;
};

struct CustomProperty {
    std::string name;
    std::string value;
    friend bool operator==(const CustomProperty&, const CustomProperty&) = default;
};

// Search of model-space block references; empty fields match everything.
// Patterns: '*' any run, '?' one character, ',' separates alternatives;
// case is ignored, as CAD selection filters do.
struct ReferenceQuery {
    std::string layer; // pattern on the layer name
    std::string blockName; // pattern on the block name
    std::string attributeTag; // pattern on the tag of some attribute ...
    std::string attributeValue; // ... whose value matches this pattern
};

// Entities picked by their type, layer and block name, as selection sets
// filter them. Every pattern of a list must match (wildcards as in
// wildcardMatch, case ignored); an empty list lets every entity pass, and a
// block name pattern lets only block references pass.
struct EntityFilter {
    std::vector<std::string> types;
    std::vector<std::string> layers;
    std::vector<std::string> blockNames;
};

// Case-insensitive wildcard match as used by ReferenceQuery.
bool wildcardMatch(std::string_view pattern, std::string_view text);
// Case-insensitive equality of UTF-8 names (layers, styles, blocks).
bool sameName(std::string_view a, std::string_view b);

class Document {
public:
    // A new empty drawing of the given version ("AC1009" ... "AC1032").
    static Document create(std::string_view version = "AC1032");
    // Throws DxfError (with the line) on malformed input; binary DXF is refused.
    static Document load(const std::string& path);
    // The same, telling `progress` the share done so far (0 to 1) now and
    // then; when it returns false the load stops with LoadCancelled.
    using LoadProgress = std::function<bool(double done)>;
    static Document load(const std::string& path, const LoadProgress& progress);
    static Document fromMemory(std::string bytes);

    Document(Document&&) noexcept;
    Document& operator=(Document&&) noexcept;
    ~Document();

    // Atomic save: a temporary file in the same folder renamed over the
    // target; an existing target is kept as "<target>.bak". At no moment is
    // the target anything but a complete version, and once a .bak exists
    // some complete earlier version is there as .bak. Throws SaveError
    // (the target as it was).
    void save(const std::string& path) const;
    std::string toString() const;
    // True once anything was changed since load (or the last save).
    bool isModified() const;
    // The bytes the drawing was read from (file or memory), as they were.
    std::string_view bytesRead() const;

    // ---- header
    std::string version() const; // "AC1015"; "AC1009" when absent
    int versionNumber() const; // 1015
    std::string codePage() const; // "ANSI_1252" when absent
    bool isUtf8() const; // AC1021 and later
    // Names of the header variables in order ("$ACADVER", ...; duplicates kept).
    std::vector<std::string> headerVariables() const;
    // The groups of a header variable (first occurrence), empty if absent.
    std::vector<Group> headerGroups(std::string_view name) const;
    // The first value of a variable decoded to UTF-8, if the variable exists.
    std::optional<std::string> headerText(std::string_view name) const;
    std::optional<Point> headerPoint(std::string_view name) const;
    // Sets a single-value variable (adds it at the end of the header when missing).
    // Setting $DWGCODEPAGE changes how every string of the drawing is read
    // and written: meant for new drawings, before text is added.
    void setHeaderText(std::string_view name, int code, std::string_view utf8);
    void setHeaderNumber(std::string_view name, int code, double value);
    void setHeaderPoint(std::string_view name, const Point& p);
    std::string handseed() const;
    // What the designer should know about a drawing that reads: an unknown
    // code page (its letters outside ASCII cannot be read), names in the
    // tables written as \U+XXXX escapes (which some readers refuse in older
    // versions). One sentence each; empty for most drawings.
    std::vector<std::string> warnings() const;

    // ---- custom drawing properties ($CUSTOMPROPERTY pairs from AC1018, the
    // DWGPROPS xrecord in AC1014/AC1015). R12 cannot hold them: DxfError.
    std::vector<CustomProperty> customProperties() const;
    std::optional<std::string> customProperty(std::string_view name) const;
    // Changes the value; adds the property when missing.
    void setCustomProperty(std::string_view name, std::string_view value);
    // Adds a property; DxfError when one of that name exists.
    void addCustomProperty(std::string_view name, std::string_view value);

    // ---- layers
    std::vector<Layer> layers() const;
    std::optional<Layer> findLayer(std::string_view name) const; // ignores case
    // DxfError if the name exists or is not a valid name.
    Layer addLayer(std::string_view name, int colour = 7, int lineWeight = kLineWeightDefault);

    // ---- text styles
    std::vector<TextStyle> textStyles() const;
    std::optional<TextStyle> findTextStyle(std::string_view name) const;
    TextStyle addTextStyle(std::string_view name, double height, std::string_view fontFile,
                           std::string_view typeface = {});

    // ---- block definitions
    std::vector<Block> blocks() const; // every BLOCK, layouts included
    std::optional<Block> findBlock(std::string_view name) const; // ignores case
    Block addBlock(std::string_view name, const Point& base = {});
    // Copies the model space of `source` into a new block `name` with base
    // point $INSBASE; the layers, styles, line types and nested blocks it
    // needs come along when this drawing lacks them. DxfError if `name` exists.
    Block importBlock(const Document& source, std::string_view name);
    Block importBlockFile(const std::string& path, std::string_view name);

    // ---- what changed, for whoever keeps something made of the drawing (a
    // window's picture) and would make again only what changed.
    // A mark of the drawing as it stands now.
    std::uint64_t changeMark() const;
    struct Changes {
        // Entities of the ENTITIES section changed, added or deleted, by
        // Record::number() (a changed attribute or vertex counts for its
        // block reference or polyline), ascending.
        std::vector<std::uint32_t> entities;
        // Header variables changed ("$CLAYER", ...), each once.
        std::vector<std::string> headerVariables;
        bool tables = false; // a table record (a layer, a style, ...)
        bool blocks = false; // a block definition or what it holds
        // (Objects, classes and unknown sections are not told.)
    };
    // What changed since the mark; nullopt when that can no longer be told
    // (too much changed since, or the mark is not this drawing's).
    std::optional<Changes> changesSince(std::uint64_t mark) const;
    // The entity of this number (see Record::number()); DxfError when the
    // drawing has no entity of that number.
    Entity entityByNumber(std::uint32_t number) const;

    // ---- model space (ENTITIES section without paper-space entities)
    std::vector<Entity> modelSpace() const; // in order, newest last
    std::size_t modelSpaceCount() const;
    std::vector<Entity> paperSpace() const;
    std::optional<Entity> findByHandle(std::string_view handle) const;
    // A reference with one ATTRIB per non-constant attribute definition of the
    // block, holding the definition's default value. DxfError if no such block.
    BlockReference addBlockReference(std::string_view blockName, const Point& at, double scale = 1.0,
                                     double rotationDegrees = 0.0, std::string_view layer = "0");
    Text addText(std::string_view value, const Point& at, double height, std::string_view style = {},
                 std::string_view layer = "0", double rotationDegrees = 0.0);
    // An attribute definition in model space (a drawing meant as a block file).
    AttributeDefinition addAttributeDefinition(const NewAttributeDefinition& definition);
    // A model-space entity of any type from its own groups; the engine writes
    // the type, handle, owner, AcDbEntity marker and layer. String values are
    // UTF-8; 100 subclass markers are dropped in R12 drawings.
    Entity addEntity(std::string_view type, std::string_view layer,
                     const std::vector<std::pair<int, std::string>>& groups);
    // Deletes a model-space entity with its sub-records.
    void deleteEntity(const Entity& entity);
    // A copy of a model-space entity with its sub-records, appended to model
    // space with handles of its own; what ties the original to other
    // records (reactors, extension dictionaries) is not copied.
    Entity copyEntity(const Entity& entity);

    // Model-space block references matching the query, in drawing order.
    std::vector<BlockReference> findBlockReferences(const ReferenceQuery& query) const;
    // Entities of model space, then of paper space, that pass the filter, in
    // drawing order. Each distinct name is decoded and matched once.
    std::vector<Entity> selectEntities(const EntityFilter& filter) const;

    // ---- encoding helpers: file bytes <-> UTF-8, escapes decoded/encoded.
    std::string decode(std::string_view raw) const;
    std::string encode(std::string_view utf8) const;

private:
    friend struct Access;
    Document();
    std::unique_ptr<DocData> d_;
};

// Removes the temporary files that an interrupted save of the drawing at
// path left beside it (saving does so itself first).
void RemoveSaveLeftovers(const std::string& path);

} // namespace lumo::dxf
