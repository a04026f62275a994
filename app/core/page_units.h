#pragma once

#include "options/core/options.h"

#include <QLocale>
#include <QPointF>
#include <QString>

namespace quillorn::app {

// A length on the page in pixels of a page rendered at `resolution` dots per inch, in the units
// of Options > Units (a number outside the menu counts as pixels).
double pixelsInUnits(double pixels, options::Units units, double resolution);

// The status bar's texts, in the chosen units with the locale's decimal separator: a position
// on the page from its top-left corner ("x 12.7, y 25.4 mm"), and the distance between two
// points with its horizontal and vertical parts ("Distance: 35.3 mm (dx 30.0, dy 18.6)").
QString positionText(QPointF pixels, options::Units units, double resolution,
                     const QLocale& locale = QLocale());
QString distanceText(QPointF from, QPointF to, options::Units units, double resolution,
                     const QLocale& locale = QLocale());

} // namespace quillorn::app
