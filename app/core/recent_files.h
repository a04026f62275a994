#pragma once

#include <QString>
#include <QStringList>

namespace quillorn {
class SettingsStore;
}

namespace quillorn::app {

// The File menu lists this many of the documents opened last.
inline constexpr int kRecentFileCount = 4;

// "RecentFiles"/"File1".."File4": the documents opened last, newest first.
QStringList readRecentFiles(const SettingsStore& store);
void writeRecentFiles(SettingsStore& store, const QStringList& files);

// The list with path at its head, once (the same file by another spelling counts as the same),
// and no longer than kRecentFileCount.
QStringList withRecentFile(const QStringList& files, const QString& path);

// "RecentFiles"/"Folder": where the open dialog was last left.
QString readOpenFolder(const SettingsStore& store);
void writeOpenFolder(SettingsStore& store, const QString& folder);

} // namespace quillorn::app
