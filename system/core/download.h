#pragma once

#include "base/user_dialogs.h"

#include <QString>
#include <QUrl>
#include <functional>

namespace quillorn {
class MessageSink;
}

namespace quillorn::system {

// A transfer that receives nothing for this long has failed.
inline constexpr int kIdleTimeoutMs = 60000;
// The most a transfer holds in memory: the rest waits in the network until written out.
inline constexpr qint64 kDownloadBufferSize = qint64(64) * 1024;

// The user's download directory, where the callers' "c:\" points.
QString downloadDirectory();
// The Ghostscript release archive for Linux.
QString ghostscriptDownloadUrl();
QString ghostscriptArchiveName();

// The callers name the download directory "c:\" or "c:"; any other directory stands as given.
QString resolveDownloadDirectory(const QString& directory);
// The directory and the file name joined by one separator.
QString downloadTarget(const QString& directory, const QString& fileName);

// What the user answers when asked where a download goes.
enum class DownloadChoice { Save, SaveElsewhere, Cancel };

// The user's side of a download: where to put it, and the progress with its Cancel button.
// DownloadDialog is the real one; tests script it.
class DownloadView {
public:
    virtual ~DownloadView() = default;
    // replacing: a file of that name is already there.
    virtual DownloadChoice askWhere(const QString& title, const QString& url,
                                    const QString& destination, bool replacing) = 0;
    // Shows the transfer going on and returns once it has ended, when hideProgress is called:
    // the real view is a modal progress window. `cancel` may be called at any time until then;
    // it stops the transfer.
    virtual void showProgress(const QString& title, const QString& destination,
                              std::function<void()> cancel) = 0;
    // total is -1 while unknown.
    virtual void setProgress(qint64 received, qint64 total) = 0;
    // The transfer has ended: showProgress returns.
    virtual void hideProgress() = 0;
};

struct TransferResult {
    bool complete = false;
    QString error; // why it did not complete; empty on success
};

// Fetches an http or https address into target. The bytes go into target + ".part",
// kDownloadBufferSize at a time, which is renamed over target only when the whole body has arrived;
// in every other case target stays as it was and nothing is left beside it. The view's progress
// window is shown meanwhile, so the program's windows stay live.
TransferResult fetchToFile(const QUrl& url, const QString& target, DownloadView& view,
                           const QString& title, int idleTimeoutMs = kIdleTimeoutMs);

// Asks the user where the file goes and fetches it. The path of the file saved, or the empty
// text when no transfer completed: a file already at the place chosen is neither taken for the
// download nor touched unless the whole download arrives. Shows no message box of its own; a
// failed transfer is noted in the message log.
QString downloadFile(const QString& title, const QString& url, const QString& directory,
                     const QString& fileName, UserDialogs& dialogs, DownloadView& view,
                     MessageSink& messages, int idleTimeoutMs = kIdleTimeoutMs);

} // namespace quillorn::system
