#pragma once

#include <QString>
#include <map>
#include <memory>
#include <optional>

class QSettings;

namespace quillorn {

// A store file larger than this is no settings file the program wrote: it is not read.
inline constexpr qint64 kLargestStoreBytes = qint64(1024) * 1024;

// The per-user settings store: sections and value names hold text values.
// Backed by an INI file in the user's configuration directory. Only a regular file is a store:
// a link is followed to one (written through, the link stays), while a link to anything else,
// a dangling link, a pipe, a device or a folder is neither read nor written (looked at before
// it is opened, and opened without waiting): every value reads as its default. Only the values set
// through this store are written; sync() merges them into the file as it stands then, under
// QSettings' lock file, so values another process wrote meanwhile stay.
class SettingsStore {
public:
    // The user's store ($XDG_CONFIG_HOME/Quillorn/Quillorn.ini).
    SettingsStore();
    // A store in an explicit file (tests, tools).
    explicit SettingsStore(const QString& iniPath);
    ~SettingsStore();
    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;

    // The user's store file.
    static QString userFileName();

    QString value(const QString& section, const QString& key,
                  const QString& defaultText = {}) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void remove(const QString& section, const QString& key);
    bool contains(const QString& section, const QString& key) const;

    // Writes pending values out and reads what others wrote; false when the store cannot be
    // written. True without writing for a store whose file was no regular file when it was made
    // (setAsideOversizedStore's note has told the user that the settings are not kept); false
    // for one whose file has become something else since.
    bool sync();
    // Why the store cannot be written, for the user ("the file is read-only"); worked out when
    // asked, after sync() said false.
    QString writeProblem() const;
    QString fileName() const;

private:
    QString path_;
    // None for a file larger than kLargestStoreBytes, which is left unread and unwritten: every
    // value reads as its default.
    std::unique_ptr<QSettings> settings_;
    bool refused_ = false; // the file was no regular file
    // Values set or removed (nullopt) since the last sync().
    std::map<QString, std::optional<QString>> pending_;
};

// Renames a store file larger than kLargestStoreBytes to "<name>.bad" (or "<name>.bad.2", ...
// when that name is taken), so the next store starts from the defaults. Returns what to tell the
// user; the empty text when the file is not too large. For a store that is no regular file (see
// SettingsStore) it changes nothing and returns the note that the settings are not kept.
QString setAsideOversizedStore(const QString& path);

} // namespace quillorn
