// The help pages and the README link only to files that exist: a picture
// renamed or left out of the screenshots shows as a broken image in the
// designer's browser, which nobody notices until a designer does.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

// The local files a page names: <img src> and <a href> in HTML, ![..](..)
// and [..](..) in Markdown; web addresses, mail and in-page anchors are not
// files. An anchor after a file name is left off.
QStringList LinkedFiles(const QString& text, bool markdown)
{
    static const QRegularExpression html(QStringLiteral(R"re((?:src|href)\s*=\s*"([^"]*)")re"),
                                         QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression md(QStringLiteral(R"re(\]\(([^)\s]+)\))re"));
    QStringList files;
    auto it = (markdown ? md : html).globalMatch(text);
    while (it.hasNext()) {
        QString target = it.next().captured(1);
        if (target.isEmpty() || target.startsWith(QLatin1Char('#')) || QUrl(target).scheme().size() > 1)
            continue;
        target = target.section(QLatin1Char('#'), 0, 0);
        files << QUrl::fromPercentEncoding(target.toUtf8());
    }
    return files;
}

QString Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// "page: target" for each link of the pages that leads nowhere.
QStringList BrokenLinks(const QStringList& pages)
{
    QStringList broken;
    for (const QString& page : pages) {
        const QFileInfo info(page);
        const bool markdown = info.suffix().compare(QStringLiteral("md"), Qt::CaseInsensitive) == 0;
        for (const QString& target : LinkedFiles(Read(page), markdown)) {
            if (!QFileInfo::exists(info.dir().filePath(target)))
                broken << info.fileName() + QStringLiteral(": ") + target;
        }
    }
    return broken;
}

// The checker itself, on pages written for it: a link test that finds
// nothing wrong anywhere proves nothing.
TEST(HelpLinks, TheCheckerFindsWhatIsMissing)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QDir(dir.path()).mkpath(QStringLiteral("obrazy"));
    QFile(dir.filePath(QStringLiteral("obrazy/jest.png"))).open(QIODevice::WriteOnly);
    QFile(dir.filePath(QStringLiteral("inna.html"))).open(QIODevice::WriteOnly);
    struct Case {
        const char* name;
        const char* text;
        const char* broken; // "" when every link is there
    } cases[] = {
        {"a.html", R"(<img src="obrazy/jest.png" alt="x">)", ""},
        {"b.html", R"(<img alt="x" src="obrazy/brak.png">)", "b.html: obrazy/brak.png"},
        {"c.html", R"(<a href="inna.html#sekcja">x</a> <a href="#tu">y</a>)", ""},
        {"d.html", R"(<a href="brak.html">x</a>)", "d.html: brak.html"},
        {"e.html", R"(<a href="https://example.org/x.png">x</a> <a HREF="obrazy/Jest.png">y</a>)",
         "e.html: obrazy/Jest.png"},
        {"f.md", "![Okno](obrazy/jest.png) [PDF](obrazy/brak.pdf) [w](https://example.org)",
         "f.md: obrazy/brak.pdf"},
        {"g.html", R"(<link rel="stylesheet" href="styl.css">)", "g.html: styl.css"},
    };
    for (const auto& c : cases) {
        const QString page = dir.filePath(QString::fromUtf8(c.name));
        QFile file(page);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.text);
        file.close();
        EXPECT_EQ(BrokenLinks({page}).join(QLatin1Char('\n')).toStdString(), c.broken) << c.name;
    }
}

TEST(HelpLinks, EveryHelpPageAndTheReadmeLinkOnlyToFilesThatExist)
{
    const QDir source(QStringLiteral(LUMO_SOURCE_DIR));
    QStringList pages{source.filePath(QStringLiteral("README.md"))};
    const QDir help(source.filePath(QStringLiteral("docs/help")));
    for (const QString& name : help.entryList({QStringLiteral("*.html")}, QDir::Files))
        pages << help.filePath(name);
    ASSERT_GT(pages.size(), 5);
    EXPECT_EQ(BrokenLinks(pages).join(QLatin1Char('\n')).toStdString(), "");

    // And the help's pictures are all shown somewhere: the help is installed
    // whole, a picture left behind by a renamed page with it.
    QStringList linked;
    for (const QString& page : pages)
        for (const QString& target : LinkedFiles(Read(page), page.endsWith(QStringLiteral(".md"))))
            linked << QFileInfo(QFileInfo(page).dir().filePath(target)).canonicalFilePath();
    const QDir pictures(help.filePath(QStringLiteral("obrazy")));
    for (const QString& name : pictures.entryList(QDir::Files))
        EXPECT_TRUE(linked.contains(QFileInfo(pictures.filePath(name)).canonicalFilePath()))
            << "not shown: " << name.toStdString();
}

} // namespace
