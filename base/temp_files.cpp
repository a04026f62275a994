#include "base/temp_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace quillorn {

QString tempDirectory() {
    // Qt answers the empty text for a temporary directory that does not exist.
    const QString dir = QDir::tempPath();
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
        return {};
    return dir;
}

QString createTempFile() {
    const QString dir = tempDirectory();
    if (dir.isEmpty())
        return {};
    QTemporaryFile file(dir + QStringLiteral("/KMWXXXXXX.tmp"));
    file.setAutoRemove(false);
    if (!file.open())
        return {};
    return file.fileName();
}

TempFileGuard::~TempFileGuard() {
    if (!path_.isEmpty())
        QFile::remove(path_);
}

} // namespace quillorn
