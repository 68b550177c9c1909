// Puts a plot on paper: draws the picture of the drawing on a page (a PDF
// file, a printer, the dialog's preview) with the layout's scale, the
// drawing's line weights and colours for white paper.
#pragma once

#include "cad/embedded/view/plot_settings.h"
#include "cad/embedded/view/scene.h"

#include <QImage>
#include <QString>

#include <cstddef>
#include <functional>

class QPainter;

namespace lumo::view {

// Told (items done, items in all) now and then; false stops the plot.
using PlotProgress = std::function<bool(std::size_t, std::size_t)>;

// Draws on a painter whose device has its origin at the sheet's top left
// corner, deviceUnitsPerMm to the millimetre. False when progress stopped it.
bool paintPlot(QPainter& painter, const Scene& scene, const PlotSettings& settings, const PlotLayout& layout,
               double deviceUnitsPerMm, const PlotProgress& progress = {});

// The whole sheet as it will come out, fitted into an image of this size at most.
QImage plotPreview(const Scene& scene, const PlotSettings& settings, const PlotLayout& layout, QSize bounds);

struct PlotOutcome {
    bool written = false;
    bool cancelled = false;
    QString error; // why nothing was written, in the designer's words
};

// Writes the plot to a PDF file as the program writes every file: under a
// temporary name beside it, put on the disk, then renamed over it, so that a
// failed or cancelled plot leaves any earlier file as it was (and what a
// plot killed on the way left beside it goes). A read-only file is never
// replaced.
PlotOutcome writePlotPdf(const Scene& scene, const PlotSettings& settings, const PlotLayout& layout,
                         const QString& path, const QString& title, const PlotProgress& progress = {});

// The message for a plot that could not be written to path.
QString plotFailedMessage(const QString& path, const QString& reason);

} // namespace lumo::view
