#include "app/core/viewer_program.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace quillorn::app {

QString viewerProgramPath(const QString& commandPath) {
    const QDir here = QFileInfo(commandPath).absoluteDir();
    QString beside = here.filePath(QStringLiteral("quillorn-viewer"));
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(here.filePath(QStringLiteral(QUILLORN_VIEWER_FROM_BINDIR)));
}

int startViewer(char* argv[]) {
    // The command as the system started it, whatever name or link it was called by.
    const QString self = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QByteArray viewer = QFile::encodeName(viewerProgramPath(self));
    ::setenv("QUILLORN_PROGRAM", QFile::encodeName(self).constData(), 1);
    ::execv(viewer.constData(), argv);
    const int error = errno;
    std::fprintf(stderr, "quillorn: the viewer %s could not be started: %s\n", viewer.constData(),
                 std::strerror(error));
    return 1;
}

} // namespace quillorn::app
