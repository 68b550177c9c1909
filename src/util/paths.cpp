#include "util/paths.h"

#include "util/text.h"

namespace lumo {

namespace {
const QString kBackslash = QStringLiteral("\\");
}

QString CollapseBackslashes(const QString& path)
{
    // A leading pair is a network path; it stops the collapsing altogether.
    QString result = path;
    for (;;) {
        const qsizetype at = result.indexOf(QStringLiteral("\\\\"));
        if (at <= 0)
            return result;
        result.remove(at + 1, 1);
    }
}

QString JoinPath(const QString& folder, const QString& name)
{
    QString f = TrimBlanks(folder);
    const QString n = TrimBlanks(name);
    if (!f.endsWith(u'\\') && !n.startsWith(u'\\'))
        f += kBackslash;
    return CollapseBackslashes(f + n);
}

QString ParentFolder(const QString& path)
{
    if (TrimBlanks(path).isEmpty())
        return {};
    const int p = InStrRevChr(path, kBackslash);
    return p > 0 ? path.left(p - 1) : QString();
}

QString FileNameOf(const QString& path)
{
    const QString p = ReplaceAllText(path, QStringLiteral("/"), kBackslash);
    if (TrimBlanks(p).isEmpty())
        return p;
    const int slash = InStrRevChr(p, kBackslash);
    if (slash > 0)
        return p.mid(slash);
    const qsizetype colon = p.indexOf(u':');
    if (colon >= 0)
        return p.mid(colon + 1);
    return p;
}

QString FileTitleOf(const QString& path)
{
    const QString name = FileNameOf(path);
    if (TrimBlanks(name).isEmpty())
        return {};
    const int dot = InStrRevChr(name, QStringLiteral("."));
    return dot > 0 ? name.left(dot - 1) : name;
}

} // namespace lumo
