#include "cad/embedded/view/view_memory.h"

#include <QFileInfo>
#include <QSettings>

#include <cmath>
#include <vector>

namespace lumo::view {

namespace {

const QString kGroup = QStringLiteral("views");

struct Entry {
    QString path;
    RememberedView view;
};

QString key(const QString& drawingPath)
{
    return QFileInfo(drawingPath).absoluteFilePath();
}

bool samePath(const QString& a, const QString& b)
{
#ifdef _WIN32
    return a.compare(b, Qt::CaseInsensitive) == 0;
#else
    return a == b;
#endif
}

bool usable(const RememberedView& v)
{
    return std::isfinite(v.centre.x) && std::isfinite(v.centre.y) && std::isfinite(v.pixelsPerUnit)
        && v.pixelsPerUnit > 0.0;
}

std::vector<Entry> readAll(QSettings& store)
{
    std::vector<Entry> entries;
    const int count = store.beginReadArray(kGroup);
    for (int i = 0; i < count; ++i) {
        store.setArrayIndex(i);
        Entry e;
        e.path = store.value(QStringLiteral("drawing")).toString();
        bool okX = false, okY = false, okScale = false;
        e.view.centre.x = store.value(QStringLiteral("x")).toDouble(&okX);
        e.view.centre.y = store.value(QStringLiteral("y")).toDouble(&okY);
        e.view.pixelsPerUnit = store.value(QStringLiteral("scale")).toDouble(&okScale);
        if (!e.path.isEmpty() && okX && okY && okScale && usable(e.view))
            entries.push_back(e);
    }
    store.endArray();
    return entries;
}

} // namespace

std::optional<RememberedView> RememberedViewOf(const QString& iniPath, const QString& drawingPath)
{
    if (iniPath.isEmpty() || drawingPath.isEmpty())
        return std::nullopt;
    QSettings store(iniPath, QSettings::IniFormat);
    const QString wanted = key(drawingPath);
    for (const Entry& e : readAll(store))
        if (samePath(e.path, wanted))
            return e.view;
    return std::nullopt;
}

void RememberView(const QString& iniPath, const QString& drawingPath, const RememberedView& view)
{
    if (iniPath.isEmpty() || drawingPath.isEmpty() || !usable(view))
        return;
    QSettings store(iniPath, QSettings::IniFormat);
    std::vector<Entry> entries = readAll(store);
    const QString path = key(drawingPath);
    std::erase_if(entries, [&](const Entry& e) { return samePath(e.path, path); });
    entries.insert(entries.begin(), Entry{path, view});
    if (entries.size() > std::size_t(kRememberedViews))
        entries.resize(kRememberedViews);
    store.remove(kGroup);
    store.beginWriteArray(kGroup, int(entries.size()));
    for (int i = 0; i < int(entries.size()); ++i) {
        store.setArrayIndex(i);
        store.setValue(QStringLiteral("drawing"), entries[i].path);
        // Text with every digit, so that the view comes back exactly.
        store.setValue(QStringLiteral("x"), QString::number(entries[i].view.centre.x, 'g', 17));
        store.setValue(QStringLiteral("y"), QString::number(entries[i].view.centre.y, 'g', 17));
        store.setValue(QStringLiteral("scale"), QString::number(entries[i].view.pixelsPerUnit, 'g', 17));
    }
    store.endArray();
}

} // namespace lumo::view
