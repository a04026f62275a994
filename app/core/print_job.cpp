#include "app/core/print_job.h"

#include "base/temp_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringDecoder>
#include <array>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace quillorn::app {

namespace {
// Waits until fd has something to read (or its end); false when stopFd became readable first.
bool waitForInput(int fd, int stopFd) {
    if (stopFd < 0)
        return true;
    for (;;) {
        pollfd fds[2] = {{fd, POLLIN, 0}, {stopFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return true; // the read tells what is wrong
        }
        if (fds[1].revents != 0)
            return false;
        if (fds[0].revents != 0)
            return true;
    }
}

// One read: the bytes read, 0 at the end of the input, -1 for a failure (errno says which).
qint64 readPiece(int fd, char* buffer, qint64 size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, static_cast<size_t>(size));
        if (n >= 0)
            return n;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            // A non-blocking input: wait for more as a blocking one would.
            pollfd ready{fd, POLLIN, 0};
            ::poll(&ready, 1, -1);
        } else if (errno != EINTR) {
            return -1;
        }
    }
}

QString readError() {
    return QCoreApplication::translate("quillorn::app", "standard input: ") +
           QString::fromLocal8Bit(std::strerror(errno));
}

// The text of a PostScript string: "(Report \(draft\))" gives "Report (draft)".
QByteArray unescapeString(const QByteArray& text) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        if (c >= '0' && c <= '7') {
            int code = 0;
            for (int digits = 0; digits < 3 && i < text.size() && text[i] >= '0' && text[i] <= '7';
                 ++digits, ++i)
                code = code * 8 + (text[i] - '0');
            --i;
            out += static_cast<char>(code & 0xFF);
        } else {
            // \n, \t and the like become control characters, which the name leaves out anyway.
            out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
    }
    return out;
}

// UTF-8 where the bytes are, else Latin-1, as older programs write it.
QString decodeTitle(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

} // namespace

bool isTerminal(int fd) {
    return ::isatty(fd) == 1;
}

SavedPrintJob savePrintJob(int fd, int stopFd) {
    SavedPrintJob job;
    if (fd < 0 || isTerminal(fd))
        return job;
    std::array<char, kPrintJobReadSize> buffer;

    if (!waitForInput(fd, stopFd)) {
        job.stopped = true;
        return job;
    }
    ++job.reads;
    qint64 n = readPiece(fd, buffer.data(), kPrintJobReadSize);
    if (n < 0 && errno != EBADF && errno != EINVAL && errno != EISDIR)
        job.error = readError();
    if (n <= 0)
        return job; // nothing there to read, or nothing readable

    const QString path = createTempFile();
    if (path.isEmpty()) {
        job.error = QCoreApplication::translate("quillorn::app", "no temporary file could be made");
        return job;
    }
    TempFileGuard guard(path);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        job.error = file.errorString();
        return job;
    }
    while (n > 0) {
        if (file.write(buffer.data(), n) != n) {
            job.error = file.errorString();
            return job;
        }
        job.size += n;
        if (!waitForInput(fd, stopFd)) {
            job.stopped = true;
            return job;
        }
        ++job.reads;
        n = readPiece(fd, buffer.data(), kPrintJobReadSize);
    }
    if (n < 0) {
        job.error = readError();
        return job;
    }
    if (!file.flush()) {
        job.error = file.errorString();
        return job;
    }
    file.close();
    guard.release();
    job.path = path;
    return job;
}

QString fileNameFrom(const QString& text) {
    QString name;
    for (const QChar c : text)
        name += c == u'/' ? u'-' : c.category() == QChar::Other_Control ? u' ' : c;
    name = name.trimmed();
    while (name.startsWith(u'.'))
        name = name.mid(1).trimmed();
    // Room for the format's ending within a file name's 255 bytes.
    while (name.toUtf8().size() > 200)
        name.chop(1);
    return name.isEmpty() ? QStringLiteral("print-job") : name;
}

QString printJobName(const QString& jobPath) {
    QFile file(jobPath);
    if (!file.open(QIODevice::ReadOnly))
        return fileNameFrom({});
    // The header: the comments the job opens with, up to %%EndComments.
    const QByteArray start = file.read(qint64(64) * 1024).replace('\r', '\n');
    for (QByteArray line : start.split('\n')) {
        line = line.trimmed();
        if (line.isEmpty())
            continue; // between the \r and the \n of a line end
        if (!line.startsWith('%') || line.startsWith("%%EndComments"))
            break;
        if (!line.startsWith("%%Title:"))
            continue;
        QByteArray title = line.mid(8).trimmed();
        if (title.startsWith('(') && title.endsWith(')'))
            title = unescapeString(title.mid(1, title.size() - 2));
        if (title == "atend")
            break; // the title waits at the job's end; the name does not
        return fileNameFrom(decodeTitle(title));
    }
    return fileNameFrom({});
}

QString printJobProposal(const QString& jobPath) {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(printJobName(jobPath) + QStringLiteral(".ps"));
}

} // namespace quillorn::app
