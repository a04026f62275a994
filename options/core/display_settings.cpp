#include "options/core/display_settings.h"

#include "base/number_rule.h"
#include "options/core/options_store.h"

#include <algorithm>
#include <array>
#include <limits>

#include <QCoreApplication>

namespace quillorn::options {

namespace {
constexpr std::array<std::int16_t, 3> kAlphaValues{1, 2, 4};
} // namespace

QStringList colourDepthEntries() {
    return {QCoreApplication::translate("quillorn::options", "Black and White"),
            QCoreApplication::translate("quillorn::options", "Greyscale"),
            QCoreApplication::translate("quillorn::options", "16 colour (4-bit)"),
            QCoreApplication::translate("quillorn::options", "256 colour (8-bit)"),
            QCoreApplication::translate("quillorn::options", "True colour (16-bit)")};
}

QStringList alphaEntries() {
    return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")};
}

int alphaBitsAt(int position) {
    return position >= 0 && position < static_cast<int>(kAlphaValues.size())
               ? kAlphaValues[static_cast<std::size_t>(position)]
               : 0;
}

int alphaPosition(int alpha) {
    for (std::size_t i = 0; i < kAlphaValues.size(); ++i)
        if (kAlphaValues[i] == alpha)
            return static_cast<int>(i);
    return -1;
}

DisplaySettingsView displaySettingsFromOptions(const Options& options) {
    DisplaySettingsView view;
    view.resolutionText = wholeNumberText(options.resolution);
    view.resolutionMaxLength =
        std::max<int>(static_cast<int>(QString::number(kLargestDialogResolution).size()),
                      static_cast<int>(view.resolutionText.size()));
    const auto depth = static_cast<int>(options.colourDepth);
    view.depthPosition = depth >= 0 && depth < kColourDepthCount ? depth : -1;
    view.textAlphaPosition = alphaPosition(options.textAlpha);
    view.graphicsAlphaPosition = alphaPosition(options.graphicsAlpha);
    return view;
}

bool resolutionUsable(QStringView text) {
    return roundHalfEven(parseLeadingNumber(text)) >= 1;
}

void applyDisplaySettings(const DisplaySettingsView& view, Options& options) {
    if (const auto resolution =
            wholeNumberFromText(view.resolutionText, 1, std::numeric_limits<std::int16_t>::max()))
        options.resolution = static_cast<std::int16_t>(*resolution);
    if (view.depthPosition >= 0 && view.depthPosition < kColourDepthCount)
        options.colourDepth = static_cast<ColourDepth>(view.depthPosition);
    const auto alphaAt = [](int position, std::int16_t& field) {
        if (const int bits = alphaBitsAt(position))
            field = static_cast<std::int16_t>(bits);
    };
    alphaAt(view.textAlphaPosition, options.textAlpha);
    alphaAt(view.graphicsAlphaPosition, options.graphicsAlpha);
}

} // namespace quillorn::options
