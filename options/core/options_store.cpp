#include "options/core/options_store.h"

#include "base/number_rule.h"
#include "base/settings_store.h"

#include <limits>

namespace quillorn::options {

namespace {

const QString kTrue = QStringLiteral("True");
const QString kFalse = QStringLiteral("False");
const QString kOptionsSection = QStringLiteral("Options");
const QString kCustomMediaSection = QStringLiteral("CustomMedia");
const QString kDisplaySettingsSection = QStringLiteral("DisplaySettings");

bool readBoolean(const SettingsStore& store, const QString& key, const QString& defaultText) {
    const QString text = store.value(kOptionsSection, key, defaultText);
    if (text == kTrue)
        return true;
    if (text == kFalse)
        return false;
    return defaultText == kTrue;
}

template <typename Field>
Field readWhole(const SettingsStore& store, const QString& section, const QString& key,
                const QString& defaultText, Field min = std::numeric_limits<Field>::min(),
                Field max = std::numeric_limits<Field>::max()) {
    const QString text = store.value(section, key, defaultText);
    auto value = wholeNumberFromText(text, min, max);
    if (!value)
        value = wholeNumberFromText(defaultText, min, max);
    return static_cast<Field>(value.value_or(0));
}

} // namespace

QString booleanText(bool value) {
    return value ? kTrue : kFalse;
}

QString wholeNumberText(std::int64_t value) {
    return QString::number(value);
}

Options readOptions(const SettingsStore& store) {
    const QString zero = QStringLiteral("0");
    Options o;
    o.units = readWhole<std::int32_t>(store, kOptionsSection, QStringLiteral("Units"), zero, 0,
                                      kUnitsCount - 1);
    o.orientation = readWhole<std::int32_t>(store, kOptionsSection, QStringLiteral("Orientation"),
                                            zero, 0, kOrientationCount - 1);
    o.safer = readBoolean(store, QStringLiteral("Safer"), kTrue);
    o.overrideDefaultMedia = readBoolean(store, QStringLiteral("OverrideDefaultMedia"), kFalse);
    o.boundingBox = readBoolean(store, QStringLiteral("BoundingBox"), kFalse);
    o.media = readWhole<std::int32_t>(store, kOptionsSection, QStringLiteral("Media"), zero, 0,
                                      kMediaCount - 1);
    o.customMedia.width =
        readWhole<std::int32_t>(store, kCustomMediaSection, QStringLiteral("Width"), zero);
    o.customMedia.height =
        readWhole<std::int32_t>(store, kCustomMediaSection, QStringLiteral("Height"), zero);
    o.resolution = readWhole<std::int16_t>(store, kDisplaySettingsSection,
                                           QStringLiteral("Resolution"), QStringLiteral("75"));
    o.colourDepth =
        readWhole<std::int32_t>(store, kDisplaySettingsSection, QStringLiteral("ColourDepth"),
                                QStringLiteral("4"), 0, kColourDepthCount - 1);
    o.textAlpha = readWhole<std::int16_t>(store, kDisplaySettingsSection,
                                          QStringLiteral("TextAlpha"), QStringLiteral("2"));
    o.graphicsAlpha = readWhole<std::int16_t>(store, kDisplaySettingsSection,
                                              QStringLiteral("GraphicsAlpha"), QStringLiteral("2"));
    return o;
}

void writeOptions(const Options& options, SettingsStore& store) {
    const auto save = [&store](const QString& section, const char* key, const QString& text) {
        store.setValue(section, QLatin1String(key), text);
    };
    save(kOptionsSection, "Units", wholeNumberText(options.units));
    save(kOptionsSection, "Orientation", wholeNumberText(options.orientation));
    save(kOptionsSection, "Safer", booleanText(options.safer));
    save(kOptionsSection, "BoundingBox", booleanText(options.boundingBox));
    save(kOptionsSection, "Media", wholeNumberText(options.media));
    save(kCustomMediaSection, "Width", wholeNumberText(options.customMedia.width));
    save(kCustomMediaSection, "Height", wholeNumberText(options.customMedia.height));
    save(kDisplaySettingsSection, "Resolution", wholeNumberText(options.resolution));
    save(kDisplaySettingsSection, "ColourDepth", wholeNumberText(options.colourDepth));
    save(kDisplaySettingsSection, "TextAlpha", wholeNumberText(options.textAlpha));
    save(kDisplaySettingsSection, "GraphicsAlpha", wholeNumberText(options.graphicsAlpha));
    save(kOptionsSection, "OverrideDefaultMedia", booleanText(options.overrideDefaultMedia));
}

} // namespace quillorn::options
