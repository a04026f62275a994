#include "system/core/ghostscript_check.h"

#include "gs/api.h"
#include "system/core/download.h"
#include "system/core/package_installer.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QVersionNumber>
#include <optional>

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
        return QCoreApplication::translate("quillorn::system", "cannot create the directory ") +
               directory;
    const QString target = QDir(directory).filePath(kPrivateLibraryName);
    QFile existing(target);
    if (QFileInfo::exists(target) && !existing.remove())
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
    // One installer for the setup's life; each request's answer goes to that request's caller.
    auto installer = std::make_shared<PackageInstaller>();
    setup.installPackages = [installer](const QStringList& packages,
                                        std::function<void(const InstallResult&)> done) {
        QObject::disconnect(installer.get(), &PackageInstaller::finished, nullptr, nullptr);
        QObject::connect(
            installer.get(), &PackageInstaller::finished, installer.get(),
            [done = std::move(done)](bool ok, const QString& error) {
                done({.ok = ok, .error = error});
            },
            Qt::SingleShotConnection);
        installer->start(packages);
    };
    return setup;
}

namespace {

// The installed copy goes where the binding looks; the user starts the program again.
CheckOutcome copyFoundLibrary(UserDialogs& dialogs, const GhostscriptCheckSetup& setup,
                              const InstalledLibrary& found) {
    dialogs.message(
        QCoreApplication::translate("quillorn::system", "GhostScript ") + found.version +
            QCoreApplication::translate("quillorn::system", " library found at ") + found.path +
            QCoreApplication::translate("quillorn::system",
                                        ", copying to Quillorn's library directory..."),
        Icon::Information);
    const QString failure = copyLibrary(found.path, setup.privateDirectory);
    if (failure.isEmpty())
        dialogs.message(
            QCoreApplication::translate("quillorn::system",
                                        "Copied the library to Quillorn's library directory, "
                                        "please restart Quillorn"),
            Icon::Information);
    else
        dialogs.message(QCoreApplication::translate(
                            "quillorn::system",
                            "Could not copy the library to Quillorn's library directory: ") +
                            failure,
                        Icon::Critical);
    return CheckOutcome::Quit;
}

CheckOutcome offerDownload(UserDialogs& dialogs, const GhostscriptCheckSetup& setup) {
    if (dialogs.ask(
            QCoreApplication::translate(
                "quillorn::system", "GhostScript doesn't appear to be installed! Would you like to "
                                    "download it now?"),
            Buttons::YesNo, Icon::Question,
            QCoreApplication::translate("quillorn::system", "Converter NOT found")) != Answer::Yes)
        return CheckOutcome::GoOn;
    const QString saved =
        setup.download(QCoreApplication::translate("quillorn::system", "Download Ghostscript"),
                       setup.downloadUrl, setup.downloadDirectory, setup.archiveName);
    if (!saved.isEmpty()) {
        setup.openFile(saved);
        return CheckOutcome::Quit;
    }
    dialogs.message(QCoreApplication::translate("quillorn::system", "Error downloading!"));
    return CheckOutcome::Quit;
}

// After the package manager's answer: start-up goes on with the library installed, or the user
// learns the command that installs it and the download is offered.
CheckOutcome afterInstall(UserDialogs& dialogs, const GhostscriptCheckSetup& setup,
                          const InstallResult& result) {
    if (result.ok && setup.libraryLoads())
        return CheckOutcome::GoOn;
    const QString why =
        result.ok ? kGhostscriptPackage +
                        QCoreApplication::translate("quillorn::system",
                                                    " was installed, but the library still "
                                                    "does not load")
                  : result.error;
    dialogs.message(
        QCoreApplication::translate("quillorn::system",
                                    "GhostScript could not be installed through the package "
                                    "manager (%1). To install it yourself, run:\n\n"
                                    "sudo apt install %2")
            .arg(why, kGhostscriptPackage),
        Icon::Warning);
    return offerDownload(dialogs, setup);
}

// One wait for the package manager. The waiting window may return at once or, modal, only when
// the answer has come: the check goes on at whichever comes last, the answer or that return.
struct InstallWait {
    UserDialogs& dialogs;
    GhostscriptCheckSetup setup;
    std::function<void(CheckOutcome)> done;
    std::optional<InstallResult> result = {};
    bool asking = true; // still inside installPackage
    bool shown = false;

    void settle(const InstallResult& answer) {
        if (result) // the wait was cancelled before the answer came
            return;
        result = answer;
        if (shown)
            setup.installView->hideWaiting();
        if (!asking)
            goOn();
    }
    void goOn() { done(afterInstall(dialogs, setup, *result)); }
};

void installPackage(UserDialogs& dialogs, const GhostscriptCheckSetup& setup,
                    std::function<void(CheckOutcome)> done) {
    auto wait = std::make_shared<InstallWait>(
        InstallWait{.dialogs = dialogs, .setup = setup, .done = std::move(done)});
    // The installer holds the answer's callback, which holds the wait: the wait must not hold the
    // installer in turn.
    wait->setup.installPackages = nullptr;
    setup.installPackages({kGhostscriptPackage},
                          [wait](const InstallResult& answer) { wait->settle(answer); });
    if (!wait->result && setup.installView) {
        wait->shown = true;
        setup.installView->showWaiting(kGhostscriptPackage, [wait] {
            wait->settle({.ok = false,
                          .error = QCoreApplication::translate("quillorn::system",
                                                               "the wait was cancelled")});
        });
    }
    wait->asking = false;
    if (wait->result)
        wait->goOn();
}

} // namespace

void checkGhostscript(UserDialogs& dialogs, const GhostscriptCheckSetup& setup,
                      std::function<void(CheckOutcome)> done) {
    if (setup.libraryLoads()) {
        done(CheckOutcome::GoOn);
        return;
    }
    dialogs.ask(QCoreApplication::translate(
                    "quillorn::system",
                    "The PostScript Conversion program (GhostScript) was NOT found in "
                    "the system library directories, checking to see if it is "
                    "installed..."),
                Buttons::Ok, Icon::Critical,
                QCoreApplication::translate("quillorn::system", "Converter NOT Found"));

    const InstalledLibrary found = findInstalledLibrary(setup.searchDirectories);
    if (!found.path.isEmpty())
        done(copyFoundLibrary(dialogs, setup, found));
    else if (setup.installPackages)
        installPackage(dialogs, setup, std::move(done));
    else
        done(offerDownload(dialogs, setup));
}

CheckOutcome checkGhostscript(UserDialogs& dialogs, const GhostscriptCheckSetup& setup) {
    // Shared with the callback: a waiting window that is not modal would have it run later, and
    // start-up would go on meanwhile as if the user had declined.
    auto outcome = std::make_shared<std::optional<CheckOutcome>>();
    checkGhostscript(dialogs, setup, [outcome](CheckOutcome value) { *outcome = value; });
    return outcome->value_or(CheckOutcome::GoOn);
}

} // namespace quillorn::system
