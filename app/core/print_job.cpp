#include "app/core/print_job.h"

#include "base/temp_files.h"

#include <QFile>
#include <array>
#include <cerrno>
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

// One read; 0 at the end of the input and for any failure other than an interruption.
qint64 readPiece(int fd, char* buffer, qint64 size) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, static_cast<size_t>(size));
        if (n >= 0)
            return n;
        if (errno != EINTR)
            return 0;
    }
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
    if (n == 0)
        return job;

    const QString path = createTempFile();
    if (path.isEmpty()) {
        job.error = QStringLiteral("no temporary file could be made");
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
    if (!file.flush()) {
        job.error = file.errorString();
        return job;
    }
    file.close();
    guard.release();
    job.path = path;
    return job;
}

} // namespace quillorn::app
