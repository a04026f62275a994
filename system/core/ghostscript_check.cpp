#include "system/core/ghostscript_check.h"

#include "gs/api.h"
#include "system/core/download.h"

#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QVersionNumber>

namespace quillorn::system {

QStringList defaultLibrarySearchDirectories() {
    return {QStringLiteral("/usr/local/lib"), QStringLiteral("/usr/local/lib64"),
            QStringLiteral("/opt/ghostscript/lib"),
            QDir::homePath() + QStringLiteral("/.local/lib")};
}

InstalledLibrary findInstalledLibrary(const QStringList& directories) {
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

QString copyLibrary(const QString& source, const QString& directory) {
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

GhostscriptCheckSetup defaultGhostscriptCheckSetup() {
    GhostscriptCheckSetup setup;
    setup.privateDirectory = gs::privateLibraryDirectory();
    setup.downloadUrl = ghostscriptDownloadUrl();
    setup.downloadDirectory = downloadDirectory();
    setup.archiveName = ghostscriptArchiveName();
    setup.openFile = [](const QString& path) {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    return setup;
}

CheckOutcome checkGhostscript(UserDialogs& dialogs, const GhostscriptCheckSetup& setup) {
    if (setup.libraryLoads())
        return CheckOutcome::GoOn;
    dialogs.ask(QStringLiteral("The PostScript Conversion program (GhostScript) was NOT found in "
                               "the system library directories, checking to see if it is "
                               "installed..."),
                Buttons::Ok, Icon::Critical, QStringLiteral("Converter NOT Found"));

    const InstalledLibrary found = findInstalledLibrary(setup.searchDirectories);
    if (!found.path.isEmpty()) {
        dialogs.message(QStringLiteral("GhostScript ") + found.version +
                            QStringLiteral(" library found at ") + found.path +
                            QStringLiteral(", copying to Quillorn's library directory..."),
                        Icon::Information);
        const QString failure = copyLibrary(found.path, setup.privateDirectory);
        if (failure.isEmpty())
            dialogs.message(QStringLiteral("Copied the library to Quillorn's library directory, "
                                           "please restart Quillorn"),
                            Icon::Information);
        else
            dialogs.message(
                QStringLiteral("Could not copy the library to Quillorn's library directory: ") +
                    failure,
                Icon::Critical);
        return CheckOutcome::Quit;
    }

    if (dialogs.ask(QStringLiteral("GhostScript doesn't appear to be installed! Would you like to "
                                   "download it now?"),
                    Buttons::YesNo, Icon::Question,
                    QStringLiteral("Converter NOT found")) != Answer::Yes)
        return CheckOutcome::GoOn;
    const QString saved = setup.download(QStringLiteral("Download Ghostscript"), setup.downloadUrl,
                                         setup.downloadDirectory, setup.archiveName);
    if (!saved.isEmpty()) {
        setup.openFile(saved);
        return CheckOutcome::Quit;
    }
    dialogs.message(QStringLiteral("Error downloading!"));
    return CheckOutcome::Quit;
}

} // namespace quillorn::system
