#include "cad/embedded/view/window_size.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <algorithm>

namespace lumo::view {

namespace {

const QString kSizeKey = QStringLiteral("window/size");
const QString kMaximizedKey = QStringLiteral("window/maximized");
// Title bar and borders of the usual window managers, before the window has
// shown and can tell its own.
const QSize kUsualFrame(10, 40);

} // namespace

QSize FittedWindowSize(QSize wanted, const QRect& available, QSize frame)
{
    if (!available.isValid() || wanted.isEmpty())
        return wanted;
    return QSize(std::min(wanted.width(), available.width() - frame.width()),
                 std::min(wanted.height(), available.height() - frame.height()));
}

WindowSizeKeeper::WindowSizeKeeper(QWidget& window, const QString& iniPath)
    : QObject(&window), window_(window), iniPath_(iniPath)
{
    QSize wanted = window.size();
    bool maximized = false;
    if (!iniPath_.isEmpty()) {
        const QSettings store(iniPath_, QSettings::IniFormat);
        wanted = store.value(kSizeKey, wanted).toSize();
        maximized = store.value(kMaximizedKey, false).toBool();
    }
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect();
    window.resize(FittedWindowSize(wanted, available, kUsualFrame));
    if (available.isValid())
        window.move(available.topLeft());
    if (maximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    window.installEventFilter(this);
}

bool WindowSizeKeeper::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == &window_ && (event->type() == QEvent::Close || event->type() == QEvent::Hide))
        save();
    return false;
}

void WindowSizeKeeper::save() const
{
    if (iniPath_.isEmpty())
        return;
    QSettings store(iniPath_, QSettings::IniFormat);
    const bool maximized = window_.isMaximized();
    store.setValue(kMaximizedKey, maximized);
    if (!maximized)
        store.setValue(kSizeKey, window_.size());
}

} // namespace lumo::view
