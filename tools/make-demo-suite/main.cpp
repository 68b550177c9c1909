// make-demo-suite [--for-install] ROOT: writes the demo suite below ROOT and
// says where everything went. For an installation the registry file is left
// out: it names the city data by an absolute path of this machine, and the
// launcher writes its own.
#include "demo_suite.h"
#include "util/files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments();
    const bool forInstall = args.removeAll(QStringLiteral("--for-install")) > 0;
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make-demo-suite [--for-install] SUITE_ROOT\n");
        return 2;
    }
    try {
        const auto written = lumo::demo::MakeDemoSuite(args[1]);
        if (forInstall) {
            QFile::remove(QDir(args[1]).absoluteFilePath(lumo::demo::kRegistryFile));
            return 0;
        }
        for (const auto& file : written)
            std::printf("%-40s %s\n", qPrintable(file.what), qPrintable(QDir::toNativeSeparators(file.path)));
        std::printf("demo suite: %d files below %s\n", static_cast<int>(written.size()),
                    qPrintable(QDir(args[1]).absolutePath()));
        // Registry values hold at most 39 characters: a deeper suite makes the
        // program report the value as too long at start-up.
        const QString aDane = lumo::FromNativePath(QDir(args[1]).absolutePath() + QStringLiteral("/")
                                                   + lumo::demo::kCityDataFolder);
        std::fflush(stdout);
        if (aDane.size() > 39)
            std::fprintf(stderr,
                         "make-demo-suite: warning: \"aDane\" is %d characters long (at most 39 "
                         "fit a registry value): %s\n",
                         static_cast<int>(aDane.size()), qPrintable(aDane));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make-demo-suite: %s\n", e.what());
        return 1;
    }
    return 0;
}
