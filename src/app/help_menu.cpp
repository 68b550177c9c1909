#include "app/help_menu.h"

#include "app/command_line.h"
#include "util/dialogs.h"
#include "util/help.h"
#include "util/paths.h"

#include <QAction>
#include <QKeySequence>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>

namespace lumo {

namespace {

const QString kTitle = QStringLiteral("LUMO Sygnalizacja");

QString withoutAccelerator(QString text)
{
    text.remove(QRegularExpression(QStringLiteral("&(?=[^&])")));
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    const qsizetype tab = text.indexOf(u'\t');
    return tab >= 0 ? text.left(tab) : text;
}

void listMenu(const QMenu& menu, const QString& path, QStringList& lines)
{
    for (const QAction* action : menu.actions()) {
        if (action->isSeparator())
            continue;
        const QString name = path + withoutAccelerator(action->text());
        if (action->menu()) {
            listMenu(*action->menu(), name + QStringLiteral(" → "), lines);
            continue;
        }
        if (!action->shortcut().isEmpty())
            lines << name + QStringLiteral(" — ") + action->shortcut().toString(QKeySequence::NativeText);
    }
}

} // namespace

QString SuiteHelpFile(const QString& programFolder)
{
    return JoinPath(programFolder, QStringLiteral("LUMO.chm>MAIN"));
}

QString ShortcutList(const QWidget& window)
{
    QStringList lines;
    if (const auto* main = qobject_cast<const QMainWindow*>(&window)) {
        for (const QAction* top : main->menuBar()->actions()) {
            if (top->menu())
                listMenu(*top->menu(), withoutAccelerator(top->text()) + QStringLiteral(" → "), lines);
        }
    }
    lines << QString() << QStringLiteral("Na rysunku:")
          << QStringLiteral("F3 — przyciąganie do punktów obiektów (włącz / wyłącz)")
          << QStringLiteral("F8 — orto: obrót co 90°")
          << QStringLiteral("Esc — anuluje pytanie o punkt lub kąt")
          << QStringLiteral("Enter — przyjmuje punkt lub kąt wpisany w wierszu poleceń")
          << QStringLiteral("Kółko myszy — powiększenie, środkowy przycisk — przesuwanie");
    return lines.join(u'\n');
}

QString AboutText()
{
    return QStringLiteral("<p><b>LUMO Sygnalizacja</b> w. %1</p>"
                          "<p>Ustawia sygnalizatory i przyciski dla pieszych na rysunkach CAD: "
                          "oznaczenie, opisy, ekrany kontrastowe i opis inwentaryzacyjny.</p>"
                          "<p>Zbudowany z bibliotek:</p><ul>"
                          "<li>Qt %2 — licencja GNU LGPL w wersji 3</li>"
                          "<li>czcionki DejaVu (wyświetlanie rysunków) — licencja czcionek Bitstream Vera "
                          "i domena publiczna</li></ul>"
                          "<p>Rysunki testowe dołączone do źródeł mają własne licencje (MIT, GNU GPL 2 i 3); "
                          "wymienia je plik copyright pakietu.</p>")
        .arg(GetVersionText(), QString::fromLatin1(qVersion()));
}

void AddHelpMenu(QMainWindow& window, Dialogs& dialogs, const QString& helpFile)
{
    QMenu* help = window.menuBar()->addMenu(QStringLiteral("Pomo&c"));
    QAction* contents = help->addAction(QStringLiteral("&Spis treści"), &window,
                                        [&dialogs, helpFile] { OpenHelp(dialogs, helpFile, 0); });
    contents->setShortcut(QKeySequence(Qt::Key_F1));
    contents->setShortcutContext(Qt::WindowShortcut);
    help->addAction(QStringLiteral("S&króty klawiszowe"), &window, [&window] {
        QMessageBox box(QMessageBox::Information, kTitle, QStringLiteral("Skróty klawiszowe okna rysunku"),
                        QMessageBox::Ok, &window);
        box.setInformativeText(ShortcutList(window));
        box.exec();
    });
    help->addSeparator();
    help->addAction(QStringLiteral("&O programie"), &window,
                    [&window] { QMessageBox::about(&window, QStringLiteral("O programie"), AboutText()); });
}

} // namespace lumo
