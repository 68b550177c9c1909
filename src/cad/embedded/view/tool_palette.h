// The tool palette: tools in groups, each with an icon and a tool tip;
// choosing one (a click) tells its name.
#pragma once

#include <QDockWidget>
#include <QIcon>
#include <QString>

class QTreeWidget;
class QTreeWidgetItem;

namespace lumo::view {

class ToolPalette : public QDockWidget {
    Q_OBJECT
public:
    explicit ToolPalette(const QString& title, QWidget* parent = nullptr);

    // A new group, shown open; tools are added to the last group.
    void addGroup(const QString& title);
    void addTool(const QString& name, const QString& toolTip, const QIcon& icon);
    // The entry of a tool (null when there is none), for tests and pictures.
    QTreeWidgetItem* tool(const QString& name) const;
    QTreeWidget* tree() const { return tree_; }
    // Chooses a tool as a click on it does.
    void choose(const QString& name);

signals:
    void chosen(const QString& name);

private:
    QTreeWidget* tree_ = nullptr;
    QTreeWidgetItem* group_ = nullptr;
};

} // namespace lumo::view
