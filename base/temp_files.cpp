#include "base/temp_files.h"

#include "base/settings_store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryFile>
#include <cerrno>
#include <csignal>
#include <limits>
#include <sys/stat.h>
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

std::unique_ptr<QTemporaryDir> makePrivateFolder(const QString& prefix) {
    if (tempDirectory().isEmpty())
        return nullptr;
    auto folder = std::make_unique<QTemporaryDir>(privateTempTemplate(prefix));
    return folder->isValid() ? std::move(folder) : nullptr;
}

Failure noTemporaryFolder() {
    return {FailureKind::FileAccess,
            QCoreApplication::translate("quillorn::base", "Cannot create a temporary file in ") +
                qEnvironmentVariable("TMPDIR")};
}

namespace {

// True for a process id of no process that exists now (and not this one).
bool deadProcess(const QString& pidText) {
    bool ok = false;
    const qlonglong pid = pidText.toLongLong(&ok);
    if (!ok || pid <= 0 || pid > std::numeric_limits<pid_t>::max() || pid == ::getpid())
        return false;
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

const QString kFoldersSection = QStringLiteral("OutputFolders");

QString folderKey(int n) {
    return QStringLiteral("Folder%1").arg(n);
}

QStringList foldersIn(const SettingsStore& store) {
    QStringList folders;
    for (int n = 1; n <= kRememberedOutputFolders; ++n) {
        const QString folder = store.value(kFoldersSection, folderKey(n));
        if (!folder.isEmpty() && !folders.contains(folder))
            folders << folder;
    }
    return folders;
}

// Removes the output folder's staging of dead processes, looked at without following links.
void sweepOutputFolder(const QString& folder) {
    const QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden |
                                                     QDir::System | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const QRegularExpressionMatch match = outputStagingPattern().match(name);
        if (!match.hasMatch() || !deadProcess(match.captured(1)))
            continue;
        const QString path = folder + u'/' + name;
        struct stat st {};
        if (::lstat(QFile::encodeName(path).constData(), &st) != 0 || st.st_uid != ::getuid())
            continue;
        const bool isFolder = name.startsWith(u'.') && name.indexOf(u'.', 1) < 0;
        if (isFolder && S_ISDIR(st.st_mode))
            QDir(path).removeRecursively(); // removes links inside, never what they point to
        else if (!isFolder && S_ISREG(st.st_mode))
            QFile::remove(path);
    }
}

} // namespace

const QRegularExpression& outputStagingPattern() {
    static const QRegularExpression pattern(
        QStringLiteral("\\A(?:\\.quillorn|.+\\.quillorn)-([0-9]+)-[A-Za-z0-9]{6}\\z"));
    return pattern;
}

void rememberOutputFolder(const QString& folder) {
    const QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    SettingsStore store;
    QStringList folders = foldersIn(store);
    if (folders.value(0) == path)
        return;
    folders.removeAll(path);
    folders.prepend(path);
    for (int n = 1; n <= kRememberedOutputFolders; ++n) {
        if (n <= folders.size())
            store.setValue(kFoldersSection, folderKey(n), folders[n - 1]);
        else if (store.contains(kFoldersSection, folderKey(n)))
            store.remove(kFoldersSection, folderKey(n));
    }
    store.sync();
}

QStringList rememberedOutputFolders() {
    return foldersIn(SettingsStore());
}

void sweepStaleTemporaries() {
    for (const QString& folder : rememberedOutputFolders())
        sweepOutputFolder(folder);
    const QString dir = tempDirectory();
    if (dir.isEmpty())
        return;
    static const QRegularExpression name(QStringLiteral("^(?:KMW|quillorn)-(\\d+)-[A-Za-z0-9]{6}"));
    const QFileInfoList entries =
        QDir(dir).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        const QRegularExpressionMatch match = name.match(entry.fileName());
        if (!match.hasMatch() || entry.ownerId() != ::getuid() || !deadProcess(match.captured(1)))
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
