#pragma once

#include <QString>
#include <memory>

class QSettings;

namespace quillorn {

// The per-user settings store: sections and value names hold text values.
// Backed by an INI file in the user's configuration directory.
class SettingsStore {
public:
    // The user's store ($XDG_CONFIG_HOME/Quillorn/Quillorn.ini).
    SettingsStore();
    // A store in an explicit file (tests, tools).
    explicit SettingsStore(const QString& iniPath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    QString value(const QString& section, const QString& key,
                       const QString& defaultText = {}) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    bool contains(const QString& section, const QString& key) const;

    // Writes pending values out; false when the store cannot be written.
    bool sync();
    QString fileName() const;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace quillorn
