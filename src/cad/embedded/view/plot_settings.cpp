#include "cad/embedded/view/plot_settings.h"

#include <QSettings>
#include <QVariant>

#include <algorithm>
#include <cctype>
#include <cmath>

namespace lumo::view {

namespace {

constexpr double kMaxScale = 1e7;

const QString kPaper = QStringLiteral("plot/paper");
const QString kLandscape = QStringLiteral("plot/landscape");
const QString kFit = QStringLiteral("plot/fit");
const QString kScale = QStringLiteral("plot/scale");
const QString kArea = QStringLiteral("plot/area");
const QString kWindow = QStringLiteral("plot/window");
const QString kMonochrome = QStringLiteral("plot/monochrome");
const QString kLineWeights = QStringLiteral("plot/lineWeights");
const QString kDrawing = QStringLiteral("plot/drawing");

const char* const kAreaNames[] = {"all", "view", "window"};

} // namespace

std::optional<RememberedPlot> RememberedPlotOf(const QString& iniPath)
{
    if (iniPath.isEmpty())
        return std::nullopt;
    const QSettings store(iniPath, QSettings::IniFormat);
    if (!store.contains(kPaper))
        return std::nullopt;
    // Whatever was edited by hand into something else falls back to the usual.
    RememberedPlot r;
    PlotSettings& s = r.settings;
    for (Paper p : kPapers)
        if (store.value(kPaper).toString() == paperName(p))
            s.paper = p;
    s.landscape = store.value(kLandscape, s.landscape).toBool();
    s.fit = store.value(kFit, s.fit).toBool();
    bool ok = false;
    const double scale = store.value(kScale).toDouble(&ok);
    if (ok && scale >= 1.0 && scale <= kMaxScale)
        s.scale = std::round(scale);
    for (int i = 0; i < 3; ++i)
        if (store.value(kArea).toString() == QLatin1String(kAreaNames[i]))
            s.area = PlotArea(i);
    const QStringList corners = store.value(kWindow).toStringList();
    if (corners.size() == 4) {
        double v[4];
        bool all = true;
        for (int i = 0; i < 4; ++i) {
            v[i] = corners[i].toDouble(&ok);
            all = all && ok && std::isfinite(v[i]);
        }
        if (all && v[0] < v[2] && v[1] < v[3])
            s.window = Box{v[0], v[1], v[2], v[3]};
    }
    s.monochrome = store.value(kMonochrome, s.monochrome).toBool();
    s.lineWeights = store.value(kLineWeights, s.lineWeights).toBool();
    r.drawingPath = store.value(kDrawing).toString();
    return r;
}

void RememberPlot(const QString& iniPath, const PlotSettings& s, const QString& drawingPath)
{
    if (iniPath.isEmpty())
        return;
    QSettings store(iniPath, QSettings::IniFormat);
    store.setValue(kPaper, paperName(s.paper));
    store.setValue(kLandscape, s.landscape);
    store.setValue(kFit, s.fit);
    store.setValue(kScale, s.scale);
    store.setValue(kArea, QLatin1String(kAreaNames[int(s.area)]));
    if (s.area == PlotArea::Window && !s.window.isEmpty())
        store.setValue(kWindow, QStringList{QString::number(s.window.minX, 'g', 17),
                                            QString::number(s.window.minY, 'g', 17),
                                            QString::number(s.window.maxX, 'g', 17),
                                            QString::number(s.window.maxY, 'g', 17)});
    else
        store.remove(kWindow);
    store.setValue(kMonochrome, s.monochrome);
    store.setValue(kLineWeights, s.lineWeights);
    store.setValue(kDrawing, drawingPath);
}

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
