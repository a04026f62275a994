#pragma once

#include <QList>
#include <QRect>

namespace quillorn {
class SettingsStore;
}

namespace quillorn::app {

// The main window's outer rectangle in twips (1/1440 inch), as the store keeps it.
struct Placement {
    float left = 1000;
    float top = 1000;
    float width = 6500;
    float height = 6500;
};

// "Settings"/"MainLeft", "MainTop", "MainWidth", "MainHeight"; a value that is absent or not a
// number gives its default.
Placement readPlacement(const SettingsStore& store);
void writePlacement(SettingsStore& store, const Placement& placement);

// The decimal text the store keeps a single-precision number as: "1000", "1234.5".
QString singleText(float value);

// Twips and pixels at the screen's logical dots per inch.
QRect placementToPixels(const Placement& placement, double dpiX, double dpiY);
Placement pixelsToPlacement(const QRect& frame, double dpiX, double dpiY);

// A frame that overlaps none of the screens is moved onto the nearest one, and shrunk to fit it;
// a frame that overlaps any screen is left as it is.
QRect bringOntoScreens(const QRect& frame, const QList<QRect>& screens);

} // namespace quillorn::app
