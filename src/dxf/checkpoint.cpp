#include "dxf/checkpoint.h"

#include "dxf/internal.h"

namespace lumo::dxf {

std::shared_ptr<const DocState> Checkpoint(Document& document)
{
    DocData& d = Access::data(document);
    // From now on, changed records get tags of their own past these.
    d.keptTags = d.tags.size();
    auto state = std::make_shared<DocState>();
    state->owner = &d;
    state->edits = d.edits;
    state->recs = d.recs.save();
    state->sections = d.sections;
    state->tables = d.tables;
    state->blockDefs = d.blockDefs;
    state->prefixLen = d.prefixLen;
    state->trailerOff = d.trailerOff;
    state->eol = d.eol;
    state->padCodes = d.padCodes;
    state->versionText = d.versionText;
    state->version = d.version;
    state->handles = d.handles;
    state->handseedDirty = d.handseedDirty;
    state->anyHandle = d.anyHandle;
    state->nextHandle = d.nextHandle;
    state->maxHandle = d.maxHandle;
    return state;
}

bool ChangedSince(const Document& document, const DocState& state)
{
    return Access::data(document).edits != state.edits;
}

void RollBack(Document& document, const DocState& state)
{
    DocData& d = Access::data(document);
    if (state.owner != &d)
        throw DxfError("the checkpoint belongs to another drawing");
    // Whoever keeps something made of the records hears which ones change.
    const std::vector<std::uint32_t> changing = d.recs.differences(state.recs);
    if (changing.size() >= DocData::kChangeLogLimit / 2)
        d.forgetChanges();
    else
        for (const std::uint32_t id : changing)
            d.logChange(id);
    d.recs.restore(state.recs);
    d.sections = state.sections;
    d.tables = state.tables;
    d.blockDefs = state.blockDefs;
    d.prefixLen = state.prefixLen;
    d.trailerOff = state.trailerOff;
    d.eol = state.eol;
    d.padCodes = state.padCodes;
    d.versionText = state.versionText;
    d.version = state.version;
    d.handles = state.handles;
    d.handseedDirty = state.handseedDirty;
    d.anyHandle = state.anyHandle;
    d.nextHandle = state.nextHandle;
    d.maxHandle = state.maxHandle;
    d.configureCodec(); // the header's code page may be another one again
    // Whatever is changed next gets tags of its own: those here may be
    // another checkpoint's.
    d.keptTags = d.tags.size();
    d.touch();
    d.handleMapValid = false;
}

std::size_t BytesOf(const DocState& state)
{
    std::size_t bytes = sizeof state + state.recs.marks.size() + state.recs.aside.size() * 32;
    for (const Section& section : state.sections)
        bytes += sizeof section + section.listed.size() * sizeof(std::uint32_t);
    for (const Table& table : state.tables)
        bytes += sizeof table + table.entries.size() * sizeof(std::uint32_t);
    for (const BlockDef& block : state.blockDefs)
        bytes += sizeof block + block.ents.size() * sizeof(std::uint32_t);
    return bytes;
}

} // namespace lumo::dxf
