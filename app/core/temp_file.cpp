#include "app/core/temp_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

namespace quillorn {

QString GetTempFile() {
    // Qt answers the empty text for a temporary directory that does not exist; never fall
    // back to the file system root.
    const QString dir = QDir::tempPath();
    if (dir.isEmpty() || !QFileInfo(dir).isDir())
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
