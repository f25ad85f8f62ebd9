#include "mainwindow/forms/Pictures.h"

#include <QPainter>
#include <QPainterPath>

namespace qm::app {

namespace {

const QColor TileColour(0x1f, 0x5f, 0x8f);

QPixmap canvas(int size, QPainter& p)
{
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    p.begin(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    return pm;
}

} // namespace

QPixmap logoPixmap(int size)
{
    QPainter p;
    QPixmap pm = canvas(size, p);
    const qreal s = size / 48.0;
    p.setBrush(TileColour);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(2 * s, 2 * s, 44 * s, 44 * s), 9 * s, 9 * s);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(qRound(30 * s));
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, size, qRound(46 * s)), Qt::AlignCenter, "Q");
    p.end();
    return pm;
}

QPixmap productPixmap(int size)
{
    QPainter p;
    QPixmap pm = canvas(size, p);
    p.scale(size / 96.0, size / 96.0);
    p.setPen(Qt::NoPen);
    p.setBrush(TileColour.lighter(190));
    p.drawEllipse(QRectF(4, 4, 88, 88));
    // The vane: two curves from the tip down to the shaft's end.
    QPainterPath vane;
    vane.moveTo(78, 10);
    vane.cubicTo(52, 14, 30, 40, 26, 70);
    vane.cubicTo(40, 62, 62, 48, 78, 10);
    p.setBrush(TileColour);
    p.drawPath(vane);
    p.setPen(QPen(TileColour.darker(150), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(74, 16), QPointF(18, 84));
    p.end();
    return pm;
}

} // namespace qm::app
