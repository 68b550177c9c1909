// Reading the registry file when it holds a long binary value written by the
// registry editor over thousands of continued lines (1.6 MB of hex text).
// Every read parses the whole file, so this is what each start-up pays.
#include "settings/suite.h"
#include "util/dialogs.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#ifdef __linux__
#include <sys/resource.h>
#endif

namespace lumo {
namespace {

constexpr double kTargetSeconds = 0.1; // a start-up must not wait for the registry file

class SilentDialogs : public Dialogs {
public:
    DialogAnswer message(const QString&, const QString&, DialogIcon, DialogButtons,
                         DialogAnswer defaultButton) override
    {
        return defaultButton;
    }
    QString input(const QString&, const QString&) override { return {}; }
    bool showDocument(const QUrl&) override { return false; }
};

// A version 5 export (UTF-16 with its mark) as the registry editor writes
// it: the long value wrapped after 25 bytes a line, then the suite's values.
QByteArray ExportWithLongHexValue(qsizetype hexTextBytes)
{
    QString text = QStringLiteral("Windows Registry Editor Version 5.00\r\n\r\n"
                                  "[HKEY_CURRENT_USER\\Software\\Tarn\\Directories]\r\n"
                                  "\"Obraz\"=hex:");
    qsizetype written = 0;
    int onLine = 0;
    while (written < hexTextBytes) {
        text += QStringLiteral("4f,");
        written += 3;
        if (++onLine == 25) {
            text += QStringLiteral("\\\r\n  ");
            onLine = 0;
        }
    }
    text += QStringLiteral("00\r\n\"aDane\"=\"D:\\\\Dane\"\r\n\"City\"=\"Krak\u00f3w\"\r\n");
    QByteArray bytes("\xFF\xFE");
    bytes.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    return bytes;
}

void BM_RegistryFileWithLongHexValue(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("registry.reg"));
    const QByteArray bytes = ExportWithLongHexValue(1600 * 1000);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            state.SkipWithError("cannot write the registry file");
            return;
        }
    }
    SilentDialogs dialogs;
    for (auto _ : state) {
        const QString city = RegReadStringFromFile(dialogs, path, RegistryRoot::CurrentUser,
                                                   kTarnDirectoriesKey, QStringLiteral("City"));
        if (city != QStringLiteral("Krak\u00f3w"))
            state.SkipWithError("the value after the long one was not read");
        benchmark::DoNotOptimize(city.constData());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes.size()) * state.iterations());
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
    state.counters["target_seconds_per_read"] = kTargetSeconds;
#ifdef __linux__
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_memory_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
#endif
}

} // namespace
} // namespace lumo

BENCHMARK(lumo::BM_RegistryFileWithLongHexValue)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
