#pragma once

#include <QList>
#include <QMargins>
#include <QRect>
#include <QSizeF>
#include <optional>

namespace quillorn {
class SettingsStore;
}

namespace quillorn::app {

// The main window's outer rectangle (the window manager's frame included) in twips (1/1440
// inch), as the store keeps it, and whether the window was maximised; the rectangle is then the
// one it goes back to.
struct Placement {
    float left = 1000;
    float top = 1000;
    float width = 6500;
    float height = 6500;
    bool maximized = false;
    friend bool operator==(const Placement&, const Placement&) = default;
};

// "Settings"/"MainLeft", "MainTop", "MainWidth", "MainHeight" and "MainMaximized" ("True" or
// "False"); a value that is absent or not a number gives its default. Nothing when the store
// holds none of them.
std::optional<Placement> readPlacement(const SettingsStore& store);
// Sets the values that differ from before; all of them when nothing was stored before.
void writePlacement(SettingsStore& store, const Placement& placement,
                    const std::optional<Placement>& before);

// The decimal text the store keeps a single-precision number as: "1000", "1234.5".
QString singleText(float value);

// Twips and pixels at the screen's logical dots per inch.
QRect placementToPixels(const Placement& placement, double dpiX, double dpiY);
Placement pixelsToPlacement(const QRect& frame, double dpiX, double dpiY);

// The smallest frame the window is restored at, and how much of it stays on a screen.
inline constexpr QSize kSmallestFrame(240, 160);
inline constexpr QSize kLeastVisible(160, 80);

// A usable frame on the available screen areas: on the screen it overlaps most, no larger than
// that screen and no smaller than kSmallestFrame, its top edge (where the title bar is) on the
// screen and at least kLeastVisible of it there. A frame that overlaps no screen is put wholly
// on the nearest.
QRect bringOntoScreens(const QRect& frame, const QList<QRect>& screens);

// The window manager's frame around a window: the outer rectangle less the window's own.
QMargins decorationOf(const QRect& frame, const QRect& client);
// The window's own rectangle that gives the outer frame with that decoration, and back.
QRect clientRect(const QRect& frame, const QMargins& decoration);
QRect frameRect(const QRect& client, const QMargins& decoration);

// Room a frame leaves for a decoration not yet known: borders and a title bar.
inline constexpr QMargins kDecorationAllowance(8, 40, 8, 8);

// The frame of a first start: wide enough to show a whole page of pagePoints at 75 dots per inch
// beside chrome (what the window needs around the page: menus, bars, frames), and as tall as the
// page where the screen allows, the decoration allowed for; within the available area and
// centred on it.
QRect firstFrame(const QSizeF& pagePoints, const QSize& chrome, const QRect& available);

// What the store gets at shutdown, frame being the outer rectangle of the window's normal state
// and startFrame the one the start took from the store (before bringing it onto the screens), or
// the first frame when nothing was stored. A value whose pixels are still the start's keeps the
// twips it was read as, so that restoring and saving give back the same numbers. Without a
// stored placement: nothing while the window is where the start put it, else all of it.
std::optional<Placement> placementToStore(const std::optional<Placement>& read,
                                          const QRect& startFrame, const QRect& frame,
                                          bool maximized, double dpiX, double dpiY);

} // namespace quillorn::app
