#include "viewer/core/render_arguments.h"

#include "gs/arguments.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace quillorn::viewer {

QString displayDevice(int colourDepth) {
    static const std::array<const char*, 5> kDevices = {"bmpmono", "bmpgray", "bmp16", "bmp256",
                                                        "bmp16m"};
    if (colourDepth >= 0 && colourDepth < static_cast<int>(kDevices.size()))
        return QLatin1String(kDevices[static_cast<size_t>(colourDepth)]);
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
           gs::paperSizeFragment(options.media) +
           gs::fixedMediaFragment(options.overrideDefaultMedia) + gs::epsCropFragment(eps);
}

QString renderArgumentLine(const options::Options& options, qint32 page, bool eps) {
    return documentArgumentLine(options, eps) + gs::pageRangeFragment(page);
}

} // namespace quillorn::viewer
