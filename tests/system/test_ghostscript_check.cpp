// The installation check with the real binding, steered at the stand-in library or at nothing,
// stand-in install directories below the scratch directory and a real HTTP server for the
// download.
#include "gs/gsapi_binding.h"
#include "system/core/download.h"
#include "system/core/ghostscript_check.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"
#include "tests/system/http_test_server.h"
#include "tests/system/scripted_download_view.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::system;

namespace {

const QString kMissingBox = QStringLiteral(
    "The PostScript Conversion program (GhostScript) was NOT found in the system library "
    "directories, checking to see if it is installed...");
const QString kQuestion = QStringLiteral(
    "GhostScript doesn't appear to be installed! Would you like to download it now?");

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class GhostscriptCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        root = test::ScratchDir() + QStringLiteral("/gscheck%1").arg(++serial);
        for (const char* sub : {"a", "b", "private", "downloads"})
            QDir(root).mkpath(QLatin1String(sub));
        // No library anywhere the binding looks.
        gs::SetLibraryCandidates({root + QStringLiteral("/nowhere/libgs.so.10")});

        setup = DefaultGhostscriptCheckSetup();
        setup.searchDirectories = {root + QStringLiteral("/a"), root + QStringLiteral("/b")};
        setup.privateDirectory = root + QStringLiteral("/private");
        setup.downloadDirectory = root + QStringLiteral("/downloads");
        setup.downloadUrl = server.Url(QStringLiteral("/file"));
        setup.archiveName = QStringLiteral("ghostscript.tgz");
        setup.download = [this](const QString& title, const QString& url, const QString& dir,
                                const QString& file) {
            downloadTitles << title;
            return DownloadFile(title, url, dir, file, services, view);
        };
        // Stands for the desktop's default application, which cannot run here.
        setup.openFile = [this](const QString& path) {
            opened << path;
            return true;
        };
    }
    void TearDown() override { gs::SetLibraryCandidates({}); }

    // Runs the check; true when it ended the program.
    bool Check() {
        try {
            CheckGhostscript(services, setup);
            return false;
        } catch (const ProgramEnded&) {
            return true;
        }
    }
    void InstallStandIn(const QString& path) const {
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(QStringLiteral(STAND_IN_GS), path));
    }

    test::HttpTestServer server;
    test::ScriptedServices services;
    test::ScriptedDownloadView view;
    GhostscriptCheckSetup setup;
    QString root;
    QStringList downloadTitles;
    QStringList opened;
};

