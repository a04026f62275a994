#include "system/core/download.h"

#include "base/message_log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace quillorn::system {

QString downloadDirectory() {
    const QString dir = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    return dir.isEmpty() ? QDir::homePath() : dir;
}

QString ghostscriptArchiveName() {
    return QStringLiteral("ghostscript-10.0.0-linux-x86_64.tgz");
}

QString ghostscriptDownloadUrl() {
    return QStringLiteral("https://github.com/ArtifexSoftware/ghostpdl-downloads/releases/"
                          "download/gs1000/") +
           ghostscriptArchiveName();
}

QString resolveDownloadDirectory(const QString& directory) {
    const QString d = directory.trimmed().toLower();
    if (d == QLatin1String("c:") || d == QLatin1String("c:\\") || d == QLatin1String("c:/"))
        return downloadDirectory();
    return directory;
}

QString downloadTarget(const QString& directory, const QString& fileName) {
    return QDir::cleanPath(directory + QLatin1Char('/') + fileName);
}

namespace {

// The bytes of a transfer in progress, in "<target>.part". Removed when it goes out of scope
// unless the whole body arrived and it was renamed to the target.
class PartFile {
public:
    explicit PartFile(const QString& target) : name_(target + QStringLiteral(".part")) {}
    ~PartFile() {
        if (!committed_ && opened_) {
            file_.close();
            // unlink() removes a name, never what a link there points to.
            ::unlink(QFile::encodeName(name_).constData());
        }
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

    // Makes the file anew; whatever stands at its name (a leftover of a transfer that was
    // killed, or a link someone planted) is removed first, never followed.
    bool open() {
        const QByteArray name = QFile::encodeName(name_);
        const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
        int fd = ::open(name.constData(), flags, 0666);
        if (fd < 0 && errno == EEXIST && ::unlink(name.constData()) == 0)
            fd = ::open(name.constData(), flags, 0666);
        if (fd < 0) {
            openError_ = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        opened_ = file_.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
        if (!opened_)
            ::close(fd);
        return opened_;
    }
    bool write(const QByteArray& bytes) { return file_.write(bytes) == bytes.size(); }
    qint64 size() const { return file_.size(); }
    QString error() const {
        return name_ + QStringLiteral(": ") +
               (opened_ || openError_.isEmpty() ? file_.errorString() : openError_);
    }

    // Moves the finished file to the target in one step, replacing what is there only then.
    bool commit(const QString& target, QString& why) {
        if (!file_.flush()) {
            why = error();
            return false;
        }
        file_.close();
        if (::rename(QFile::encodeName(name_).constData(), QFile::encodeName(target).constData()) !=
            0) {
            why = target + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        committed_ = true;
        return true;
    }

private:
    QString name_;
    QFile file_; // opened on the descriptor, so it has no name of its own
    bool opened_ = false;
    bool committed_ = false;
    QString openError_;
};

// Shared with the view's cancel function, which may outlive the transfer.
struct TransferState {
    QPointer<QNetworkReply> reply;
    bool finished = false; // QNetworkReply::isRunning does not say so reliably
    bool cancelled = false;
};

} // namespace

TransferResult fetchToFile(const QUrl& url, const QString& target, DownloadView& view,
                           const QString& title, int idleTimeoutMs) {
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")))
        return {false,
                QCoreApplication::translate("quillorn::system", "not an http or https address: ") +
                    url.toString()};
    const QString directory = QFileInfo(target).absolutePath();
    if (!QDir().mkpath(directory))
        return {false,
                QCoreApplication::translate("quillorn::system", "cannot create the directory ") +
                    directory};

    PartFile part(target);
    if (!part.open())
        return {false, part.error()};

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(idleTimeoutMs);
    // Declared after the manager, so it goes first.
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));
    // Whatever the body's size, only this much waits in memory to be written.
    reply->setReadBufferSize(kDownloadBufferSize);

    auto state = std::make_shared<TransferState>();
    state->reply = reply.get();
    bool writeFailed = false;
    const auto ended = [&view, state] {
        if (!state->finished) {
            state->finished = true;
            view.hideProgress();
        }
    };
    auto drain = [&] {
        if (writeFailed)
            return;
        if (!part.write(reply->readAll())) {
            writeFailed = true;
            reply->abort();
            ended();
            return;
        }
        // Qt holds back downloadProgress for a while after the first bytes, so the count is ours.
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        view.setProgress(part.size(), length.isValid() ? length.toLongLong() : -1);
    };
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), drain);
    QObject::connect(reply.get(), &QNetworkReply::finished, reply.get(), ended);
    view.showProgress(title, target, [state, &view] {
        if (state->reply && !state->finished && !state->cancelled) {
            state->cancelled = true;
            state->reply->abort();
            // An abort from inside one of the reply's own signals does not always finish it.
            if (!state->finished) {
                state->finished = true;
                view.hideProgress();
            }
        }
    });
    QObject::disconnect(reply.get(), nullptr, nullptr, nullptr);

    if (state->cancelled)
        return {false, QCoreApplication::translate("quillorn::system", "cancelled")};
    if (reply->error() == QNetworkReply::NoError)
        drain();
    if (writeFailed)
        return {false, part.error()};
    if (reply->error() == QNetworkReply::OperationCanceledError)
        return {false,
                QCoreApplication::translate("quillorn::system", "nothing received for %1 seconds")
                    .arg(idleTimeoutMs / 1000.0)};
    if (reply->error() != QNetworkReply::NoError)
        return {false, reply->errorString()};
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() > 299))
        return {false, QCoreApplication::translate("quillorn::system", "the server answered %1")
                           .arg(status.toInt())};
    // Qt reports most early ends as errors; a body shorter than announced is one as well.
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && !reply->hasRawHeader("Content-Encoding") &&
        length.toLongLong() != part.size())
        return {false, QCoreApplication::translate("quillorn::system",
                                                   "the transfer ended after %1 of %2 bytes")
                           .arg(part.size())
                           .arg(length.toLongLong())};
    QString error;
    if (!part.commit(target, error))
        return {false, error};
    return {true, {}};
}

QString downloadFile(const QString& title, const QString& url, const QString& directory,
                     const QString& fileName, UserDialogs& dialogs, DownloadView& view,
                     MessageSink& messages, int idleTimeoutMs) {
    const QString target = downloadTarget(resolveDownloadDirectory(directory), fileName);
    QString destination = target;
    switch (view.askWhere(title, url, target, QFileInfo::exists(target))) {
    case DownloadChoice::Cancel:
        return {};
    case DownloadChoice::SaveElsewhere:
        destination = dialogs.getSaveFileName(
            title, QCoreApplication::translate("quillorn::system", "All files (*)"), target);
        if (destination.isEmpty())
            return {};
        break;
    case DownloadChoice::Save:
        break;
    }

    const TransferResult result = fetchToFile(QUrl(url), destination, view, title, idleTimeoutMs);
    if (result.complete)
        return destination;
    messages.addMessage(QCoreApplication::translate("quillorn::system", "Download of ") + url +
                        QCoreApplication::translate("quillorn::system", " failed: ") +
                        result.error + QStringLiteral("\n"));
    return {};
}

} // namespace quillorn::system
