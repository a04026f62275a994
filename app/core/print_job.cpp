#include "app/core/print_job.h"

#include "base/temp_files.h"

#include <QFile>
#include <array>
#include <cerrno>
#include <unistd.h>

namespace quillorn::app {

namespace {
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

SavedPrintJob savePrintJob(int fd) {
    SavedPrintJob job;
    if (fd < 0 || isTerminal(fd))
        return job;
    std::array<char, kPrintJobReadSize> buffer;

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
