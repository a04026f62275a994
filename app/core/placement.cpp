#include "app/core/placement.h"

#include "base/settings_store.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillorn::app {

namespace {
const QString kSection = QStringLiteral("Settings");
const QString kMaximized = QStringLiteral("MainMaximized");
const char* const kKeys[] = {"MainLeft", "MainTop", "MainWidth", "MainHeight"};

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

qint64 overlap(const QRect& a, const QRect& b) {
    const QRect common = a & b;
    return common.isEmpty() ? 0 : qint64(common.width()) * common.height();
}

// Clamps without asserting when the bounds cross (a screen smaller than the least visible part).
int bounded(int value, int low, int high) {
    return std::max(low, std::min(value, high));
}
} // namespace

QString singleText(float value) {
    return QString::number(static_cast<double>(value), 'g', 7);
}

std::optional<Placement> readPlacement(const SettingsStore& store) {
    bool any = store.contains(kSection, kMaximized);
    for (const char* key : kKeys)
        any = any || store.contains(kSection, QLatin1String(key));
    if (!any)
        return std::nullopt;
    const Placement defaults;
    Placement p;
    p.left = readNumber(store, QStringLiteral("MainLeft"), defaults.left);
    p.top = readNumber(store, QStringLiteral("MainTop"), defaults.top);
    p.width = readNumber(store, QStringLiteral("MainWidth"), defaults.width);
    p.height = readNumber(store, QStringLiteral("MainHeight"), defaults.height);
    p.maximized = store.value(kSection, kMaximized) == QLatin1String("True");
    return p;
}

void writePlacement(SettingsStore& store, const Placement& placement,
                    const std::optional<Placement>& before) {
    const auto save = [&](float Placement::*field, const char* key) {
        if (!before || (*before).*field != placement.*field)
            store.setValue(kSection, QLatin1String(key), singleText(placement.*field));
    };
    save(&Placement::left, "MainLeft");
    save(&Placement::top, "MainTop");
    save(&Placement::width, "MainWidth");
    save(&Placement::height, "MainHeight");
    if (!before || before->maximized != placement.maximized)
        store.setValue(kSection, kMaximized,
                       placement.maximized ? QStringLiteral("True") : QStringLiteral("False"));
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
    const QRect* best = &screens.front();
    for (const QRect& screen : screens) {
        const qint64 mine = overlap(screen, frame), theirs = overlap(*best, frame);
        if (mine > theirs || (mine == theirs && distance2(screen, frame) < distance2(*best, frame)))
            best = &screen;
    }
    const QRect& screen = *best;
    const QSize size(bounded(frame.width(), kSmallestFrame.width(), screen.width()),
                     bounded(frame.height(), kSmallestFrame.height(), screen.height()));
    // Wholly off every screen: wholly onto the chosen one.
    if (overlap(screen, frame) == 0)
        return QRect(
            QPoint(bounded(frame.left(), screen.left(), screen.right() + 1 - size.width()),
                   bounded(frame.top(), screen.top(), screen.bottom() + 1 - size.height())),
            size);
    const int visibleWidth = std::min(kLeastVisible.width(), size.width());
    const int visibleHeight = std::min(kLeastVisible.height(), size.height());
    const int left = bounded(frame.left(), screen.left() + visibleWidth - size.width(),
                             screen.right() + 1 - visibleWidth);
    const int top = bounded(frame.top(), screen.top(), screen.bottom() + 1 - visibleHeight);
    return QRect(QPoint(left, top), size);
}

QMargins decorationOf(const QRect& frame, const QRect& client) {
    return QMargins(client.left() - frame.left(), client.top() - frame.top(),
                    frame.right() - client.right(), frame.bottom() - client.bottom());
}

QRect clientRect(const QRect& frame, const QMargins& decoration) {
    return frame.marginsRemoved(decoration);
}

QRect frameRect(const QRect& client, const QMargins& decoration) {
    return client.marginsAdded(decoration);
}

QRect firstFrame(const QSizeF& pagePoints, const QSize& chrome, const QRect& available) {
    const auto pixels = [](double points) { return static_cast<int>(std::ceil(points * 75 / 72)); };
    const QSize client(pixels(pagePoints.width()) + chrome.width(),
                       pixels(pagePoints.height()) + chrome.height());
    QRect frame = frameRect(QRect(QPoint(0, 0), client), kDecorationAllowance);
    frame.setSize(frame.size().boundedTo(available.size()));
    frame.moveCenter(available.center());
    return frame;
}

std::optional<Placement> placementToStore(const std::optional<Placement>& read,
                                          const QRect& startFrame, const QRect& frame,
                                          bool maximized, double dpiX, double dpiY) {
    Placement now = pixelsToPlacement(frame, dpiX, dpiY);
    now.maximized = maximized;
    if (!read)
        return frame == startFrame && !maximized ? std::nullopt : std::optional(now);
    Placement kept = *read;
    kept.maximized = maximized;
    if (frame.x() != startFrame.x())
        kept.left = now.left;
    if (frame.y() != startFrame.y())
        kept.top = now.top;
    if (frame.width() != startFrame.width())
        kept.width = now.width;
    if (frame.height() != startFrame.height())
        kept.height = now.height;
    return kept;
}

} // namespace quillorn::app
