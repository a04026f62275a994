#include "viewer/core/render_arguments.h"

#include "options/core/paper.h"

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

gs::Arguments documentArguments(const options::Options& options, bool eps) {
    gs::Arguments args;
    args << gs::unattendedSwitches() << gs::saferSwitch(options.safer)
         << gs::deviceSwitch(displayDevice(options.colourDepth))
         << gs::resolutionSwitch(options.resolution)
         << gs::alphaSwitches(options.graphicsAlpha, options.textAlpha)
         << gs::paperSizeSwitch(options::paperName(options.media))
         << gs::fixedMediaSwitch(options.overrideDefaultMedia) << gs::epsCropSwitch(eps);
    return args;
}

gs::Arguments renderArguments(const options::Options& options, qint32 page, bool eps) {
    gs::Arguments args = documentArguments(options, eps);
    args << gs::pageRangeSwitches(page);
    return args;
}

QStringList renderRunArguments(gs::Arguments switches, const QString& output,
                               const QString& password, int orientation, const QString& input) {
    switches << gs::outputFileSwitch(output);
    // A switch, so before the orientation's PostScript.
    if (!password.isEmpty())
        switches << QStringLiteral("-sPDFPassword=") + password;
    switches << gs::orientationArguments(orientation) << gs::inputFileArgument(input);
    return switches.list();
}

} // namespace quillorn::viewer
