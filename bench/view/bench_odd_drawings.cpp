// The drawing window's picture of drawings no one meant but the engine
// reads: a reference array of 1000 x 1000, blocks nested ten deep with ten
// references each, arcs with endless angles. Each figure is the time from
// the read drawing to its first painted frame (the picture built with the
// window's own limits, then drawn fitted into 1280 x 800), and the memory
// the picture takes. The window stays responsive only while these stay in
// seconds and within the picture's budget.
#include "cad/embedded/view/renderer.h"
#include "cad/embedded/view/scene_builder.h"
#include "dxf/document.h"
#include "odd_drawings.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>

namespace {

using namespace lumo;
using namespace lumo::test;

void firstFrame(benchmark::State& state, const std::string& text)
{
    const auto document = dxf::Document::fromMemory(text);
    QImage image(1280, 800, QImage::Format_RGB32);
    std::size_t items = 0, bytes = 0, cut = 0, broken = 0;
    for (auto _ : state) {
        view::Scene scene;
        view::SceneBuilder builder(cad::embedded::DrawingReader::Borrowed(document));
        builder.buildModelSpace(scene);
        const auto& e = scene.extents();
        const double scale = std::min(1260.0 / std::max(e.width(), 1e-9), 780.0 / std::max(e.height(), 1e-9));
        const double cx = (e.minX + e.maxX) / 2, cy = (e.minY + e.maxY) / 2;
        const view::Affine toScreen{scale, 0, 0, -scale, 640 - scale * cx, 400 + scale * cy};
        QPainter painter(&image);
        view::render(painter, scene, toScreen, image.rect());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
        items = scene.items().size();
        bytes = scene.memoryUse();
        cut = builder.report().cut;
        broken = builder.report().broken;
    }
    state.counters["items"] = double(items);
    state.counters["picture_MB"] = double(bytes) / (1 << 20);
    state.counters["cut"] = double(cut);
    state.counters["broken"] = double(broken);
}

void BM_OddMinsert1000x1000(benchmark::State& state)
{
    firstFrame(state, oddDrawing(block("K", circle("1")), insert("K", "1000", "1000")));
}
void BM_OddNested10Deep(benchmark::State& state)
{
    firstFrame(state, oddDrawing(nestedBlocks(), insert("B1")));
}
void BM_OddEndlessArcs(benchmark::State& state)
{
    std::string arcs;
    for (const char* angle : {"1e15", "-1e308", "inf", "nan"})
        for (int i = 0; i < 1000; ++i)
            arcs += arc(angle, "90") + arc("0", angle);
    firstFrame(state, oddDrawing({}, arcs));
}
BENCHMARK(BM_OddMinsert1000x1000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OddNested10Deep)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OddEndlessArcs)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
