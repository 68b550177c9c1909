// The drawing window's "Pomoc" menu: the help's contents (F1), the keyboard
// shortcuts of the window, and "O programie" with the version and the
// licences of what the program is built from.
#pragma once

#include <QString>

class QMainWindow;
class QWidget;

namespace lumo {

class Dialogs;

// helpFile: the help file as start-up names it (see OpenHelp); the HTML help
// beside it opens when the compiled one is not there.
void AddHelpMenu(QMainWindow& window, Dialogs& dialogs, const QString& helpFile);

// The help file of the suite around programFolder: LUMO.chm beside the
// program, with its main window.
QString SuiteHelpFile(const QString& programFolder);

// The shortcuts of the window's menus ("Cały rysunek — Home"), then the keys
// the drawing takes (F3, F8, Escape), one a line.
QString ShortcutList(const QWidget& window);

// The text of "O programie".
QString AboutText();

} // namespace lumo
