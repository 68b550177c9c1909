// The view each drawing was last shown with (the drawing point at the
// window's centre and the zoom), kept in the window's settings file so that
// a drawing opened again shows the part the designer worked on. Only the
// drawings used last are kept.
#pragma once

#include "cad/embedded/view/scene.h"

#include <QString>

#include <optional>

namespace lumo::view {

struct RememberedView {
    Vec2 centre;
    double pixelsPerUnit = 1.0;
};

inline constexpr int kRememberedViews = 30;

// The view kept for the drawing at drawingPath in iniPath; nullopt when none
// (or one no view can show).
std::optional<RememberedView> RememberedViewOf(const QString& iniPath, const QString& drawingPath);
// Keeps the drawing's view first, dropping the oldest beyond kRememberedViews.
void RememberView(const QString& iniPath, const QString& drawingPath, const RememberedView& view);

} // namespace lumo::view
