#pragma once

#include <cstdint>
#include <optional>

namespace quillorn::app {

// The zoom buttons step the display resolution by this many dots per inch.
inline constexpr int kZoomStep = 9;

// The resolution after one zoom step, or nothing when the step would leave the signed 16-bit
// range or take the resolution below 1 dot per inch.
std::optional<std::int16_t> zoomIn(std::int16_t resolution);
std::optional<std::int16_t> zoomOut(std::int16_t resolution);

} // namespace quillorn::app
