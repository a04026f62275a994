#include "app/core/toolbar_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>

namespace quillorn::app {

QString themeIconName(const QString& pictureKey) {
    if (pictureKey == QLatin1String("Open"))
        return QStringLiteral("document-open");
    if (pictureKey == QLatin1String("Save"))
        return QStringLiteral("document-save-as");
    if (pictureKey == QLatin1String("Print"))
        return QStringLiteral("document-print");
    if (pictureKey == QLatin1String("Redo"))
        return QStringLiteral("go-jump");
    if (pictureKey == QLatin1String("Back"))
        return QStringLiteral("go-previous");
    if (pictureKey == QLatin1String("Forward"))
        return QStringLiteral("go-next");
    if (pictureKey == QLatin1String("zoomin"))
        return QStringLiteral("zoom-in");
    if (pictureKey == QLatin1String("zoomOUT"))
        return QStringLiteral("zoom-out");
    if (pictureKey == QLatin1String("stop"))
        return QStringLiteral("process-stop");
    return {};
}

namespace {
void drawArrow(QPainter& p, bool pointsRight) {
    QPolygonF arrow;
    if (pointsRight)
        arrow << QPointF(4, 9) << QPointF(14, 9) << QPointF(14, 4) << QPointF(22, 12)
              << QPointF(14, 20) << QPointF(14, 15) << QPointF(4, 15);
    else
        arrow << QPointF(20, 9) << QPointF(10, 9) << QPointF(10, 4) << QPointF(2, 12)
              << QPointF(10, 20) << QPointF(10, 15) << QPointF(20, 15);
    p.setBrush(QColor(40, 110, 200));
    p.drawPolygon(arrow);
}

void drawLens(QPainter& p, bool plus) {
    p.setBrush(QColor(230, 240, 255));
    p.drawEllipse(QRectF(3, 3, 13, 13));
    p.setPen(QPen(Qt::black, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(15, 15), QPointF(21, 21));
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(6, 9.5), QPointF(13, 9.5));
    if (plus)
        p.drawLine(QPointF(9.5, 6), QPointF(9.5, 13));
}
} // namespace

QIcon fallbackToolbarIcon(const QString& pictureKey) {
    QPixmap pixmap(24, 24);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    if (pictureKey == QLatin1String("Open")) {
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(QRectF(2.5, 7.5, 19, 13));
        p.drawRect(QRectF(2.5, 4.5, 8, 3));
    } else if (pictureKey == QLatin1String("Save")) {
        p.setBrush(QColor(60, 90, 160));
        p.drawRect(QRectF(3.5, 3.5, 17, 17));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(7.5, 3.5, 9, 6));
        p.drawRect(QRectF(6.5, 13.5, 11, 7));
    } else if (pictureKey == QLatin1String("Print")) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 2.5, 11, 8));
        p.setBrush(QColor(150, 150, 150));
        p.drawRect(QRectF(2.5, 9.5, 19, 8));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 14.5, 11, 7));
    } else if (pictureKey == QLatin1String("Redo")) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(40, 110, 200), 3));
        QPainterPath arc;
        arc.moveTo(4, 18);
        arc.cubicTo(4, 6, 16, 4, 18, 12);
        p.drawPath(arc);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 110, 200));
        p.drawPolygon(QPolygonF() << QPointF(13, 12) << QPointF(22, 11) << QPointF(19, 19));
    } else if (pictureKey == QLatin1String("Back")) {
        drawArrow(p, false);
    } else if (pictureKey == QLatin1String("Forward")) {
        drawArrow(p, true);
    } else if (pictureKey == QLatin1String("zoomin")) {
        drawLens(p, true);
    } else if (pictureKey == QLatin1String("zoomOUT")) {
        drawLens(p, false);
    } else if (pictureKey == QLatin1String("stop")) {
        p.setBrush(QColor(200, 40, 40));
        p.drawEllipse(QRectF(3.5, 3.5, 17, 17));
        p.setPen(QPen(Qt::white, 3));
        p.drawLine(QPointF(8, 8), QPointF(16, 16));
        p.drawLine(QPointF(16, 8), QPointF(8, 16));
    } else {
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4.5, 4.5, 15, 15));
    }
    p.end();
    return QIcon(pixmap);
}

QIcon toolbarIcon(const QString& pictureKey) {
    const QString name = themeIconName(pictureKey);
    if (!name.isEmpty() && QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    return fallbackToolbarIcon(pictureKey);
}

} // namespace quillorn::app
