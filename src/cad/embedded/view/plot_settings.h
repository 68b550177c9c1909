// What a plot puts on paper and where: the sheet, the scale (1:N or fitted),
// the part of the drawing, colours and line weights, and the arithmetic
// that turns drawing coordinates into millimetres on the sheet.
#pragma once

#include "cad/embedded/view/scene.h"

#include <QString>

#include <optional>
#include <string>

namespace lumo::view {

enum class Paper { A4, A3, A2, A1, A0 };
inline constexpr Paper kPapers[] = {Paper::A4, Paper::A3, Paper::A2, Paper::A1, Paper::A0};

enum class PlotArea { Everything, View, Window };

// Nothing is drawn this close to the sheet's edge: printers cannot reach it.
inline constexpr double kPlotMarginMm = 10.0;

struct SheetSize {
    double width = 0.0; // millimetres
    double height = 0.0;
};

SheetSize sheetSize(Paper paper, bool landscape);
// "A3", "A1", ...
QString paperName(Paper paper);

struct PlotSettings {
    Paper paper = Paper::A3;
    bool landscape = true;
    bool fit = false; // fit the area to the sheet instead of 1:scale
    double scale = 500.0; // N of 1:N
    PlotArea area = PlotArea::Everything;
    Box window; // the area in drawing coordinates when not everything
    bool monochrome = false;
    bool lineWeights = true;
};

// Where everything goes on the sheet.
struct PlotLayout {
    SheetSize sheet;
    double scale = 1.0; // N of 1:N, also when fitted
    Affine toSheet; // drawing coordinates to millimetres from the sheet's top left (y down)
    Box clip; // what may be drawn on, in millimetres on the sheet
};

// The layout of an area of the drawing (drawing units of unitMm millimetres
// each); nullopt when there is nothing to plot (an empty area, no scale).
std::optional<PlotLayout> layOutPlot(const PlotSettings& settings, const Box& area, double unitMm);

// The choices of the last plot, kept in the window's settings file for the
// next one: sheet, orientation, scale, area, colours; the drawing plotted
// (its window and scale belong to it).
struct RememberedPlot {
    PlotSettings settings;
    QString drawingPath;
};
std::optional<RememberedPlot> RememberedPlotOf(const QString& iniPath);
void RememberPlot(const QString& iniPath, const PlotSettings& settings, const QString& drawingPath);

// The drawing's own scale (its "SKALA" property, a whole number such as
// "500"); nullopt when it has none that means a scale.
std::optional<double> scaleFromProperty(const std::optional<std::string>& value);

} // namespace lumo::view
