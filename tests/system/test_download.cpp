// Downloads from a real HTTP server on 127.0.0.1 into real directories, through a scripted view
// and through the real dialog; the installation check with the real binding steered at the
// stand-in library or at nothing.
#include "app/core/message_log.h"
#include "gs/gsapi_binding.h"
#include "system/core/ghostscript_check.h"
#include "system/frmDownload.h"
#include "system/modDownload.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"
#include "tests/system/http_test_server.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::system;

namespace {

// Stands in for the user at the download dialog: answers the where-to question from `choice`
// and presses Cancel on the progress window once bytes arrive when `cancelOnData` is set.
struct ScriptedDownloadView : DownloadView {
    DownloadChoice choice = DownloadChoice::Save;
    bool cancelOnData = false;
    int progressHidden = 0;
    qint64 lastReceived = -1, lastTotal = -1;
    bool partSeen = false; // a .part file beside the destination while bytes came in
    QString destination;
    std::function<void()> cancel;

    DownloadChoice AskWhere(const QString&, const QString&, const QString&) override {
        return choice;
    }
    void ShowProgress(const QString&, const QString& to, std::function<void()> stop) override {
        destination = to;
        cancel = std::move(stop);
    }
    void SetProgress(qint64 received, qint64 total) override {
        lastReceived = received;
        lastTotal = total;
        partSeen = partSeen || QFile::exists(destination + QStringLiteral(".part"));
        if (cancelOnData && received > 0 && cancel)
            cancel();
    }
    void HideProgress() override { ++progressHidden, cancel = nullptr; }
};

class DownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        static int serial = 0;
        dir = test::ScratchDir() + QStringLiteral("/downloads %1 Ünïcode").arg(++serial);
        server.body = test::NoiseBytes(300 * 1024);
        SetMessageHandler([this](const QString& m) { log += m; });
    }
    void TearDown() override { SetMessageHandler(nullptr); }

    QString Target() const { return dir + QStringLiteral("/file.bin"); }
    bool Fetch(const QString& path, int idleMs = 20000) {
        return DownloadFile(QStringLiteral("Download Test"), server.Url(path), dir,
                            QStringLiteral("file.bin"), services, view, idleMs);
    }
    // Nothing at the target and no half-written file beside it.
    void ExpectNothingLeft() const {
        EXPECT_FALSE(QFile::exists(Target()));
        EXPECT_FALSE(QFile::exists(Target() + QStringLiteral(".part")));
    }

    test::HttpTestServer server;
    test::ScriptedServices services;
    ScriptedDownloadView view;
    QString dir;
    QString log;
};

// A stale file at the target goes first, so no failure leaves a file there.
TEST_F(DownloadTest, FailedOrCancelledTransfersLeaveNoFile) {
    struct Case {
        const char* path;
        int idleMs;
        bool cancelOnData;
        const char* logged;
    };
    for (const Case& c :
         {Case{"/missing", 20000, false, "Not Found"}, Case{"/drop", 20000, false, "failed"},
          Case{"/stall", 400, false, "nothing received"},
          Case{"/stall", 20000, true, "failed: cancelled"}}) {
        SCOPED_TRACE(c.logged);
        log.clear();
        test::WriteFile(Target(), "left over from last time");
        view.cancelOnData = c.cancelOnData;
        EXPECT_FALSE(Fetch(QLatin1String(c.path), c.idleMs));
        ExpectNothingLeft();
        EXPECT_TRUE(log.contains(QLatin1String(c.logged))) << log.toStdString();
    }
    // Only http and https are fetched; Cancel at the question fetches nothing.
    view.cancelOnData = false;
    EXPECT_FALSE(DownloadFile(QStringLiteral("t"), QStringLiteral("file:///etc/hostname"), dir,
                              QStringLiteral("file.bin"), services, view));
    const int requests = server.requests;
    view.choice = DownloadChoice::Cancel;
    EXPECT_FALSE(Fetch(QStringLiteral("/file")));
    EXPECT_EQ(server.requests, requests);
    ExpectNothingLeft();
    EXPECT_TRUE(services.boxes.empty());
    // Saving elsewhere leaves no file at the target either: no success.
    view.choice = DownloadChoice::SaveElsewhere;
    const QString other = test::ScratchDir() + QStringLiteral("/elsewhere/other name.bin");
    services.saveAnswers.push_back(other);
    test::WriteFile(Target(), "left over from last time");
    EXPECT_FALSE(Fetch(QStringLiteral("/file")));
    EXPECT_EQ(test::ReadFile(other), server.body);
    ExpectNothingLeft();
}

