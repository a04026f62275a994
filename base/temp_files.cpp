#include "base/temp_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cerrno>
#include <csignal>
#include <unistd.h>

namespace quillorn {

QString tempDirectory() {
    // Qt answers the empty text for a temporary directory that does not exist.
    QString dir = QDir::tempPath();
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return {};
    return dir;
}

QString createTempFile() {
    const QString dir = tempDirectory();
    if (dir.isEmpty())
        return {};
    QTemporaryFile file(privateTempTemplate(QStringLiteral("KMW")) + QStringLiteral(".tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

QString privateTempTemplate(const QString& prefix) {
    return tempDirectory() + u'/' + prefix + QStringLiteral("-%1-XXXXXX").arg(::getpid());
}

void sweepStaleTemporaries() {
    const QString dir = tempDirectory();
    if (dir.isEmpty())
        return;
    static const QRegularExpression name(QStringLiteral("^(?:KMW|quillorn)-(\\d+)-[A-Za-z0-9]{6}"));
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QRegularExpressionMatch match = name.match(entry.fileName());
        if (!match.hasMatch() || entry.ownerId() != ::getuid())
            continue;
        const pid_t pid = match.captured(1).toInt();
        if (pid <= 0 || pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH)
            continue;
        if (entry.isDir() && !entry.isSymLink())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
    }
}

TempFileGuard::~TempFileGuard() {
    if (!path_.isEmpty())
        QFile::remove(path_);
}

} // namespace quillorn
