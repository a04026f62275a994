#include "system/core/ghostscript_check.h"

#include "gs/gsapi_binding.h"
#include "system/core/download.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QVersionNumber>

namespace quillorn::system {

QStringList DefaultLibrarySearchDirectories() {
    return {QStringLiteral("/usr/local/lib"), QStringLiteral("/usr/local/lib64"),
            QStringLiteral("/opt/ghostscript/lib"),
            QDir::homePath() + QStringLiteral("/.local/lib")};
}

InstalledLibrary FindInstalledLibrary(const QStringList& directories) {
    static const QRegularExpression name(QStringLiteral("^libgs\\.so\\.(\\d+(?:\\.\\d+)*)$"));
    for (const QString& directory : directories) {
        InstalledLibrary best;
        QVersionNumber bestVersion;
        const QFileInfoList entries =
            QDir(directory).entryInfoList({QStringLiteral("libgs.so.*")}, QDir::Files, QDir::Name);
        for (const QFileInfo& entry : entries) {
            const QRegularExpressionMatch match = name.match(entry.fileName());
            if (!match.hasMatch())
                continue;
            const QVersionNumber version = QVersionNumber::fromString(match.captured(1));
            if (best.path.isEmpty() || version > bestVersion) {
                best = {entry.absoluteFilePath(), match.captured(1)};
                bestVersion = version;
            }
        }
        if (!best.path.isEmpty())
            return best;
    }
    return {};
}

QString CopyLibrary(const QString& source, const QString& directory) {
    if (!QDir().mkpath(directory))
        return QStringLiteral("cannot create the directory ") + directory;
    const QString target = QDir(directory).filePath(kPrivateLibraryName);
    QFile existing(target);
    if (QFileInfo(target).exists() && !existing.remove())
        return existing.errorString();
    QFile file(source);
    if (!file.copy(target))
        return file.errorString();
    return {};
}

GhostscriptCheckSetup DefaultGhostscriptCheckSetup() {
    GhostscriptCheckSetup setup;
    setup.privateDirectory = gs::PrivateLibraryDirectory();
    setup.downloadUrl = GhostscriptDownloadUrl();
    setup.downloadDirectory = DownloadDirectory();
    setup.archiveName = GhostscriptArchiveName();
    setup.libraryLoads = [] {
        qint32 revision = 0;
        qint32 date = 0;
        QString product;
        QString notice;
        return gs::GetGhostscriptRevision(revision, date, product, notice);
    };
    setup.openFile = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return setup;
}

void CheckGhostscript(WindowServices& services, const GhostscriptCheckSetup& setup) {
    if (setup.libraryLoads())
        return;
    services.MsgBox(QStringLiteral("The PostScript Conversion program (GhostScript) was NOT found "
                                   "in the system library directories, checking to see if it is "
                                   "installed..."),
                    mb::OkOnly | mb::Critical, QStringLiteral("Converter NOT Found"));

    const InstalledLibrary found = FindInstalledLibrary(setup.searchDirectories);
    if (!found.path.isEmpty()) {
        services.MsgBox(QStringLiteral("GhostScript ") + found.version +
                            QStringLiteral(" library found at ") + found.path +
                            QStringLiteral(", copying to Quillorn's library directory..."),
                        mb::OkOnly | mb::Information);
        const QString failure = CopyLibrary(found.path, setup.privateDirectory);
        if (failure.isEmpty())
            services.MsgBox(QStringLiteral("Copied the library to Quillorn's library directory, "
                                           "please restart Quillorn"),
                            mb::OkOnly | mb::Information);
        else
            services.MsgBox(QStringLiteral("Could not copy the library to Quillorn's library "
                                           "directory: ") +
                                failure,
                            mb::OkOnly | mb::Critical);
        services.EndProgram(0);
    }

    if (services.MsgBox(QStringLiteral("GhostScript doesn't appear to be installed! Would you "
                                       "like to download it now?"),
                        mb::YesNo | mb::Question, QStringLiteral("Converter NOT found")) != mb::Yes)
        return;
    if (setup.download(QStringLiteral("Download Ghostscript"), setup.downloadUrl,
                       setup.downloadDirectory, setup.archiveName)) {
        setup.openFile(
            DownloadTarget(ResolveDownloadDirectory(setup.downloadDirectory), setup.archiveName));
        services.EndProgram(0);
    }
    services.MsgBox(QStringLiteral("Error downloading!"), mb::OkOnly);
    services.EndProgram(0);
}

} // namespace quillorn::system
