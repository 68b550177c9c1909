// Going back: a drawing as it stands, put back later exactly (it then
// writes the same bytes as at the checkpoint). A checkpoint costs a few
// bytes a record, not a copy of the drawing's text: edits add tags rather
// than change those a checkpoint may hold.
#pragma once

#include "dxf/document.h"

#include <cstddef>
#include <memory>

namespace lumo::dxf {

struct DocState; // a drawing as it stood at a checkpoint

std::shared_ptr<const DocState> Checkpoint(Document& document);
// Something was changed since the checkpoint.
bool ChangedSince(const Document& document, const DocState& state);
// Puts the drawing back as it was; DxfError for another drawing's checkpoint.
void RollBack(Document& document, const DocState& state);
// About what a checkpoint takes in memory, in bytes.
std::size_t BytesOf(const DocState& state);

} // namespace lumo::dxf
