#include "base/settings_store.h"

#include <QSettings>

namespace quillorn {

namespace {
QString keyOf(const QString& section, const QString& key) {
    return section + u'/' + key;
}
} // namespace

SettingsStore::SettingsStore()
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("Quillorn"),
                                            QStringLiteral("Quillorn"))) {}

SettingsStore::SettingsStore(const QString& iniPath)
    : settings_(std::make_unique<QSettings>(iniPath, QSettings::IniFormat)) {}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::value(const QString& section, const QString& key,
                                  const QString& defaultText) const {
    const QVariant v = settings_->value(keyOf(section, key));
    if (!v.isValid())
        return defaultText;
    // An INI value with an unquoted comma comes back as a list; the store holds plain texts.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(u',');
    return v.toString();
}

void SettingsStore::setValue(const QString& section, const QString& key, const QString& value) {
    settings_->setValue(keyOf(section, key), value);
}

bool SettingsStore::contains(const QString& section, const QString& key) const {
    return settings_->contains(keyOf(section, key));
}

bool SettingsStore::sync() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString SettingsStore::fileName() const {
    return settings_->fileName();
}

} // namespace quillorn
