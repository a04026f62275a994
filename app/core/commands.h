#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

namespace quillorn::app {

// The zoom buttons step the display resolution by this many dots per inch.
inline constexpr int kZoomStep = 9;

// The resolution after one zoom step, or nothing when the step would leave the signed 16-bit
// range or take the resolution below 1 dot per inch.
std::optional<std::int16_t> ZoomIn(std::int16_t resolution);
std::optional<std::int16_t> ZoomOut(std::int16_t resolution);

enum class ToolbarAction { None, Open, Convert, Print, Goto, Previous, Next, ZoomIn, ZoomOut };

struct ToolbarButton {
    QString key; // what the dispatch compares
    QString toolTip;
    QString pictureKey; // the picture's key in the toolbar's image list
    ToolbarAction action;
};

// The toolbar's buttons, left to right.
const std::array<ToolbarButton, 8>& ToolbarButtons();

// The action of a clicked button's key: compared exactly, in the buttons' order; None when no
// key matches.
ToolbarAction ToolbarActionForKey(const QString& key);

} // namespace quillorn::app
