// The reusable operations on the active drawing (session.doc, as left by the
// last CheckActiveDocument). The lookups turn the host's "no such item"
// failures into a negative answer; the others let them reach the caller. A
// busy host (HostBusy, already asked again by cad/busy_retry.h) is never an
// answer: it reaches the caller everywhere, so that a value the drawing does
// hold is not taken for missing. Anything that is no host failure at all
// reaches the caller too.
#pragma once

#include "cad/session.h"

#include <cstdint>
#include <memory>
#include <string>

namespace lumo::cad {

bool BlockExists(HostSession& session, const std::string& name);
bool LayerExists(HostSession& session, const std::string& name);

// colour -1: none; lineWeight -10: none. An existing layer is not changed.
void EnsureLayer(HostSession& session, const std::string& name, bool makeCurrent, std::int16_t colour = -1,
                 std::int16_t lineWeight = -10);

// Hidden, preset, height 3.5, no prompt, at (x, y, 0).
std::shared_ptr<AttributeDefinition> AddBlockAttribute(Block& block, const std::string& tag,
                                                       const std::string& value, double x, double y);

// False (style untouched) when the drawing has no such style.
bool GetTextStyle(HostSession& session, const std::string& name, std::shared_ptr<TextStyle>& style,
                  bool makeCurrent);

// "" when the drawing does not hold the key.
std::string GetDrawingProperty(HostSession& session, const std::string& key);
void SetDrawingProperty(HostSession& session, const std::string& key, const std::string& value);

// The handle of the first block reference on layer whose name matches
// namePattern (host wildcards) and, unless value is "", that has an attribute
// whose tag contains tag and whose text is value; "" when none.
std::string FindBlockByAttribute(HostSession& session, const std::string& namePattern, const std::string& tag,
                                 const std::string& value, const std::string& layer);

// The name of the temporary selection set of the search.
inline constexpr const char* kSearchSelectionSet = "SS1";

} // namespace lumo::cad
