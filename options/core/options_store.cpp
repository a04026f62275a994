#include "options/core/options_store.h"

#include "base/number_rule.h"
#include "base/settings_store.h"

#include <algorithm>
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

// A menu's entry by its stored number; a number outside the menu reads as the default.
template <typename Entry>
Entry readEntry(const SettingsStore& store, const QString& section, const QString& key,
                Entry defaultEntry, int count) {
    return static_cast<Entry>(readWhole<std::int32_t>(
        store, section, key, wholeNumberText(static_cast<std::int32_t>(defaultEntry)), 0,
        count - 1));
}

template <typename Entry> QString entryText(Entry entry) {
    return wholeNumberText(static_cast<std::int32_t>(entry));
}

} // namespace

QString booleanText(bool value) {
    return value ? kTrue : kFalse;
}

QString wholeNumberText(std::int64_t value) {
    return QString::number(value);
}

Options readOptions(const SettingsStore& store, Paper defaultMedia) {
    const QString zero = QStringLiteral("0");
    Options o;
    o.units =
        readEntry(store, kOptionsSection, QStringLiteral("Units"), Units::Pixels, kUnitsCount);
    o.orientation = readEntry(store, kOptionsSection, QStringLiteral("Orientation"),
                              Orientation::Portrait, kOrientationCount);
    o.safer = readBoolean(store, QStringLiteral("Safer"), kTrue);
    o.overrideDefaultMedia = readBoolean(store, QStringLiteral("OverrideDefaultMedia"), kFalse);
    o.boundingBox = readBoolean(store, QStringLiteral("BoundingBox"), kFalse);
    o.media = readEntry(store, kOptionsSection, QStringLiteral("Media"), defaultMedia, kPaperCount);
    o.customMedia.width =
        readWhole<std::int32_t>(store, kCustomMediaSection, QStringLiteral("Width"), zero);
    o.customMedia.height =
        readWhole<std::int32_t>(store, kCustomMediaSection, QStringLiteral("Height"), zero);
    // Ghostscript cannot render at 0 or fewer dots per inch; more than the display settings
    // dialog takes is brought down to the most it takes.
    o.resolution = std::min(
        readWhole<std::int16_t>(store, kDisplaySettingsSection, QStringLiteral("Resolution"),
                                QStringLiteral("75"), 1, std::numeric_limits<std::int16_t>::max()),
        kLargestDialogResolution);
    o.colourDepth = readEntry(store, kDisplaySettingsSection, QStringLiteral("ColourDepth"),
                              ColourDepth::TrueColour, kColourDepthCount);
    // Ghostscript takes only 1, 2 or 4 alpha bits.
    const auto readAlpha = [&store](const char* key) {
        const auto alpha = readWhole<std::int16_t>(store, kDisplaySettingsSection,
                                                   QLatin1String(key), QStringLiteral("2"));
        return alpha == 1 || alpha == 2 || alpha == 4 ? alpha : std::int16_t(2);
    };
    o.textAlpha = readAlpha("TextAlpha");
    o.graphicsAlpha = readAlpha("GraphicsAlpha");
    return o;
}

void writeOptions(const Options& options, const Options& before, SettingsStore& store) {
    const auto save = [&store](bool changed, const QString& section, const char* key,
                               const QString& text) {
        if (changed)
            store.setValue(section, QLatin1String(key), text);
    };
    const Options& o = options;
    const Options& b = before;
    save(o.units != b.units, kOptionsSection, "Units", entryText(o.units));
    save(o.orientation != b.orientation, kOptionsSection, "Orientation", entryText(o.orientation));
    save(o.safer != b.safer, kOptionsSection, "Safer", booleanText(o.safer));
    save(o.boundingBox != b.boundingBox, kOptionsSection, "BoundingBox",
         booleanText(o.boundingBox));
    save(o.media != b.media, kOptionsSection, "Media", entryText(o.media));
    save(o.customMedia.width != b.customMedia.width, kCustomMediaSection, "Width",
         wholeNumberText(o.customMedia.width));
    save(o.customMedia.height != b.customMedia.height, kCustomMediaSection, "Height",
         wholeNumberText(o.customMedia.height));
    save(o.resolution != b.resolution, kDisplaySettingsSection, "Resolution",
         wholeNumberText(o.resolution));
    save(o.colourDepth != b.colourDepth, kDisplaySettingsSection, "ColourDepth",
         entryText(o.colourDepth));
    save(o.textAlpha != b.textAlpha, kDisplaySettingsSection, "TextAlpha",
         wholeNumberText(o.textAlpha));
    save(o.graphicsAlpha != b.graphicsAlpha, kDisplaySettingsSection, "GraphicsAlpha",
         wholeNumberText(o.graphicsAlpha));
    save(o.overrideDefaultMedia != b.overrideDefaultMedia, kOptionsSection, "OverrideDefaultMedia",
         booleanText(o.overrideDefaultMedia));
}

} // namespace quillorn::options
