#pragma once

#include "options/core/options.h"

#include <QString>

namespace quillorn {
class SettingsStore;
}

namespace quillorn::options {

// The options as they stand in the settings store. A value that is absent, a Boolean other than
// "True" or "False", or a number outside its field (or outside its menu, for the menu indexes
// and the colour depth) reads as the value's default: safer, 75 dots per inch, true colour,
// anti-aliasing 2 and 2, every other number 0.
Options readOptions(const SettingsStore& store);

// Writes all twelve values, changed or not. Nothing reaches the disk before store.sync() (or
// the store's destruction).
void writeOptions(const Options& options, SettingsStore& store);

// The text forms the store holds.
QString booleanText(bool value);
QString wholeNumberText(std::int64_t value);

} // namespace quillorn::options
