#include "cad/embedded/view/tool_palette.h"

#include <QHeaderView>
#include <QTreeWidget>

namespace lumo::view {

namespace {
constexpr int kNameRole = Qt::UserRole + 1;
}

ToolPalette::ToolPalette(const QString& title, QWidget* parent) : QDockWidget(title, parent)
{
    setObjectName(QStringLiteral("toolPalette"));
    setFeatures(QDockWidget::DockWidgetMovable | QDockWidget::DockWidgetFloatable);
    tree_ = new QTreeWidget(this);
    tree_->setHeaderHidden(true);
    tree_->setIconSize(QSize(32, 32));
    tree_->setRootIsDecorated(true);
    tree_->setMinimumWidth(160);
    setWidget(tree_);
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QString name = item->data(0, kNameRole).toString();
        if (!name.isEmpty())
            emit chosen(name);
    });
}

void ToolPalette::addGroup(const QString& title)
{
    group_ = new QTreeWidgetItem(tree_, QStringList{title});
    group_->setFlags(Qt::ItemIsEnabled);
    group_->setExpanded(true);
}

void ToolPalette::addTool(const QString& name, const QString& toolTip, const QIcon& icon)
{
    if (!group_)
        addGroup(QString());
    auto* item = new QTreeWidgetItem(group_, QStringList{name});
    item->setData(0, kNameRole, name);
    item->setToolTip(0, toolTip);
    item->setIcon(0, icon);
    group_->setExpanded(true);
}

QTreeWidgetItem* ToolPalette::tool(const QString& name) const
{
    for (int g = 0; g < tree_->topLevelItemCount(); ++g) {
        QTreeWidgetItem* group = tree_->topLevelItem(g);
        for (int i = 0; i < group->childCount(); ++i)
            if (group->child(i)->data(0, kNameRole).toString() == name)
                return group->child(i);
    }
    return nullptr;
}

void ToolPalette::choose(const QString& name)
{
    if (isEnabled() && tool(name))
        emit chosen(name);
}

} // namespace lumo::view
