#include "viewer/core/render_arguments.h"

#include "gs/arguments.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quillorn::viewer {

QString displayDevice(options::ColourDepth colourDepth) {
    // In the order of the colour depths.
    static const std::array<const char*, options::kColourDepthCount> kDevices = {
        "bmpmono", "bmpgray", "bmp16", "bmp256", "bmp16m"};
    const auto index = static_cast<std::size_t>(colourDepth);
    if (index < kDevices.size())
        return QLatin1String(kDevices[index]);
    return QStringLiteral("bmp16m");
}

int renderResolution(int resolution, double ratio) {
    const double dots = std::round(resolution * (ratio > 0 ? ratio : 1.0));
    return static_cast<int>(std::clamp(dots, 1.0, 32767.0));
}

QString documentArgumentLine(const options::Options& options, bool eps) {
    return gs::startFragment() + gs::saferFragment(options.safer) +
           gs::deviceFragment(displayDevice(options.colourDepth)) +
           gs::resolutionFragment(options.resolution) +
           gs::alphaFragments(options.graphicsAlpha, options.textAlpha) +
           gs::paperSizeFragment(static_cast<int>(options.media)) +
           gs::fixedMediaFragment(options.overrideDefaultMedia) + gs::epsCropFragment(eps);
}

QString renderArgumentLine(const options::Options& options, qint32 page, bool eps) {
    return documentArgumentLine(options, eps) + gs::pageRangeFragment(page);
}

} // namespace quillorn::viewer
