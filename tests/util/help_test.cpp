// The HTML help: every help context the program's forms use has its page,
// and every link and picture of every page resolves.
#include "util/help.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace lumo {
namespace {

const QString kHelpSource = QStringLiteral(LUMO_HELP_SOURCE_DIR);

QString readPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

TEST(HelpPages, EveryHelpContextHasItsOwnPage)
{
    struct Case {
        int context;
        const char* form;
    };
    const Case cases[] = {
        {10011, "options form"},      {10256, "options form under the suite's shell"},
        {10012, "drawing settings"},  {10332, "drawing settings under the suite's shell"},
        {10010, "detector form"},     {10239, "detector form under the suite's shell"},
        {10013, "detector settings"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.form);
        const QString page = HelpPage(c.context);
        EXPECT_NE(page, QStringLiteral("index.html"));
        EXPECT_TRUE(QFileInfo(kHelpSource + u'/' + page).isFile()) << page.toStdString();
    }
    EXPECT_EQ(HelpPage(12345), QStringLiteral("index.html"));
    EXPECT_TRUE(QFileInfo(kHelpSource + QStringLiteral("/index.html")).isFile());
}

TEST(HelpPages, EveryLinkAndPictureResolves)
{
    const QRegularExpression reference(QStringLiteral("(?:href|src)=\"([^\"]*)\""));
    const QStringList pages = QDir(kHelpSource).entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_GE(pages.size(), 6);
    int links = 0;
    for (const QString& page : pages) {
        SCOPED_TRACE(page.toStdString());
        const QString text = readPage(kHelpSource + u'/' + page);
        EXPECT_TRUE(text.contains(QStringLiteral("<html lang=\"pl\">")));
        for (const auto& match : reference.globalMatch(text)) {
            const QString target = match.captured(1);
            if (target.startsWith(QStringLiteral("http")) || target.startsWith(QStringLiteral("mailto:")))
                continue;
            ++links;
            const int hash = target.indexOf(u'#');
            const QString file = hash < 0 ? target : target.left(hash);
            const QString anchor = hash < 0 ? QString() : target.mid(hash + 1);
            const QString path = kHelpSource + u'/' + (file.isEmpty() ? page : file);
            EXPECT_TRUE(QFileInfo(path).isFile()) << target.toStdString();
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(readPage(path).contains(QStringLiteral("id=\"") + anchor + u'"'))
                    << target.toStdString();
            }
        }
    }
    EXPECT_GT(links, pages.size()); // the pages do link to each other
}

} // namespace
} // namespace lumo
