// Time from choosing a symbol in the drawing window's palette to the options
// form of the new run painted, on the demo suite (target: 150 ms).
#include "app/workplace.h"
#include "cad/embedded/embedded_host.h"
#include "cad/embedded/view/tool_palette.h"
#include "cad/embedded/view/window_input.h"
#include "recording_dialogs.h"
#include "signal/frm_main.h"
#include "signal_run.h"
#include "temp_suite.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using namespace lumo;
using namespace lumo::test;

constexpr double kTargetMs = 150.0;
constexpr int kChoices = 15;

frmMain* visibleForm()
{
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* form = qobject_cast<frmMain*>(widget); form && form->isVisible())
            return form;
    return nullptr;
}

// Tells when the options form has been painted.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && qobject_cast<frmMain*>(object))
            painted = true;
        return false;
    }
};

void BM_PaletteToOptionsForm(benchmark::State& state)
{
    TempSuite suite;
    BuildSuite(suite);
    const std::string drawing = WriteDrawing(suite, {});
    const QString config = suite.nativePath(suite.path(QStringLiteral("config")));
    view::WindowedHostProvider provider([&] {
        cad::embedded::EmbeddedHostOptions options;
        options.drawing = drawing;
        options.configFolder = config.toStdString();
        return options;
    });
    RecordingDialogs dialogs;
    PaintWatch watch;
    qApp->installEventFilter(&watch);

    std::vector<double> times;
    QElapsedTimer clock;
    bool choosing = false;
    QTimer scenario;
    // Each run's form is cancelled; in the window left behind the next
    // symbol is chosen until enough forms were timed.
    QObject::connect(&scenario, &QTimer::timeout, [&] {
        frmMain* form = visibleForm();
        if (form && choosing) {
            if (!watch.painted)
                return;
            times.push_back(clock.nsecsElapsed() / 1e6);
            choosing = false;
        }
        if (form) {
            form->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            return;
        }
        view::HostWindow* host = provider.hostWindow();
        auto* palette = host ? host->window()->findChild<view::ToolPalette*>() : nullptr;
        if (!palette || !palette->isEnabled())
            return;
        if (int(times.size()) >= kChoices) {
            scenario.stop();
            host->window()->close();
            return;
        }
        watch.painted = false;
        choosing = true;
        clock.start();
        palette->choose(times.size() % 2 ? QStringLiteral("S-3wp") : QStringLiteral("S-1"));
    });
    scenario.start(0);

    for (auto _ : state) {
        RunWorkplace(dialogs, suite.programFolder(), qEnvironmentVariable("LUMO_REGISTRY_FILE"), provider,
                     {QString(), QStringLiteral("S-1")}, true);
    }
    qApp->removeEventFilter(&watch);
    if (times.empty()) {
        state.SkipWithError("no options form was shown");
        return;
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    state.counters["median_ms"] = median;
    state.counters["worst_ms"] = times.back();
    std::printf("palette choice to options form painted: median %.1f ms, worst %.1f ms over %zu choices; "
                "%.2f of the %.0f ms target\n",
                median, times.back(), times.size(), median / kTargetMs, kTargetMs);
}
BENCHMARK(BM_PaletteToOptionsForm)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
