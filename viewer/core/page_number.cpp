#include "viewer/core/page_number.h"

#include <cmath>

namespace quillorn::viewer {

std::optional<qint16> pageFromAnswer(const QString& answer, const QLocale& locale) {
    const QString text = answer.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // "1,5" must not read as fifteen where the comma groups thousands.
    QLocale user = locale;
    user.setNumberOptions(QLocale::RejectGroupSeparator);
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    double value = user.toDouble(text, &ok);
    if (!ok)
        value = c.toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    const double page = std::floor(value);
    if (page < -32768.0 || page > 32767.0)
        return std::nullopt;
    return static_cast<qint16>(page);
}

} // namespace quillorn::viewer
