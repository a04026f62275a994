#pragma once

#include <QString>

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

// Removes the private folders and files ("KMW-<pid>-...", "quillorn-<pid>-...") of processes
// that no longer exist, left behind when such a process was killed. Those of live processes stay.
void sweepStaleTemporaries();

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