TEST_F(DownloadTest, CompleteTransferLandsInTheDownloadDirectoryForTheDriveRoot) {
    const QString downloads = DownloadDirectory();
    ASSERT_TRUE(downloads.startsWith(test::ScratchDir()));
    for (const char* name : {"c:\\", "C:\\", "c:", "C:"})
        EXPECT_EQ(ResolveDownloadDirectory(QLatin1String(name)), downloads) << name;
    QDir(downloads).removeRecursively(); // need not exist yet
    EXPECT_TRUE(DownloadFile(QStringLiteral("Download RedMon"), server.Url(QStringLiteral("/file")),
                             QStringLiteral("c:\\"), QStringLiteral("redmon.zip"), services, view));
    EXPECT_EQ(test::ReadFile(downloads + QStringLiteral("/redmon.zip")), server.body);
    EXPECT_TRUE(view.partSeen) << "bytes must go to the .part file first";
    EXPECT_FALSE(QFile::exists(downloads + QStringLiteral("/redmon.zip.part")));
    EXPECT_EQ(view.lastReceived, server.body.size());
    EXPECT_EQ(view.lastTotal, server.body.size());
    EXPECT_EQ(view.progressHidden, 1);
}

// The real dialogs, offscreen. A timer plays the user: once a window of type W shows a button
// named objectName (any push button when empty), it presses it.
template <typename W> void PressWhenShown(const QString& objectName, QString* title = nullptr) {
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, timer, [=] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<W*>(w);
            auto* button = window && window->isVisible()
                               ? window->template findChild<QPushButton*>(objectName)
                               : nullptr;
            if (button) {
                if (title)
                    *title = window->windowTitle();
                timer->deleteLater();
                button->click();
                return;
            }
        }
    });
    timer->start(10);
}

TEST_F(DownloadTest, RealDialogSavesOrCancels) {
    QString title;
    PressWhenShown<frmDownload>(QStringLiteral("cmdSave"), &title);
    EXPECT_TRUE(DownloadFile(QStringLiteral("Download Test"), server.Url(QStringLiteral("/file")),
                             dir, QStringLiteral("file.bin"), services));
    EXPECT_EQ(title, QStringLiteral("Download Test"));
    EXPECT_EQ(test::ReadFile(Target()), server.body);

    PressWhenShown<frmDownload>(QStringLiteral("cmdSave"));
    PressWhenShown<QProgressDialog>(QString());
    EXPECT_FALSE(DownloadFile(QStringLiteral("Download Test"), server.Url(QStringLiteral("/stall")),
                              dir, QStringLiteral("file.bin"), services));
    ExpectNothingLeft();
}

const QString kMissingBox = QStringLiteral(
    "The PostScript Conversion program (GhostScript) was NOT found in the system library "
    "directories, checking to see if it is installed...");
const QString kQuestion = QStringLiteral(
    "GhostScript doesn't appear to be installed! Would you like to download it now?");

class GhostscriptCheckTest : public DownloadTest {
protected:
    void SetUp() override {
        DownloadTest::SetUp();
        // No library anywhere the binding looks.
        gs::SetLibraryCandidates({dir + QStringLiteral("/nowhere/libgs.so.10")});
        setup = DefaultGhostscriptCheckSetup();
        setup.searchDirectories = {dir + QStringLiteral("/a"), dir + QStringLiteral("/b")};
        setup.downloadDirectory = dir + QStringLiteral("/downloads");
        setup.downloadUrl = server.Url(QStringLiteral("/file"));
        setup.archiveName = QStringLiteral("ghostscript.tgz");
        setup.download = [this](const QString& title, const QString& url, const QString& to,
                                const QString& file) {
            return title == QStringLiteral("Download Ghostscript") &&
                   DownloadFile(title, url, to, file, services, view);
        };
        // Stands for the desktop's default application, which cannot run here.
        setup.openFile = [this](const QString& path) { return opened << path, true; };
    }
    void TearDown() override {
        DownloadTest::TearDown();
        gs::SetLibraryCandidates({});
        QDir(gs::PrivateLibraryDirectory()).removeRecursively();
    }

    // Runs the check; true when it ended the program.
    bool Check() {
        services.boxes.clear();
        try {
            CheckGhostscript(services, setup);
            return false;
        } catch (const ProgramEnded&) {
            return true;
        }
    }
    std::vector<std::pair<int, QString>> StylesAndTitles() const {
        std::vector<std::pair<int, QString>> out;
        for (const auto& box : services.boxes)
            out.emplace_back(box.style, box.title);
        return out;
    }

