// The drawing window's size: as the designer left it last time (kept in
// the window's settings file), and never larger than the free area of the
// screen it opens on, so that a 1366 x 768 laptop shows the whole window
// with its title bar, status line and prompt line.
#pragma once

#include <QObject>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace lumo::view {

// The size for a window wanted at `wanted` on a screen whose free area is
// `available`; `frame` is what the title bar and borders add around it.
QSize FittedWindowSize(QSize wanted, const QRect& available, QSize frame);

// Restores the window's size from iniPath ("" remembers nothing) fitted to
// its screen, and writes it back whenever the window closes or hides. Lives
// as the window's child.
class WindowSizeKeeper : public QObject {
public:
    WindowSizeKeeper(QWidget& window, const QString& iniPath);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void save() const;
    QWidget& window_;
    QString iniPath_;
};

} // namespace lumo::view
