#include "app/core/zoom_percent.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace quillorn::app {

int zoomPercent(int resolution, double screenDpi) {
    if (screenDpi <= 0)
        return 0;
    return static_cast<int>(std::lround(resolution * 100.0 / screenDpi));
}

std::optional<std::int16_t> resolutionForPercent(const QString& typed, double screenDpi) {
    QString text = typed.trimmed();
    if (text.endsWith(u'%'))
        text.chop(1);
    bool number = false;
    const double percent = text.trimmed().toDouble(&number);
    if (!number || !std::isfinite(percent) || percent <= 0 || screenDpi <= 0)
        return std::nullopt;
    const double dpi = std::round(percent * screenDpi / 100.0);
    if (dpi < 1)
        return std::nullopt;
    return static_cast<std::int16_t>(
        std::min<double>(dpi, std::numeric_limits<std::int16_t>::max()));
}

} // namespace quillorn::app
