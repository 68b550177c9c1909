#include "app/program_icon.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>

namespace lumo {

namespace {

// Drawn on a 64 x 64 grid, as cmake/lumo-sygnalizacja.svg.
QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x55, 0x55, 0x55));
    painter.drawRect(QRectF(29, 50, 6, 12));
    painter.setBrush(QColor(0x22, 0x22, 0x22));
    painter.drawRoundedRect(QRectF(18, 2, 28, 50), 5, 5);
    const QColor lenses[] = {QColor(0xe0, 0x20, 0x20), QColor(0xf0, 0xc0, 0x20), QColor(0x20, 0xb0, 0x40)};
    for (int i = 0; i < 3; ++i) {
        painter.setBrush(lenses[i]);
        painter.drawEllipse(QPointF(32, 13 + 14 * i), 7.5, 7.5);
    }
    return pixmap;
}

} // namespace

QIcon ProgramIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(drawIcon(size));
    return icon;
}

void UseProgramIcon()
{
    QApplication::setWindowIcon(ProgramIcon());
}

} // namespace lumo
