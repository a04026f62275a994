#include "app/core/page_units.h"

#include <QCoreApplication>
#include <cmath>

namespace quillorn::app {

namespace {
struct Unit {
    double perInch; // 0: the pixels as rendered
    int decimals;
    const char* name;
};
// In the order of options::Units.
constexpr Unit kUnits[] = {{0, 0, QT_TRANSLATE_NOOP("quillorn::app", "pixels")},
                           {1440, 0, QT_TRANSLATE_NOOP("quillorn::app", "twips")},
                           {25.4, 1, QT_TRANSLATE_NOOP("quillorn::app", "mm")},
                           {1, 2, QT_TRANSLATE_NOOP("quillorn::app", "inch")}};

const Unit& unit(options::Units units) {
    const auto index = static_cast<std::size_t>(units);
    return index < std::size(kUnits) ? kUnits[index] : kUnits[0];
}

QString number(double value, options::Units units, const QLocale& locale) {
    QLocale format = locale;
    format.setNumberOptions(QLocale::OmitGroupSeparator);
    // No "-0" for a value that rounds to zero.
    const double scale = std::pow(10.0, unit(units).decimals);
    const double rounded = std::round(value * scale) / scale;
    return format.toString(rounded == 0 ? 0.0 : rounded, 'f', unit(units).decimals);
}
} // namespace

double pixelsInUnits(double pixels, options::Units units, double resolution) {
    const Unit& u = unit(units);
    if (u.perInch == 0 || resolution <= 0)
        return pixels;
    return pixels * u.perInch / resolution;
}

QString positionText(QPointF pixels, options::Units units, double resolution,
                     const QLocale& locale) {
    return QCoreApplication::translate("quillorn::app", "x %1, y %2 %3")
        .arg(number(pixelsInUnits(pixels.x(), units, resolution), units, locale),
             number(pixelsInUnits(pixels.y(), units, resolution), units, locale),
             QCoreApplication::translate("quillorn::app", unit(units).name));
}

QString distanceText(QPointF from, QPointF to, options::Units units, double resolution,
                     const QLocale& locale) {
    const double dx = std::abs(to.x() - from.x());
    const double dy = std::abs(to.y() - from.y());
    const auto inUnits = [&](double pixels) {
        return number(pixelsInUnits(pixels, units, resolution), units, locale);
    };
    return QCoreApplication::translate("quillorn::app", "Distance: %1 %2 (dx %3, dy %4)")
        .arg(inUnits(std::hypot(dx, dy)),
             QCoreApplication::translate("quillorn::app", unit(units).name), inUnits(dx),
             inUnits(dy));
}

} // namespace quillorn::app
