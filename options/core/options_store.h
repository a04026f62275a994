#pragma once

#include "app/core/settings_store.h"
#include "options/core/options.h"

#include <cstdint>

namespace quillorn::options {

// Where the options live in the settings store.
inline const QString kOptionsSection = QStringLiteral("Options");
inline const QString kCustomMediaSection = QStringLiteral("CustomMedia");
inline const QString kDisplaySettingsSection = QStringLiteral("DisplaySettings");

// The number of entries in the Units, Orientation and paper-size menus, and of colour depths.
inline constexpr int kUnitsCount = 4;
inline constexpr int kOrientationCount = 4;
inline constexpr int kMediaCount = 10;
inline constexpr int kColourDepthCount = 5;

// Writes all twelve values, changed or not. Nothing reaches the disk before store.Sync() (or
// the store's destruction); a store that cannot be written keeps its previous file intact.
void SaveOptions(const Options& options, SettingsStore& store);

// One reader per stored value, in the order the options are loaded. Each falls back to the
// value's default text when the stored text is absent, is a Boolean other than "True" or
// "False", or is a number outside its field (or outside its menu, for the menu indexes and the
// colour depth).
std::int32_t StoredUnits(const SettingsStore& store);
std::int32_t StoredOrientation(const SettingsStore& store);
bool StoredSafer(const SettingsStore& store);
bool StoredOverrideDefaultMedia(const SettingsStore& store);
bool StoredBoundingBox(const SettingsStore& store);
std::int32_t StoredMedia(const SettingsStore& store);
std::int32_t StoredCustomWidth(const SettingsStore& store);
std::int32_t StoredCustomHeight(const SettingsStore& store);
std::int16_t StoredResolution(const SettingsStore& store);
std::int32_t StoredColourDepth(const SettingsStore& store);
std::int16_t StoredTextAlpha(const SettingsStore& store);
std::int16_t StoredGraphicsAlpha(const SettingsStore& store);

// The six values that no menu stands for (custom size, display settings), in loading order.
void ReadUnmenuedOptions(Options& options, const SettingsStore& store);

// All twelve stored values without touching any menu, for conversions that run without the
// main window. Writes nothing.
Options ReadStoredOptions(const SettingsStore& store);

// The text forms the store holds.
QString BooleanText(bool value);
QString WholeNumberText(std::int64_t value);

} // namespace quillorn::options
