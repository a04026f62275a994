#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace quillorn::app {

// A zoom as a percentage of the page's size on paper: 100 % draws a page at the screen's own
// dots per inch (screenDpi), as large as the paper when the screen says its size truly.
int zoomPercent(int resolution, double screenDpi);
// The resolution a typed percentage asks for ("150", "150%", " 150 % "), within the signed
// 16-bit range; nothing for a text that is no positive number or a zoom below 1 dot per inch.
std::optional<std::int16_t> resolutionForPercent(const QString& typed, double screenDpi);

} // namespace quillorn::app
