#pragma once

#include "options/core/options.h"

#include <QString>

namespace quillorn::viewer {

// The renderer's device for a colour depth: bmpmono, bmpgray, bmp16, bmp256, bmp16m (also for
// any unknown depth).
QString displayDevice(int colourDepth);

// The renderer's argument line for one page: start, safer switch, device, resolution,
// anti-aliasing, paper size, fixed media, page range.
QString renderArgumentLine(const options::Options& options, qint32 page);

} // namespace quillorn::viewer
