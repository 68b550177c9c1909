// Plotting the project's synthetic city section (about 125 MB of DXF:
// 200,000 entities and 20,000 block references with attributes) to a PDF
// on A1: the whole drawing fitted to the sheet, and at 1:500 (a part of the
// city on the sheet), with the drawing's line weights and colours.
// Target: 5 s a plot, the picture already built as the window has it.
#include "cad/embedded/drawing_reader.h"
#include "cad/embedded/view/plot_writer.h"
#include "cad/embedded/view/scene_builder.h"
#include "dxf/document.h"
#include "gen_drawing.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>
#include <sys/resource.h>

namespace {

using namespace lumo;

constexpr double kTargetSeconds = 5.0;

struct City {
    dxf::Document document;
    view::Scene scene;
    City() : document(dxf::Document::fromMemory(gen::generateCitySection({})))
    {
        view::SceneBuilder(cad::embedded::DrawingReader::Borrowed(document)).buildModelSpace(scene);
    }
};

City& city()
{
    static City c;
    return c;
}

void plot(benchmark::State& state, bool fit)
{
    City& c = city();
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("miasto.pdf"));
    view::PlotSettings settings;
    settings.paper = view::Paper::A1;
    settings.landscape = true;
    settings.fit = fit;
    settings.scale = 500;
    const auto layout = view::layOutPlot(settings, c.scene.extents(), 1.0);
    if (!layout) {
        state.SkipWithError("nothing to plot");
        return;
    }
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const auto outcome = view::writePlotPdf(c.scene, settings, *layout, path, QStringLiteral("miasto"));
        seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!outcome.written)
            state.SkipWithError("the PDF was not written");
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["plot_s"] = seconds;
    state.counters["plot_vs_5s"] = seconds / kTargetSeconds; // below 1: within the target
    state.counters["pdf_MB"] = double(QFileInfo(path).size()) / 1e6;
    state.counters["items"] = double(c.scene.items().size());
    state.counters["peak_MB"] = double(usage.ru_maxrss) / 1024.0;
}

void BM_CityPlotA1Fitted(benchmark::State& state)
{
    plot(state, true);
}
void BM_CityPlotA1At500(benchmark::State& state)
{
    plot(state, false);
}
BENCHMARK(BM_CityPlotA1Fitted)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CityPlotA1At500)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
