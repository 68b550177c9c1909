#include "cad/embedded/view/plot_settings.h"

#include <algorithm>
#include <cctype>
#include <cmath>

namespace lumo::view {

namespace {

constexpr double kMaxScale = 1e7;

} // namespace

SheetSize sheetSize(Paper paper, bool landscape)
{
    // A0 is a square metre; each next size halves the longer side.
    SheetSize portrait{841.0, 1189.0};
    for (int i = int(Paper::A0); i > int(paper); --i)
        portrait = {std::floor(portrait.height / 2), portrait.width};
    return landscape ? SheetSize{portrait.height, portrait.width} : portrait;
}

QString paperName(Paper paper)
{
    return QStringLiteral("A%1").arg(4 - int(paper));
}

std::optional<PlotLayout> layOutPlot(const PlotSettings& settings, const Box& area, double unitMm)
{
    if (area.isEmpty() || !(unitMm > 0.0))
        return std::nullopt;
    PlotLayout layout;
    layout.sheet = sheetSize(settings.paper, settings.landscape);
    const double printableW = layout.sheet.width - 2 * kPlotMarginMm;
    const double printableH = layout.sheet.height - 2 * kPlotMarginMm;
    if (settings.fit) {
        // The larger of the two ratios, so that both sides fit.
        const double n = std::max(area.width() * unitMm / printableW, area.height() * unitMm / printableH);
        if (!(n > 0.0))
            return std::nullopt;
        layout.scale = n;
    } else {
        if (!(settings.scale >= 1.0 && settings.scale <= kMaxScale))
            return std::nullopt;
        layout.scale = settings.scale;
    }
    const double k = unitMm / layout.scale; // millimetres on paper per drawing unit
    const double cx = (area.minX + area.maxX) / 2, cy = (area.minY + area.maxY) / 2;
    layout.toSheet = Affine{k, 0, 0, -k, layout.sheet.width / 2 - k * cx, layout.sheet.height / 2 + k * cy};
    // A window cuts what crosses it; the whole drawing keeps its lines'
    // widths and its texts' real extents, which outgrow the estimated ones.
    Box clip;
    if (settings.area == PlotArea::Everything)
        clip.add(Box{0.0, 0.0, layout.sheet.width, layout.sheet.height});
    else
        clip = layout.toSheet.mapBox(area);
    clip.minX = std::max(clip.minX, kPlotMarginMm);
    clip.minY = std::max(clip.minY, kPlotMarginMm);
    clip.maxX = std::min(clip.maxX, layout.sheet.width - kPlotMarginMm);
    clip.maxY = std::min(clip.maxY, layout.sheet.height - kPlotMarginMm);
    layout.clip = clip;
    return layout;
}

std::optional<double> scaleFromProperty(const std::optional<std::string>& value)
{
    if (!value)
        return std::nullopt;
    // Leading blanks, then the digits of a whole number, as the program reads it.
    std::size_t i = 0;
    while (i < value->size() && (*value)[i] == ' ')
        ++i;
    double n = 0.0;
    bool digits = false;
    for (; i < value->size() && std::isdigit(static_cast<unsigned char>((*value)[i])); ++i) {
        n = n * 10 + ((*value)[i] - '0');
        digits = true;
    }
    if (!digits || n < 1.0 || n > kMaxScale)
        return std::nullopt;
    return n;
}

} // namespace lumo::view
