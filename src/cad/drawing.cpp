#include "cad/drawing.h"

namespace lumo::cad {

namespace {

std::shared_ptr<Document> requireDoc(const HostSession& session)
{
    if (!session.doc)
        throw HostError("No active document");
    return session.doc;
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// Deletes the selection set however the search leaves, so that the next
// search can add it again.
class SelectionSetGuard {
public:
    explicit SelectionSetGuard(std::shared_ptr<SelectionSet> set) : set_(std::move(set)) { }
    ~SelectionSetGuard()
    {
        try {
            set_->erase();
        } catch (const std::exception&) {
            // A destructor cannot pass it on; the search's own result or
            // failure is what the caller needs.
        }
    }
    SelectionSetGuard(const SelectionSetGuard&) = delete;
    SelectionSetGuard& operator=(const SelectionSetGuard&) = delete;

private:
    std::shared_ptr<SelectionSet> set_;
};

bool holdsValue(const Entity& reference, const std::string& tag, const std::string& value)
{
    if (!reference.hasAttributes())
        return false;
    for (const auto& attribute : reference.getAttributes()) {
        if (attribute->tagString().find(tag) != std::string::npos && attribute->textString() == value)
            return true;
    }
    return false;
}

} // namespace

bool BlockExists(HostSession& session, const std::string& name)
{
    try {
        auto block = requireDoc(session)->blocks()->item(name);
        return block && startsWith(block->typeName(), "IAcadBlock");
    } catch (const HostBusy&) {
        throw;
    } catch (const HostError&) {
        return false;
    }
}

bool LayerExists(HostSession& session, const std::string& name)
{
    try {
        auto layer = requireDoc(session)->layers()->item(name);
        return layer && startsWith(layer->typeName(), "IAcadLayer");
    } catch (const HostBusy&) {
        throw;
    } catch (const HostError&) {
        return false;
    }
}

void EnsureLayer(HostSession& session, const std::string& name, bool makeCurrent, std::int16_t colour,
                 std::int16_t lineWeight)
{
    auto doc = requireDoc(session);
    std::shared_ptr<Layer> layer;
    if (!LayerExists(session, name)) {
        layer = doc->layers()->add(name);
        if (colour >= 0)
            layer->setColor(colour);
        if (lineWeight > -10)
            layer->setLineWeight(lineWeight);
    }
    if (makeCurrent) {
        if (!layer)
            layer = doc->layers()->item(name);
        doc->setActiveLayer(layer);
    }
}

std::shared_ptr<AttributeDefinition> AddBlockAttribute(Block& block, const std::string& tag,
                                                       const std::string& value, double x, double y)
{
    constexpr int kInvisiblePreset = 1 + 8;
    return block.addAttribute(3.5, kInvisiblePreset, "", Point3{x, y, 0.0}, tag, value);
}

bool GetTextStyle(HostSession& session, const std::string& name, std::shared_ptr<TextStyle>& style,
                  bool makeCurrent)
{
    try {
        auto doc = requireDoc(session);
        auto found = doc->textStyles()->item(name);
        if (makeCurrent)
            doc->setActiveTextStyle(found);
        style = std::move(found);
        return true;
    } catch (const HostBusy&) {
        throw;
    } catch (const HostError&) {
        return false;
    }
}

std::string GetDrawingProperty(HostSession& session, const std::string& key)
{
    try {
        auto summary = requireDoc(session)->summaryInfo();
        std::string value;
        summary->getCustomByKey(key, value);
        return value;
    } catch (const HostBusy&) {
        throw;
    } catch (const HostError&) {
        return "";
    }
}

void SetDrawingProperty(HostSession& session, const std::string& key, const std::string& value)
{
    auto summary = requireDoc(session)->summaryInfo();
    if (key.empty())
        return;
    try {
        summary->setCustomByKey(key, value);
    } catch (const HostBusy&) {
        throw;
    } catch (const HostError&) {
        // Not in the drawing yet.
        summary->addCustomInfo(key, value);
    }
}

std::string FindBlockByAttribute(HostSession& session, const std::string& namePattern, const std::string& tag,
                                 const std::string& value, const std::string& layer)
{
    if (!session.app)
        throw HostError("No host application");
    const std::vector<std::int16_t> types{0, 2, 8};
    const std::vector<std::string> data{"INSERT", namePattern, layer};

    auto sets = session.app->activeDocument()->selectionSets();
    // A set of this name left behind by a crashed run or another add-on
    // would make every later search fail: it goes first.
    try {
        sets->item(kSearchSelectionSet)->erase();
    } catch (const HostBusy&) {
        throw;
    } catch (const HostError&) {
        // None there: the usual case.
    }
    auto set = sets->add(kSearchSelectionSet);
    SelectionSetGuard guard(set);
    set->select(5, types, data);
    const long count = set->count();
    for (long i = 0; i < count; ++i) {
        auto reference = set->item(i);
        if (value.empty() || holdsValue(*reference, tag, value))
            return reference->handle();
    }
    return "";
}

} // namespace lumo::cad
