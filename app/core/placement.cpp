#include "app/core/placement.h"

#include "base/settings_store.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillorn::app {

namespace {
const QString kSection = QStringLiteral("Settings");

float readNumber(const SettingsStore& store, const QString& key, float fallback) {
    const QString text = store.value(kSection, key, singleText(fallback)).trimmed();
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > std::numeric_limits<float>::max())
        return fallback;
    return static_cast<float>(value);
}

int toPixels(float twips, double dpi) {
    const double pixels = static_cast<double>(twips) * dpi / 1440.0;
    return static_cast<int>(std::clamp(std::round(pixels), -1.0e9, 1.0e9));
}

float toTwips(int pixels, double dpi) {
    return static_cast<float>(std::round(pixels * 1440.0 / dpi));
}

// Squared distance between two rectangles (0 when they touch or overlap).
qint64 distance2(const QRect& a, const QRect& b) {
    const qint64 dx =
        std::max<qint64>({0, qint64(b.left()) - a.right(), qint64(a.left()) - b.right()});
    const qint64 dy =
        std::max<qint64>({0, qint64(b.top()) - a.bottom(), qint64(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}
} // namespace

QString singleText(float value) {
    return QString::number(static_cast<double>(value), 'g', 7);
}

Placement readPlacement(const SettingsStore& store) {
    const Placement defaults;
    Placement p;
    p.left = readNumber(store, QStringLiteral("MainLeft"), defaults.left);
    p.top = readNumber(store, QStringLiteral("MainTop"), defaults.top);
    p.width = readNumber(store, QStringLiteral("MainWidth"), defaults.width);
    p.height = readNumber(store, QStringLiteral("MainHeight"), defaults.height);
    return p;
}

void writePlacement(SettingsStore& store, const Placement& placement) {
    store.setValue(kSection, QStringLiteral("MainLeft"), singleText(placement.left));
    store.setValue(kSection, QStringLiteral("MainTop"), singleText(placement.top));
    store.setValue(kSection, QStringLiteral("MainWidth"), singleText(placement.width));
    store.setValue(kSection, QStringLiteral("MainHeight"), singleText(placement.height));
}

QRect placementToPixels(const Placement& placement, double dpiX, double dpiY) {
    return QRect(toPixels(placement.left, dpiX), toPixels(placement.top, dpiY),
                 toPixels(placement.width, dpiX), toPixels(placement.height, dpiY));
}

Placement pixelsToPlacement(const QRect& frame, double dpiX, double dpiY) {
    return Placement{toTwips(frame.x(), dpiX), toTwips(frame.y(), dpiY),
                     toTwips(frame.width(), dpiX), toTwips(frame.height(), dpiY)};
}

QRect bringOntoScreens(const QRect& frame, const QList<QRect>& screens) {
    if (screens.isEmpty())
        return frame;
    for (const QRect& screen : screens)
        if (screen.intersects(frame))
            return frame;
    const QRect* nearest = &screens.front();
    for (const QRect& screen : screens)
        if (distance2(screen, frame) < distance2(*nearest, frame))
            nearest = &screen;
    QRect moved(frame.topLeft(), QSize(std::clamp(frame.width(), 1, nearest->width()),
                                       std::clamp(frame.height(), 1, nearest->height())));
    moved.moveLeft(std::clamp(moved.left(), nearest->left(), nearest->right() - moved.width() + 1));
    moved.moveTop(std::clamp(moved.top(), nearest->top(), nearest->bottom() - moved.height() + 1));
    return moved;
}

} // namespace quillorn::app
