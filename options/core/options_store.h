#pragma once

#include "options/core/options.h"

#include <QString>

namespace quillorn {
class SettingsStore;
}

namespace quillorn::options {

// The options as they stand in the settings store. A value that is absent, a Boolean other than
// "True" or "False", or a number outside what the program can use (outside its field, its menu,
// a resolution below 1, anti-aliasing other than 1, 2 or 4) reads as the value's default: safer,
// 75 dots per inch, true colour, anti-aliasing 2 and 2, the paper size defaultMedia (the
// system's paper at a first start), every other number 0. A resolution that fits its field but
// is more than the display settings dialog takes reads as kLargestDialogResolution.
Options readOptions(const SettingsStore& store, Paper defaultMedia = Paper::Tabloid11x17);

// Writes the values that differ from before (what readOptions gave at the start), so that values
// another instance changed meanwhile stay as it wrote them. Nothing reaches the disk before
// store.sync() (or the store's destruction).
void writeOptions(const Options& options, const Options& before, SettingsStore& store);

// The text forms the store holds.
QString booleanText(bool value);
QString wholeNumberText(std::int64_t value);

} // namespace quillorn::options
