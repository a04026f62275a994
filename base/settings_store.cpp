#include "base/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillorn {

namespace {
// "quillorn.store": which settings file is read, what is kept and what is refused. Debug
// messages, off unless QT_LOGGING_RULES turns them on.
Q_LOGGING_CATEGORY(lcStore, "quillorn.store", QtInfoMsg)

QString keyOf(const QString& section, const QString& key) {
    return section + u'/' + key;
}

// What stands at the store's name. Only a regular file, reached directly or through links, is
// a store; a link is followed only to one.
struct StoreFile {
    enum Kind { Missing, Regular, Unusable } kind = Missing;
    qint64 size = 0;
};

StoreFile storeFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat st {};
    if (::lstat(name.constData(), &st) != 0)
        // Nothing there, or a folder on the way that cannot be looked into: writing says why.
        return {};
    // The kind is looked at before anything is opened: opening a device can do something.
    if (S_ISLNK(st.st_mode) && ::stat(name.constData(), &st) != 0)
        return {StoreFile::Unusable}; // a link to nothing: no file is made at its far end
    if (!S_ISREG(st.st_mode))
        return {StoreFile::Unusable};
    // Opened without waiting, the file is looked at once more: it may have been replaced.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return {StoreFile::Regular, st.st_size}; // unreadable: QSettings finds so itself
    const bool regular = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (!regular)
        return {StoreFile::Unusable};
    return {StoreFile::Regular, st.st_size};
}

bool oversized(const StoreFile& file) {
    return file.kind == StoreFile::Regular && file.size > kLargestStoreBytes;
}
} // namespace

SettingsStore::SettingsStore() : SettingsStore(userFileName()) {}

SettingsStore::SettingsStore(const QString& iniPath) : path_(iniPath) {
    const StoreFile file = storeFile(iniPath);
    refused_ = file.kind == StoreFile::Unusable;
    // QSettings reads the whole file as it is made.
    if (!refused_ && !oversized(file))
        settings_ = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
    qCDebug(lcStore).nospace() << "settings " << iniPath << ": "
                               << (refused_    ? "not a regular file, not used"
                                   : settings_ ? "read"
                                               : "larger than the limit, not used");
}

SettingsStore::~SettingsStore() {
    // What was set and not yet written goes out now, under the same look at the file.
    if (!pending_.empty())
        sync();
}

QString SettingsStore::userFileName() {
    // Where QSettings keeps the user's INI file for organisation and application "Quillorn".
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillorn/Quillorn.ini");
}

QString SettingsStore::value(const QString& section, const QString& key,
                             const QString& defaultText) const {
    if (!settings_)
        return defaultText;
    if (const auto it = pending_.find(keyOf(section, key)); it != pending_.end())
        return it->second.value_or(defaultText);
    const QVariant v = settings_->value(keyOf(section, key));
    if (!v.isValid())
        return defaultText;
    // An INI value with an unquoted comma comes back as a list; the store holds plain texts.
    if (v.typeId() == QMetaType::QStringList)
        return v.toStringList().join(u',');
    return v.toString();
}

void SettingsStore::setValue(const QString& section, const QString& key, const QString& value) {
    if (settings_)
        pending_[keyOf(section, key)] = value;
}

void SettingsStore::remove(const QString& section, const QString& key) {
    if (settings_)
        pending_[keyOf(section, key)] = std::nullopt;
}

bool SettingsStore::contains(const QString& section, const QString& key) const {
    if (!settings_)
        return false;
    if (const auto it = pending_.find(keyOf(section, key)); it != pending_.end())
        return it->second.has_value();
    return settings_->contains(keyOf(section, key));
}

bool SettingsStore::sync() {
    if (!settings_)
        return refused_; // a store that is no file was never meant to be kept
    // QSettings reads the file again before it writes, and replaces it: neither for a file that
    // became something else meanwhile.
    // The values wait here, not in QSettings, which would write them when it goes.
    if (storeFile(path_).kind == StoreFile::Unusable) {
        qCDebug(lcStore) << "settings" << path_ << "became something else than a file; not written";
        return false;
    }
    for (const auto& [key, value] : pending_) {
        qCDebug(lcStore) << "settings" << path_ << (value ? "keep" : "drop") << key
                         << value.value_or(QString());
        if (value)
            settings_->setValue(key, *value);
        else
            settings_->remove(key);
    }
    pending_.clear();
    settings_->sync();
    qCDebug(lcStore) << "settings" << path_ << "written:" << settings_->status();
    // A malformed line read from the file is a format error; it does not keep the file from
    // being written.
    return settings_->status() != QSettings::AccessError;
}

QString SettingsStore::writeProblem() const {
    if (refused_ || storeFile(path_).kind == StoreFile::Unusable)
        return QCoreApplication::translate("quillorn::base", "it is not a file");
    if (!settings_)
        return QCoreApplication::translate("quillorn::base", "the file is larger than 1 MB");
    const QFileInfo file(path_);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists() && !QDir().mkpath(folder.filePath()))
        return QCoreApplication::translate("quillorn::base", "the folder %1 cannot be made")
            .arg(folder.filePath());
    if (!folder.isDir())
        return QCoreApplication::translate("quillorn::base", "%1 is not a folder")
            .arg(folder.filePath());
    if (file.exists() && !file.isFile())
        return QCoreApplication::translate("quillorn::base", "it is not a file");
    if (file.exists() && !file.isWritable())
        return QCoreApplication::translate("quillorn::base", "the file is read-only");
    if (!folder.isWritable())
        return QCoreApplication::translate("quillorn::base", "the folder %1 is read-only")
            .arg(folder.filePath());
    // Writing as much beside it tells a full disk or a size limit by the system's own words.
    QTemporaryFile probe(folder.filePath() + QStringLiteral("/.Quillorn-XXXXXX"));
    if (!probe.open())
        return probe.errorString();
    const QByteArray block(file.size() + 4096, ' ');
    for (qsizetype done = 0; done < block.size();) {
        const ssize_t n = ::write(probe.handle(), block.constData() + done,
                                  static_cast<size_t>(block.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return qt_error_string(n < 0 ? errno : ENOSPC);
        done += n;
    }
    if (::fsync(probe.handle()) != 0)
        return qt_error_string(errno);
    return QCoreApplication::translate("quillorn::base", "the system did not say why");
}

QString SettingsStore::fileName() const {
    return path_;
}

QString setAsideOversizedStore(const QString& path) {
    const StoreFile file = storeFile(path);
    if (file.kind == StoreFile::Unusable)
        return QCoreApplication::translate(
                   "quillorn::base",
                   "The settings file %1 is not a regular file; it is left as it is, "
                   "the default settings are used, and the settings are not kept.")
            .arg(path);
    if (!oversized(file))
        return {};
    QString aside = path + QStringLiteral(".bad");
    for (int n = 2; QFileInfo::exists(aside) && n < 100; ++n)
        aside = path + QStringLiteral(".bad.%1").arg(n);
    if (!QFile::rename(path, aside))
        return QCoreApplication::translate(
                   "quillorn::base",
                   "The settings file %1 is larger than 1 MB and could not be set "
                   "aside; the default settings are used, and nothing is saved.")
            .arg(path);
    return QCoreApplication::translate(
               "quillorn::base",
               "The settings file %1 is larger than 1 MB; it was set aside as %2 and "
               "the default settings are used.")
        .arg(path, aside);
}

} // namespace quillorn
