#pragma once

#include "base/failure.h"

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace quillorn {

// Creates a new empty file in the user's temporary directory (TMPDIR honoured) whose name begins
// with "KMW" and returns its path; the empty text when none can be made. The file is created
// atomically with an unpredictable name, so no other process can claim it first.
QString createTempFile();

// The user's temporary directory, or the empty text when it does not exist. Never the file
// system root in its place.
QString tempDirectory();

// The name of a private folder or file of this process in the temporary directory: the prefix,
// the process id and a unique part, "KMW-1234-XXXXXX". sweepStaleTemporaries() knows them by it.
QString privateTempTemplate(const QString& prefix);

// A new private folder of this process in the temporary directory, removed with everything in
// it when it goes; null when there is no temporary directory or the folder cannot be made.
std::unique_ptr<QTemporaryDir> makePrivateFolder(const QString& prefix);
// The failure for a temporary directory that cannot be used.
Failure noTemporaryFolder();

// Removes the private folders and files ("KMW-<pid>-...", "quillorn-<pid>-...") of processes
// that no longer exist, left behind when such a process was killed. Those of live processes stay.
// The same for the staging a conversion leaves in its output folders (outputStagingPattern())
// in the folders rememberOutputFolder() noted. Only names of exactly that form, owned by the
// user, are removed: folders that are real folders, files that are regular files; a link is
// neither followed nor removed.
void sweepStaleTemporaries();

// How many output folders the settings store remembers for the sweep.
inline constexpr int kRememberedOutputFolders = 20;
// Notes in the settings store that this process makes staging in the folder, before it does:
// the most recent kRememberedOutputFolders folders, newest first, each once.
void rememberOutputFolder(const QString& folder);
QStringList rememberedOutputFolders();
// The staging a conversion makes beside its output: a folder ".quillorn-<pid>-XXXXXX" and files
// "<name>.quillorn-<pid>-XXXXXX" (XXXXXX: six letters or digits). The process id is captured.
const QRegularExpression& outputStagingPattern();

// Deletes a file when it goes out of scope, unless released.
class TempFileGuard {
public:
    explicit TempFileGuard(QString path) : path_(std::move(path)) {}
    ~TempFileGuard();
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    const QString& path() const { return path_; }
    void release() { path_.clear(); }

private:
    QString path_;
};

} // namespace quillorn
