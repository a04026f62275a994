#include "app/core/view_settings.h"

#include "base/settings_store.h"

namespace quillorn::app {

namespace {
const QString kSection = QStringLiteral("Settings");
const QString kTrue = QStringLiteral("True");
const QString kFalse = QStringLiteral("False");

bool readFlag(const SettingsStore& store, const QString& key, bool fallback) {
    const QString text = store.value(kSection, key);
    if (text.compare(kTrue, Qt::CaseInsensitive) == 0)
        return true;
    if (text.compare(kFalse, Qt::CaseInsensitive) == 0)
        return false;
    return fallback;
}
} // namespace

bool readShowSplash(const SettingsStore& store) {
    return readFlag(store, QStringLiteral("ShowSplash"), true);
}

void writeShowSplash(SettingsStore& store, bool shown) {
    store.setValue(kSection, QStringLiteral("ShowSplash"), shown ? kTrue : kFalse);
}

bool readInvertColours(const SettingsStore& store) {
    return readFlag(store, QStringLiteral("InvertColours"), false);
}

void writeInvertColours(SettingsStore& store, bool inverted) {
    store.setValue(kSection, QStringLiteral("InvertColours"), inverted ? kTrue : kFalse);
}

bool takeNoSplash(QByteArrayList& arguments) {
    return arguments.removeAll(QByteArrayLiteral("--no-splash")) > 0;
}

} // namespace quillorn::app
