#include "app/core/recent_files.h"

#include "base/settings_store.h"

#include <QDir>
#include <QFileInfo>

namespace quillorn::app {

namespace {
const QString kSection = QStringLiteral("RecentFiles");

QString fileKey(int n) {
    return QStringLiteral("File%1").arg(n);
}

QString sameFileKey(const QString& path) {
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}
} // namespace

QStringList readRecentFiles(const SettingsStore& store) {
    QStringList files;
    QStringList seen;
    for (int n = 1; n <= kRecentFileCount; ++n) {
        const QString path = store.value(kSection, fileKey(n));
        if (path.isEmpty() || seen.contains(sameFileKey(path)))
            continue;
        seen << sameFileKey(path);
        files << path;
    }
    return files;
}

void writeRecentFiles(SettingsStore& store, const QStringList& files) {
    for (int n = 1; n <= kRecentFileCount; ++n) {
        const QString path = n <= files.size() ? files[n - 1] : QString();
        if (path == store.value(kSection, fileKey(n)))
            continue;
        if (path.isEmpty())
            store.remove(kSection, fileKey(n));
        else
            store.setValue(kSection, fileKey(n), path);
    }
}

QStringList withRecentFile(const QStringList& files, const QString& path) {
    QStringList out{sameFileKey(path)};
    for (const QString& file : files)
        if (sameFileKey(file) != out.front() && out.size() < kRecentFileCount)
            out << file;
    return out;
}

QString readOpenFolder(const SettingsStore& store) {
    return store.value(kSection, QStringLiteral("Folder"));
}

void writeOpenFolder(SettingsStore& store, const QString& folder) {
    if (folder != readOpenFolder(store))
        store.setValue(kSection, QStringLiteral("Folder"), folder);
}

} // namespace quillorn::app
