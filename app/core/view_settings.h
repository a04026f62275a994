#pragma once

#include <QByteArrayList>

namespace quillorn {
class SettingsStore;
}

namespace quillorn::app {

// Options > "Show splash screen at start-up" ("Settings"/"ShowSplash"; on unless stored off).
bool readShowSplash(const SettingsStore& store);
void writeShowSplash(SettingsStore& store, bool shown);

// View > Invert Colours ("Settings"/"InvertColours"; off unless stored on).
bool readInvertColours(const SettingsStore& store);
void writeInvertColours(SettingsStore& store, bool inverted);

// Takes every "--no-splash" out of the arguments; true when there was one.
bool takeNoSplash(QByteArrayList& arguments);

} // namespace quillorn::app
