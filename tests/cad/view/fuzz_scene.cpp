// libFuzzer target: whatever drawing the engine reads, the drawing window's
// picture is built in bounded time and memory and painted, without a crash,
// a hang or undefined behaviour; the rubber-band picture of every block too.
#include "cad/embedded/drawing_reader.h"
#include "cad/embedded/view/renderer.h"
#include "cad/embedded/view/scene_builder.h"
#include "dxf/document.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

using namespace lumo;

// Small enough for many inputs a second; the budget's work is the same at any size.
view::SceneBuilder::Budget budget()
{
    view::SceneBuilder::Budget b;
    b.blockEntities = 20'000;
    b.bytes = std::size_t(8) << 20;
    return b;
}

void paint(const view::Scene& scene, QImage& image)
{
    QPainter painter(&image);
    const view::Box& e = scene.extents();
    const double scale = e.isEmpty() ? 1.0 : 60.0 / std::max({e.width(), e.height(), 1e-9});
    const view::Affine fit{scale, 0, 0, -scale, 2 - scale * e.minX, 62 + scale * e.minY};
    view::render(painter, scene, fit, image.rect());
    // and seen from close up, where the vertices lie far outside the image
    view::render(painter, scene, view::Affine{1e6, 0, 0, -1e6, 0, 0} * fit, image.rect());
}

} // namespace

// The font library keeps what it read of the fonts until the process ends.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // Text needs fonts, fonts need an application.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<dxf::Document> doc;
    try {
        doc = std::make_unique<dxf::Document>(
            dxf::Document::fromMemory(std::string(reinterpret_cast<const char*>(data), size)));
    } catch (const dxf::DxfError&) {
        return 0;
    }
    const auto reader = cad::embedded::DrawingReader::Borrowed(*doc);
    QImage image(64, 64, QImage::Format_RGB32);

    view::SceneBuilder builder(reader);
    builder.setBudget(budget());
    view::Scene scene;
    if (!builder.buildModelSpace(scene))
        std::abort(); // nobody asked it to stop
    if (scene.memoryUse() > budget().bytes + (std::size_t(1) << 20))
        std::abort();
    (void)builder.warning();
    paint(scene, image);

    // The picture with its second half drawn anew, as after a change of
    // those entities, and the rubber band of each block.
    const auto keys = reader.modelSpaceKeys();
    const std::size_t half = keys.size() / 2;
    std::vector<std::uint32_t> renumber(keys.size(), view::kNoEntity);
    std::vector<view::SceneBuilder::EntityAt> again;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i < half)
            renumber[i] = std::uint32_t(i);
        else
            again.push_back({i, keys[i]});
    }
    scene.renumberEntities(renumber);
    view::SceneBuilder more(reader);
    more.setBudget(budget());
    more.addEntities(scene, again);
    paint(scene, image);
    int blocks = 0;
    for (const auto& block : doc->blocks()) {
        if (++blocks > 8)
            break;
        view::Scene rubber;
        view::SceneBuilder one(reader);
        one.setBudget(budget());
        if (!one.buildBlock(rubber, block.name(), 2.5))
            continue;
        paint(rubber, image);
    }
    return 0;
}
