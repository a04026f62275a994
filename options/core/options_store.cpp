#include "options/core/options_store.h"

#include "options/core/number_rule.h"

#include <limits>

namespace quillorn::options {

namespace {

const QString kTrue = QStringLiteral("True");
const QString kFalse = QStringLiteral("False");

bool ReadBoolean(const SettingsStore& store, const QString& section, const QString& key,
                 const QString& defaultText) {
    const QString text = store.GetSetting(section, key, defaultText);
    if (text == kTrue)
        return true;
    if (text == kFalse)
        return false;
    return defaultText == kTrue;
}

template <typename Field>
Field ReadWhole(const SettingsStore& store, const QString& section, const QString& key,
                const QString& defaultText, Field min = std::numeric_limits<Field>::min(),
                Field max = std::numeric_limits<Field>::max()) {
    const QString text = store.GetSetting(section, key, defaultText);
    auto value = WholeNumberFromText(text, min, max);
    if (!value)
        value = WholeNumberFromText(defaultText, min, max);
    return static_cast<Field>(value.value_or(0));
}

} // namespace

QString BooleanText(bool value) {
    return value ? kTrue : kFalse;
}

QString WholeNumberText(std::int64_t value) {
    return QString::number(value);
}

void SaveOptions(const Options& options, SettingsStore& store) {
    const auto save = [&store](const QString& section, const char* key, const QString& text) {
        store.SaveSetting(section, QLatin1String(key), text);
    };
    save(kOptionsSection, "Units", WholeNumberText(options.Units));
    save(kOptionsSection, "Orientation", WholeNumberText(options.Orientation));
    save(kOptionsSection, "Safer", BooleanText(options.Safer));
    save(kOptionsSection, "BoundingBox", BooleanText(options.BoundingBox));
    save(kOptionsSection, "Media", WholeNumberText(options.Media));
    save(kCustomMediaSection, "Width", WholeNumberText(options.CustomMedia.Width));
    save(kCustomMediaSection, "Height", WholeNumberText(options.CustomMedia.Height));
    save(kDisplaySettingsSection, "Resolution", WholeNumberText(options.Resolution));
    save(kDisplaySettingsSection, "ColourDepth", WholeNumberText(options.ColourDepth));
    save(kDisplaySettingsSection, "TextAlpha", WholeNumberText(options.TextAlpha));
    save(kDisplaySettingsSection, "GraphicsAlpha", WholeNumberText(options.GraphicsAlpha));
    save(kOptionsSection, "OverrideDefaultMedia", BooleanText(options.OverrideDefaultMedia));
}

std::int32_t StoredUnits(const SettingsStore& store) {
    return ReadWhole<std::int32_t>(store, kOptionsSection, QStringLiteral("Units"),
                                   QStringLiteral("0"), 0, kUnitsCount - 1);
}

std::int32_t StoredOrientation(const SettingsStore& store) {
    return ReadWhole<std::int32_t>(store, kOptionsSection, QStringLiteral("Orientation"),
                                   QStringLiteral("0"), 0, kOrientationCount - 1);
}

bool StoredSafer(const SettingsStore& store) {
    return ReadBoolean(store, kOptionsSection, QStringLiteral("Safer"), kTrue);
}

bool StoredOverrideDefaultMedia(const SettingsStore& store) {
    return ReadBoolean(store, kOptionsSection, QStringLiteral("OverrideDefaultMedia"), kFalse);
}

bool StoredBoundingBox(const SettingsStore& store) {
    return ReadBoolean(store, kOptionsSection, QStringLiteral("BoundingBox"), kFalse);
}

std::int32_t StoredMedia(const SettingsStore& store) {
    return ReadWhole<std::int32_t>(store, kOptionsSection, QStringLiteral("Media"),
                                   QStringLiteral("0"), 0, kMediaCount - 1);
}

std::int32_t StoredCustomWidth(const SettingsStore& store) {
    return ReadWhole<std::int32_t>(store, kCustomMediaSection, QStringLiteral("Width"),
                                   QStringLiteral("0"));
}

std::int32_t StoredCustomHeight(const SettingsStore& store) {
    return ReadWhole<std::int32_t>(store, kCustomMediaSection, QStringLiteral("Height"),
                                   QStringLiteral("0"));
}

std::int16_t StoredResolution(const SettingsStore& store) {
    return ReadWhole<std::int16_t>(store, kDisplaySettingsSection, QStringLiteral("Resolution"),
                                   QStringLiteral("75"));
}

std::int32_t StoredColourDepth(const SettingsStore& store) {
    return ReadWhole<std::int32_t>(store, kDisplaySettingsSection, QStringLiteral("ColourDepth"),
                                   QStringLiteral("4"), 0, kColourDepthCount - 1);
}

std::int16_t StoredTextAlpha(const SettingsStore& store) {
    return ReadWhole<std::int16_t>(store, kDisplaySettingsSection, QStringLiteral("TextAlpha"),
                                   QStringLiteral("2"));
}

std::int16_t StoredGraphicsAlpha(const SettingsStore& store) {
    return ReadWhole<std::int16_t>(store, kDisplaySettingsSection, QStringLiteral("GraphicsAlpha"),
                                   QStringLiteral("2"));
}

void ReadUnmenuedOptions(Options& options, const SettingsStore& store) {
    options.CustomMedia.Width = StoredCustomWidth(store);
    options.CustomMedia.Height = StoredCustomHeight(store);
    options.Resolution = StoredResolution(store);
    options.ColourDepth = StoredColourDepth(store);
    options.TextAlpha = StoredTextAlpha(store);
    options.GraphicsAlpha = StoredGraphicsAlpha(store);
}

Options ReadStoredOptions(const SettingsStore& store) {
    Options options;
    options.Units = StoredUnits(store);
    options.Orientation = StoredOrientation(store);
    options.Safer = StoredSafer(store);
    options.OverrideDefaultMedia = StoredOverrideDefaultMedia(store);
    options.BoundingBox = StoredBoundingBox(store);
    options.Media = StoredMedia(store);
    ReadUnmenuedOptions(options, store);
    return options;
}

} // namespace quillorn::options
