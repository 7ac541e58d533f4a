#include "traypicture.h"

#include <QPainter>
#include <QPixmap>

QIcon trayPicture(const QIcon &windowIcon)
{
    const QPixmap program(QStringLiteral(":/icons/wakemere-32.png"));
    if (!program.isNull())
        return QIcon(program);
    if (!windowIcon.isNull())
        return windowIcon;

    QPixmap disc(32, 32);
    disc.fill(Qt::transparent);
    QPainter painter(&disc);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(128, 0, 0), 2));
    painter.setBrush(QColor(220, 0, 0));
    painter.drawEllipse(QRectF(2, 2, 28, 28));
    return QIcon(disc);
}
