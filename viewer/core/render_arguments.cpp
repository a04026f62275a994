#include "viewer/core/render_arguments.h"

#include "gs/arguments.h"

#include <array>

namespace quillorn::viewer {

QString displayDevice(int colourDepth) {
    static const std::array<const char*, 5> kDevices = {"bmpmono", "bmpgray", "bmp16", "bmp256",
                                                        "bmp16m"};
    if (colourDepth >= 0 && colourDepth < static_cast<int>(kDevices.size()))
        return QLatin1String(kDevices[static_cast<size_t>(colourDepth)]);
    return QStringLiteral("bmp16m");
}

QString renderArgumentLine(const options::Options& options, qint32 page) {
    return gs::startFragment() + gs::saferFragment(options.safer) +
           gs::deviceFragment(displayDevice(options.colourDepth)) +
           gs::resolutionFragment(options.resolution) +
           gs::alphaFragments(options.graphicsAlpha, options.textAlpha) +
           gs::paperSizeFragment(options.media) +
           gs::fixedMediaFragment(options.overrideDefaultMedia) + gs::pageRangeFragment(page);
}

} // namespace quillorn::viewer