    GhostscriptCheckSetup setup;
    QStringList opened;
};

TEST_F(GhostscriptCheckTest, LoadableLibraryIsSilentAndAFoundOneIsCopiedWhereTheBindingLooks) {
    gs::SetLibraryCandidates({QStringLiteral(STAND_IN_GS)});
    EXPECT_FALSE(Check());
    EXPECT_TRUE(services.boxes.empty());
    gs::SetLibraryCandidates({dir + QStringLiteral("/nowhere/libgs.so.10")});
    // Development links and other names do not count; within a directory the highest version
    // wins.
    for (const char* name : {"a/libgs.so", "a/libgs.so.10.bak", "a/libgsx.so.10", "b/libgs.so.10"})
        test::WriteFile(dir + u'/' + QLatin1String(name), "x");
    const QString installed = dir + QStringLiteral("/b/libgs.so.10.0.0");
    ASSERT_TRUE(QFile::copy(QStringLiteral(STAND_IN_GS), installed));
    // A copy that fails says why instead of claiming success.
    test::WriteFile(dir + QStringLiteral("/blocker"), "a file where a directory would go");
    setup.privateDirectory = dir + QStringLiteral("/blocker/lib");
    EXPECT_TRUE(Check());
    ASSERT_EQ(services.boxes.size(), 3u);
    EXPECT_TRUE(services.boxes[2].prompt.startsWith(
        QStringLiteral("Could not copy the library to Quillorn's library directory: ")));
    EXPECT_TRUE(services.boxes[2].prompt.contains(setup.privateDirectory));
    EXPECT_EQ(services.boxes[2].style, mb::OkOnly | mb::Critical);

    setup.privateDirectory = gs::PrivateLibraryDirectory();
    test::WriteFile(setup.privateDirectory + QStringLiteral("/libgs.so"), "an older copy");
    EXPECT_TRUE(Check());
    EXPECT_EQ(services.Prompts(),
              (QStringList{kMissingBox,
                           QStringLiteral("GhostScript 10.0.0 library found at ") + installed +
                               QStringLiteral(", copying to Quillorn's library directory..."),
                           QStringLiteral("Copied the library to Quillorn's library directory, "
                                          "please restart Quillorn")}));
    EXPECT_EQ(StylesAndTitles(), (std::vector<std::pair<int, QString>>{
                                     {mb::OkOnly | mb::Critical, "Converter NOT Found"},
                                     {mb::OkOnly | mb::Information, kAppTitle},
                                     {mb::OkOnly | mb::Information, kAppTitle}}));

    // The next start loads the copy ahead of anything the system has.
    gs::SetLibraryCandidates({});
    qint32 revision = 0, date = 0;
    QString product, notice;
    EXPECT_TRUE(gs::GetGhostscriptRevision(revision, date, product, notice));
    EXPECT_EQ(gs::LoadedLibraryName(), setup.privateDirectory + QStringLiteral("/libgs.so"));
}

TEST_F(GhostscriptCheckTest, NothingFound) {
    // No: start-up goes on.
    services.msgBoxAnswers = {mb::Ok, mb::No};
    EXPECT_FALSE(Check());
    EXPECT_EQ(services.Prompts(), (QStringList{kMissingBox, kQuestion}));
    EXPECT_EQ(StylesAndTitles()[1],
              std::make_pair(mb::YesNo | mb::Question, QStringLiteral("Converter NOT found")));
    EXPECT_EQ(server.requests, 0);

    // Yes, and the download fails.
    setup.downloadUrl = server.Url(QStringLiteral("/missing"));
    services.msgBoxAnswers = {mb::Ok, mb::Yes};
    EXPECT_TRUE(Check());
    EXPECT_EQ(services.Prompts(),
              (QStringList{kMissingBox, kQuestion, QStringLiteral("Error downloading!")}));
    EXPECT_EQ(StylesAndTitles()[2], std::make_pair(int(mb::OkOnly), kAppTitle));
    EXPECT_EQ(server.requests, 1);
    EXPECT_TRUE(opened.isEmpty());

    // Yes, and the archive arrives: it is opened and the program ends without a word more.
    setup.downloadUrl = server.Url(QStringLiteral("/file"));
    services.msgBoxAnswers = {mb::Ok, mb::Yes};
    EXPECT_TRUE(Check());
    EXPECT_EQ(services.Prompts(), (QStringList{kMissingBox, kQuestion}));
    EXPECT_EQ(opened, QStringList{dir + QStringLiteral("/downloads/ghostscript.tgz")});
}

} // namespace
