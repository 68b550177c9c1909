// make-demo-suite ROOT: writes the demo suite below ROOT and says where
// everything went.
#include "demo_suite.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make-demo-suite SUITE_ROOT\n");
        return 2;
    }
    try {
        const auto written = lumo::demo::MakeDemoSuite(args[1]);
        for (const auto& file : written)
            std::printf("%-40s %s\n", qPrintable(file.what), qPrintable(QDir::toNativeSeparators(file.path)));
        std::printf("demo suite: %d files below %s\n", static_cast<int>(written.size()),
                    qPrintable(QDir(args[1]).absolutePath()));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-demo-suite: %s\n", e.what());
        return 1;
    }
    return 0;
}
