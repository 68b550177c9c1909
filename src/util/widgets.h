// Helpers for the forms' widgets.
#pragma once

#include <QString>
#include <QStringList>
#include <span>

class QComboBox;
class QWidget;

namespace lumo {

// Clears the combo box, adds table[first..last] and then shows item number
// `shown` (0-based). Clearing and adding stay silent; showing the item runs
// the combo's rule (currentIndexChanged) exactly as a user's choice does.
void FillComboFromArray(QComboBox* combo, const QStringList& table, int first, int last, int shown);
void FillComboFromArray(QComboBox* combo, std::span<const QString> table, int first, int last, int shown);

// Keeps the window above all other windows (onTop) or puts it back among
// them, without moving or activating it, and shows it.
void SetWindowOnTop(QWidget* form, bool onTop);

} // namespace lumo