TEST_F(GhostscriptCheckTest, LoadableLibraryReturnsAtOnceWithoutAWord) {
    gs::SetLibraryCandidates({QStringLiteral(STAND_IN_GS)});
    setup.download = [](auto&&...) -> bool { throw std::logic_error("no download expected"); };
    EXPECT_FALSE(Check());
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(GhostscriptCheckTest, FindsTheLibraryByName) {
    const QString a = root + QStringLiteral("/a");
    const QString b = root + QStringLiteral("/b");
    EXPECT_TRUE(FindInstalledLibrary({a, b}).path.isEmpty());
    // Development links and other names do not count.
    test::WriteFile(a + QStringLiteral("/libgs.so"), "x");
    test::WriteFile(a + QStringLiteral("/libgs.so.10.bak"), "x");
    test::WriteFile(a + QStringLiteral("/libgsx.so.10"), "x");
    EXPECT_TRUE(FindInstalledLibrary({a, b}).path.isEmpty());

    test::WriteFile(b + QStringLiteral("/libgs.so.9.56"), "x");
    test::WriteFile(b + QStringLiteral("/libgs.so.10.0.0"), "x");
    test::WriteFile(b + QStringLiteral("/libgs.so.10"), "x");
    InstalledLibrary found = FindInstalledLibrary({a, b});
    EXPECT_EQ(found.path, b + QStringLiteral("/libgs.so.10.0.0"));
    EXPECT_EQ(found.version, QStringLiteral("10.0.0"));

    // An earlier directory wins over a higher version later on.
    test::WriteFile(a + QStringLiteral("/libgs.so.9"), "x");
    found = FindInstalledLibrary({a, b});
    EXPECT_EQ(found.path, a + QStringLiteral("/libgs.so.9"));
    EXPECT_EQ(found.version, QStringLiteral("9"));

    EXPECT_TRUE(DefaultLibrarySearchDirectories().contains(QStringLiteral("/usr/local/lib")));
    EXPECT_TRUE(DefaultLibrarySearchDirectories().contains(QDir::homePath() +
                                                           QStringLiteral("/.local/lib")));
}

TEST_F(GhostscriptCheckTest, FoundLibraryIsCopiedWhereTheBindingLooksFirstAndTheProgramEnds) {
    const QString installed = root + QStringLiteral("/b/libgs.so.10.0.0");
    InstallStandIn(installed);
    setup.privateDirectory = gs::PrivateLibraryDirectory();
    QDir(setup.privateDirectory).removeRecursively();
    test::WriteFile(setup.privateDirectory + QStringLiteral("/libgs.so"), "an older copy");

    EXPECT_TRUE(Check());
    ASSERT_EQ(services.Prompts(),
              (QStringList{kMissingBox,
                           QStringLiteral("GhostScript 10.0.0 library found at ") + installed +
                               QStringLiteral(", copying to Quillorn's library directory..."),
                           QStringLiteral("Copied the library to Quillorn's library directory, "
                                          "please restart Quillorn")}));
    EXPECT_EQ(services.boxes[0].style, mb::OkOnly | mb::Critical);
    EXPECT_EQ(services.boxes[0].title, QStringLiteral("Converter NOT Found"));
    EXPECT_EQ(services.boxes[1].style, mb::OkOnly | mb::Information);
    EXPECT_EQ(services.boxes[2].style, mb::OkOnly | mb::Information);
    EXPECT_EQ(services.boxes[2].title, kAppTitle);
    EXPECT_TRUE(downloadTitles.isEmpty());

    // The next start loads the copy ahead of anything the system has.
    const QString copy = setup.privateDirectory + QStringLiteral("/libgs.so");
    EXPECT_EQ(ReadAll(copy), ReadAll(installed));
    gs::SetLibraryCandidates({});
    qint32 revision = 0, date = 0;
    QString product, notice;
    EXPECT_TRUE(gs::GetGhostscriptRevision(revision, date, product, notice));
    EXPECT_EQ(gs::LoadedLibraryName(), copy);
    QDir(setup.privateDirectory).removeRecursively();
}

TEST_F(GhostscriptCheckTest, FailedCopySaysWhyInsteadOfClaimingSuccess) {
    InstallStandIn(root + QStringLiteral("/a/libgs.so.10"));
    // A file where the directory would have to be.
    test::WriteFile(root + QStringLiteral("/blocker"), "not a directory");
    setup.privateDirectory = root + QStringLiteral("/blocker/lib");

    EXPECT_TRUE(Check());
    const QStringList prompts = services.Prompts();
    ASSERT_EQ(prompts.size(), 3);
    EXPECT_TRUE(prompts[2].startsWith(
        QStringLiteral("Could not copy the library to Quillorn's library directory: ")));
    EXPECT_TRUE(prompts[2].contains(setup.privateDirectory));
    EXPECT_EQ(services.boxes[2].style, mb::OkOnly | mb::Critical);
    EXPECT_FALSE(prompts.join(QLatin1Char('\n')).contains(QStringLiteral("Copied")));
}

TEST_F(GhostscriptCheckTest, NothingFoundAndDeclinedReturnsForStartUpToGoOn) {
    services.msgBoxAnswers = {mb::Ok, mb::No};
    EXPECT_FALSE(Check());
    EXPECT_EQ(services.Prompts(), (QStringList{kMissingBox, kQuestion}));
    EXPECT_EQ(services.boxes[1].style, mb::YesNo | mb::Question);
    EXPECT_EQ(services.boxes[1].title, QStringLiteral("Converter NOT found"));
    EXPECT_TRUE(downloadTitles.isEmpty());
    EXPECT_EQ(server.requests, 0);
}

TEST_F(GhostscriptCheckTest, FailedDownloadSaysSoAndEnds) {
    setup.downloadUrl = server.Url(QStringLiteral("/missing"));
    services.msgBoxAnswers = {mb::Ok, mb::Yes};
    EXPECT_TRUE(Check());
    EXPECT_EQ(services.Prompts(),
              (QStringList{kMissingBox, kQuestion, QStringLiteral("Error downloading!")}));
    EXPECT_EQ(services.boxes[2].style, mb::OkOnly);
    EXPECT_EQ(services.boxes[2].title, kAppTitle);
    EXPECT_EQ(downloadTitles, QStringList{QStringLiteral("Download Ghostscript")});
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_FALSE(QFile::exists(root + QStringLiteral("/downloads/ghostscript.tgz")));
}

TEST_F(GhostscriptCheckTest, DownloadedArchiveIsOpenedAndTheProgramEnds) {
    server.body = test::NoiseBytes(64 * 1024);
    services.msgBoxAnswers = {mb::Ok, mb::Yes};
    EXPECT_TRUE(Check());
    EXPECT_EQ(services.Prompts(), (QStringList{kMissingBox, kQuestion}));
    const QString archive = root + QStringLiteral("/downloads/ghostscript.tgz");
    EXPECT_EQ(opened, QStringList{archive});
    EXPECT_EQ(ReadAll(archive), server.body);
}

} // namespace
