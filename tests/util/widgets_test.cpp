#include "qt_printers.h"
#include "util/widgets.h"

#include <QComboBox>
#include <QWidget>

#include <array>
#include <vector>

#include <gtest/gtest.h>

namespace lumo {
namespace {

QStringList Items(const QComboBox& combo)
{
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    return items;
}

TEST(Widgets, FillComboFromArrayRunsTheRuleOnceForTheShownItem)
{
    QComboBox combo;
    combo.addItems({"old", "items"});
    combo.setCurrentIndex(1);
    std::vector<int> changes;
    QObject::connect(&combo, &QComboBox::currentIndexChanged, [&](int i) { changes.push_back(i); });

    const std::array<QString, 5> table = {"a", "b", "c", "d", "e"};
    FillComboFromArray(&combo, table, 1, 3, 1);
    EXPECT_EQ(Items(combo), (QStringList{"b", "c", "d"}));
    EXPECT_EQ(combo.currentText(), "c");
    EXPECT_EQ(changes, std::vector<int>{1});

    // Showing item 0 after a refill still runs the rule, as a choice does.
    changes.clear();
    FillComboFromArray(&combo, QStringList{"p", "p1", "p2"}, 0, 2, 0);
    EXPECT_EQ(Items(combo), (QStringList{"p", "p1", "p2"}));
    EXPECT_EQ(combo.currentIndex(), 0);
    EXPECT_EQ(changes, std::vector<int>{0});
}

} // namespace
} // namespace lumo
