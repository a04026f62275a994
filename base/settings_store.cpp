#include "base/settings_store.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <cerrno>
#include <unistd.h>

namespace quillorn {

namespace {
QString keyOf(const QString& section, const QString& key) {
    return section + u'/' + key;
}

bool oversized(const QString& path) {
    const QFileInfo file(path);
    return file.isFile() && file.size() > kLargestStoreBytes;
}
} // namespace

SettingsStore::SettingsStore() : SettingsStore(userFileName()) {}

SettingsStore::SettingsStore(const QString& iniPath) : path_(iniPath) {
    // QSettings reads the whole file as it is made.
    if (!oversized(iniPath))
        settings_ = std::make_unique<QSettings>(iniPath, QSettings::IniFormat);
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::userFileName() {
    // Where QSettings keeps the user's INI file for organisation and application "Quillorn".
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quillorn/Quillorn.ini");
}

QString SettingsStore::value(const QString& section, const QString& key,
                             const QString& defaultText) const {
    if (!settings_)
        return defaultText;
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
        settings_->setValue(keyOf(section, key), value);
}

void SettingsStore::remove(const QString& section, const QString& key) {
    if (settings_)
        settings_->remove(keyOf(section, key));
}

bool SettingsStore::contains(const QString& section, const QString& key) const {
    return settings_ && settings_->contains(keyOf(section, key));
}

bool SettingsStore::sync() {
    if (!settings_)
        return false;
    settings_->sync();
    // A malformed line read from the file is a format error; it does not keep the file from
    // being written.
    return settings_->status() != QSettings::AccessError;
}

QString SettingsStore::writeProblem() const {
    if (!settings_)
        return QStringLiteral("the file is larger than 1 MB");
    const QFileInfo file(path_);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists() && !QDir().mkpath(folder.filePath()))
        return QStringLiteral("the folder %1 cannot be made").arg(folder.filePath());
    if (!folder.isDir())
        return QStringLiteral("%1 is not a folder").arg(folder.filePath());
    if (file.exists() && !file.isFile())
        return QStringLiteral("it is not a file");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("the file is read-only");
    if (!folder.isWritable())
        return QStringLiteral("the folder %1 is read-only").arg(folder.filePath());
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
    return QStringLiteral("the system did not say why");
}

QString SettingsStore::fileName() const {
    return path_;
}

QString setAsideOversizedStore(const QString& path) {
    if (!oversized(path))
        return {};
    QString aside = path + QStringLiteral(".bad");
    for (int n = 2; QFileInfo::exists(aside) && n < 100; ++n)
        aside = path + QStringLiteral(".bad.%1").arg(n);
    if (!QFile::rename(path, aside))
        return QStringLiteral("The settings file %1 is larger than 1 MB and could not be set "
                              "aside; the default settings are used, and nothing is saved.")
            .arg(path);
    return QStringLiteral("The settings file %1 is larger than 1 MB; it was set aside as %2 and "
                          "the default settings are used.")
        .arg(path, aside);
}

} // namespace quillorn
