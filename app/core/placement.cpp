#include "app/core/placement.h"

#include "app/core/settings_store.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillorn::app {

namespace {
const QString kSection = QStringLiteral("Settings");

float ReadNumber(const SettingsStore& store, const QString& key, float fallback) {
    const QString text = store.GetSetting(kSection, key, SingleText(fallback)).trimmed();
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || std::abs(value) > std::numeric_limits<float>::max())
        return fallback;
    return static_cast<float>(value);
}

int ToPixels(float twips, double dpi) {
    const double pixels = static_cast<double>(twips) * dpi / 1440.0;
    return static_cast<int>(std::clamp(std::round(pixels), -1.0e9, 1.0e9));
}

float ToTwips(int pixels, double dpi) {
    return static_cast<float>(std::round(pixels * 1440.0 / dpi));
}

// Squared distance between two rectangles (0 when they touch or overlap).
qint64 Distance2(const QRect& a, const QRect& b) {
    const qint64 dx =
        std::max<qint64>({0, qint64(b.left()) - a.right(), qint64(a.left()) - b.right()});
    const qint64 dy =
        std::max<qint64>({0, qint64(b.top()) - a.bottom(), qint64(a.top()) - b.bottom()});
    return dx * dx + dy * dy;
}
} // namespace

QString SingleText(float value) {
    return QString::number(static_cast<double>(value), 'g', 7);
}

Placement ReadPlacement(const SettingsStore& store) {
    const Placement defaults;
    Placement p;
    p.left = ReadNumber(store, QStringLiteral("MainLeft"), defaults.left);
    p.top = ReadNumber(store, QStringLiteral("MainTop"), defaults.top);
    p.width = ReadNumber(store, QStringLiteral("MainWidth"), defaults.width);
    p.height = ReadNumber(store, QStringLiteral("MainHeight"), defaults.height);
    return p;
}

void WritePlacement(SettingsStore& store, const Placement& placement) {
    store.SaveSetting(kSection, QStringLiteral("MainLeft"), SingleText(placement.left));
    store.SaveSetting(kSection, QStringLiteral("MainTop"), SingleText(placement.top));
    store.SaveSetting(kSection, QStringLiteral("MainWidth"), SingleText(placement.width));
    store.SaveSetting(kSection, QStringLiteral("MainHeight"), SingleText(placement.height));
}

QRect PlacementToPixels(const Placement& placement, double dpiX, double dpiY) {
    return QRect(ToPixels(placement.left, dpiX), ToPixels(placement.top, dpiY),
                 ToPixels(placement.width, dpiX), ToPixels(placement.height, dpiY));
}

Placement PixelsToPlacement(const QRect& frame, double dpiX, double dpiY) {
    return Placement{ToTwips(frame.x(), dpiX), ToTwips(frame.y(), dpiY),
                     ToTwips(frame.width(), dpiX), ToTwips(frame.height(), dpiY)};
}

QRect BringOntoScreens(const QRect& frame, const QList<QRect>& screens) {
    if (screens.isEmpty())
        return frame;
    for (const QRect& screen : screens)
        if (screen.intersects(frame))
            return frame;
    const QRect* nearest = &screens.front();
    for (const QRect& screen : screens)
        if (Distance2(screen, frame) < Distance2(*nearest, frame))
            nearest = &screen;
    QRect moved(frame.topLeft(), QSize(std::clamp(frame.width(), 1, nearest->width()),
                                       std::clamp(frame.height(), 1, nearest->height())));
    moved.moveLeft(std::clamp(moved.left(), nearest->left(), nearest->right() - moved.width() + 1));
    moved.moveTop(std::clamp(moved.top(), nearest->top(), nearest->bottom() - moved.height() + 1));
    return moved;
}

} // namespace quillorn::app
