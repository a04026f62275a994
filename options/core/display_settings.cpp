#include "options/core/display_settings.h"

#include "options/core/number_rule.h"
#include "options/core/options_store.h"

#include <algorithm>
#include <array>
#include <limits>

namespace quillorn::options {

namespace {
constexpr std::array<std::int16_t, 3> kAlphaValues{1, 2, 4};
} // namespace

QStringList ColourDepthEntries() {
    return {QStringLiteral("Black and White"), QStringLiteral("Greyscale"),
            QStringLiteral("16 colour (4-bit)"), QStringLiteral("256 colour (8-bit)"),
            QStringLiteral("True colour (16-bit)")};
}

QStringList AlphaEntries() {
    return {QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("4")};
}

int AlphaPosition(int alpha) {
    for (std::size_t i = 0; i < kAlphaValues.size(); ++i)
        if (kAlphaValues[i] == alpha)
            return static_cast<int>(i);
    return -1;
}

DisplaySettingsView DisplaySettingsFromOptions(const Options& options) {
    DisplaySettingsView view;
    view.resolutionText = WholeNumberText(options.Resolution);
    view.resolutionMaxLength = std::max<int>(3, static_cast<int>(view.resolutionText.size()));
    view.depthPosition = options.ColourDepth >= 0 && options.ColourDepth < kColourDepthCount
                             ? options.ColourDepth
                             : -1;
    view.textAlphaPosition = AlphaPosition(options.TextAlpha);
    view.graphicsAlphaPosition = AlphaPosition(options.GraphicsAlpha);
    return view;
}

void ApplyDisplaySettings(const DisplaySettingsView& view, Options& options) {
    if (const auto resolution =
            WholeNumberFromText(view.resolutionText, std::numeric_limits<std::int16_t>::min(),
                                std::numeric_limits<std::int16_t>::max()))
        options.Resolution = static_cast<std::int16_t>(*resolution);
    if (view.depthPosition >= 0 && view.depthPosition < kColourDepthCount)
        options.ColourDepth = view.depthPosition;
    const auto alphaAt = [](int position, std::int16_t& field) {
        if (position >= 0 && position < static_cast<int>(kAlphaValues.size()))
            field = kAlphaValues[static_cast<std::size_t>(position)];
    };
    alphaAt(view.textAlphaPosition, options.TextAlpha);
    alphaAt(view.graphicsAlphaPosition, options.GraphicsAlpha);
}

} // namespace quillorn::options
