#include "app/core/settings_store.h"

#include <QSettings>

namespace quillorn {

namespace {
QString KeyOf(const QString& section, const QString& key) {
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

QString SettingsStore::GetSetting(const QString& section, const QString& key,
                                  const QString& defaultText) const {
    const QVariant v = settings_->value(KeyOf(section, key));
    if (!v.isValid())
        return defaultText;
    // An INI value with an unquoted comma comes back as a list; the store holds plain texts.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(u',');
    return v.toString();
}

void SettingsStore::SaveSetting(const QString& section, const QString& key, const QString& value) {
    settings_->setValue(KeyOf(section, key), value);
}

bool SettingsStore::Contains(const QString& section, const QString& key) const {
    return settings_->contains(KeyOf(section, key));
}

bool SettingsStore::Sync() {
    settings_->sync();
    return settings_->status() == QSettings::NoError;
}

QString SettingsStore::FileName() const {
    return settings_->fileName();
}

} // namespace quillorn
