#include "traypicture.h"

#include <QPainter>
#include <QPixmap>

QIcon trayPicture(const QIcon &windowIcon)
{
    // The window's icon holds every size, so a tray of 22 or 24 pixels gets a sharp one.
    if (!windowIcon.pixmap(32).isNull())
        return windowIcon;
    const QPixmap program(QStringLiteral(":/icons/wakemere-32.png"));
    if (!program.isNull())
        return QIcon(program);

    QPixmap disc(32, 32);
    disc.fill(Qt::transparent);
    QPainter painter(&disc);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(128, 0, 0), 2));
    painter.setBrush(QColor(220, 0, 0));
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    painter.end();
    return QIcon(disc);
}
