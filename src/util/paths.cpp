#include "util/paths.h"

#include "util/text.h"

#include <QStringList>
#include <algorithm>

namespace lumo {

namespace {

const QString kBackslash = QStringLiteral("\\");

bool isDriveLetter(QChar c)
{
    return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z');
}

// How many of the parts (split at backslashes) are the path's root, which
// ".." does not climb above: none for a relative path, the drive or the empty
// part before a leading backslash, the four parts of "\\srv\share".
qsizetype rootPartCount(const QStringList& parts)
{
    if (parts.size() >= 2 && parts[0].isEmpty() && parts[1].isEmpty())
        return std::min<qsizetype>(parts.size(), 4);
    if (parts[0].isEmpty() || (parts[0].size() == 2 && parts[0][1] == u':'))
        return 1;
    return 0;
}

// "." parts dropped, each ".." taking away the part before it.
QString withoutDotParts(const QString& path)
{
    const QStringList parts = path.split(kBackslash);
    const qsizetype rootParts = rootPartCount(parts);
    QStringList kept = parts.mid(0, rootParts);
    for (qsizetype i = rootParts; i < parts.size(); ++i) {
        const QString& part = parts[i];
        if (part == u'.')
            continue;
        if (part == QStringLiteral("..")) {
            if (kept.size() > rootParts && kept.last() != QStringLiteral(".."))
                kept.removeLast();
            else if (rootParts == 0)
                kept << part; // above a relative path's start: nothing to take away
            continue;
        }
        kept << part;
    }
    return kept.join(kBackslash);
}

} // namespace

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

bool IsRelativePath(const QString& path)
{
    const QString p = TrimBlanks(path);
    if (p.startsWith(u'\\') || p.startsWith(u'/'))
        return false;
    return !(p.size() >= 2 && isDriveLetter(p[0]) && p[1] == u':');
}

QString PathFrom(const QString& folder, const QString& path)
{
    if (!IsRelativePath(path))
        return path;
    QString relative = path;
    relative.replace(u'/', u'\\');
    return withoutDotParts(JoinPath(folder, relative));
}

} // namespace lumo
