#include "app/core/zoom.h"

#include <limits>

namespace quillorn::app {

namespace {
std::optional<std::int16_t> step(std::int16_t resolution, int delta) {
    const int next = int(resolution) + delta;
    if (next < 1 || next > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(next);
}
} // namespace

std::optional<std::int16_t> zoomIn(std::int16_t resolution) {
    return step(resolution, kZoomStep);
}

std::optional<std::int16_t> zoomOut(std::int16_t resolution) {
    return step(resolution, -kZoomStep);
}

} // namespace quillorn::app
