// Downloads from a real HTTP server on 127.0.0.1 into scratch directories through the real
// download dialog, offscreen; the installation check with the real binding and the real library.
#include "base/message_log.h"
#include "gs/api.h"
#include "system/core/ghostscript_check.h"
#include "system/download_dialog.h"
#include "tests/support/http_test_server.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::system;

namespace {

// Plays the user at the real download dialog: presses `button` in the question window and, when
// cancelProgress is set, Cancel in the progress window once it counts bytes (its second line).
struct DownloadUser {
    QString button = QStringLiteral("saveButton");
    bool cancelProgress = false;
    QString progressText;
    bool toldReplacing = false; // the question said a file of that name is there
    QTimer timer;

    DownloadUser() {
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                const QString name = window->isVisible() ? window->objectName() : QString();
                const bool progress = name == QLatin1String("downloadProgress");
                if (progress)
                    progressText = window->findChild<QLabel*>()->text();
                if (name == QLatin1String("downloadDialog"))
                    toldReplacing =
                        window->findChild<QLabel*>(QStringLiteral("replacingNote"))->isVisible();
                if (name == QLatin1String("downloadDialog") ||
                    (progress && cancelProgress && progressText.contains(u'\n')))
                    window->findChild<QPushButton*>(progress ? QString() : button)->click();
            }
        });
        timer.start(10);
    }
};

class DownloadTest : public ::testing::Test, public MessageSink {
protected:
    void addMessage(const QString& message) override { log += message; }
    DownloadTest() { server.body = test::noiseBytes(300 * 1024); }

    QString download(const QString& title, const QString& url, const QString& directory,
                     const QString& fileName, int idleMs = 20000) {
        DownloadDialog dialog;
        return downloadFile(title, url, directory, fileName, dialogs, dialog, *this, idleMs);
    }

    test::HttpTestServer server;
    test::ScriptedDialogs dialogs;
    DownloadUser user;
    QString log;
    const QTemporaryDir scratch{test::scratchDir() + QStringLiteral("/downloads Ünïcode-XXXXXX")};
    const QString dir = scratch.path();
};

// A file of the same name at the target is the user's until a whole download replaces it: the
// question says it is there, and a cancelled or failed transfer leaves it byte for byte.
TEST_F(DownloadTest, OnlyACompleteTransferReplacesTheFileAtTheTarget) {
    const QString target = dir + QStringLiteral("/file.bin");
    const QString elsewhere = dir + QStringLiteral("/elsewhere/other name.bin");
    const QByteArray users = "the user's own file of that name";
    dialogs.saveAnswers.push_back(elsewhere); // for Save As
    // The address (a path on the test server, or a whole one), the button pressed, Cancel in the
    // progress window, the idle timeout, whether a file is at the target, what the log says,
    // requests, where the body is saved (nullptr: nowhere).
    using Row =
        std::tuple<const char*, const char*, bool, int, bool, const char*, int, const char*>;
    for (const auto& [address, button, cancel, idleMs, there, logged, requests, saved] :
         std::initializer_list<Row>{
             {"/file", "saveButton", false, 20000, false, "", 1, "/file.bin"},
             {"/file", "saveButton", false, 20000, true, "", 1, "/file.bin"},
             {"/missing", "saveButton", false, 20000, true, "Not Found", 1, nullptr},
             {"/drop", "saveButton", false, 20000, true, " failed: ", 1, nullptr},
             {"/stall", "saveButton", false, 400, true, "nothing received for 0.4 seconds", 1,
              nullptr},
             {"/stall", "saveButton", true, 20000, true, "failed: cancelled", 1, nullptr},
             {"/file", "cancelButton", false, 20000, true, "", 0, nullptr},
             {"/file", "saveAsButton", false, 20000, true, "", 1, "/elsewhere/other name.bin"},
             {"file:///etc/hostname", "saveButton", false, 20000, true, "not an http or https", 0,
              nullptr}}) {
        SCOPED_TRACE(std::string(address) + ' ' + button);
        const QString url = QLatin1String(address);
        user.button = QLatin1String(button), user.cancelProgress = cancel;
        user.progressText.clear();
        log.clear();
        const int before = server.requests;
        QFile::remove(target);
        if (there)
            test::writeFile(target, users);

        EXPECT_EQ(download(QStringLiteral("Download Test"),
                           url.startsWith(u'/') ? server.url(url) : url, dir,
                           QStringLiteral("file.bin"), idleMs),
                  saved ? dir + QLatin1String(saved) : QString());
        EXPECT_EQ(user.toldReplacing, there);
        EXPECT_EQ(server.requests - before, requests);
        const bool replaced = saved && QLatin1String(saved) == QLatin1String("/file.bin");
        EXPECT_EQ(test::readFile(target), replaced ? server.body : users);
        EXPECT_FALSE(QFile::exists(target + QStringLiteral(".part")));
        EXPECT_TRUE(log.contains(QLatin1String(logged))) << log.toStdString();
        const QString counted = QLocale().formattedDataSize(1024) + QStringLiteral(" of ") +
                                QLocale().formattedDataSize(server.body.size());
        // The stall shows the bytes received against the announced length.
        EXPECT_TRUE(idleMs > 1000 || user.progressText.contains(counted))
            << user.progressText.toStdString();
    }
    EXPECT_EQ(test::readFile(elsewhere), server.body);
}

// However large the body, no more than the read buffer waits in memory to be written.
TEST_F(DownloadTest, LargeBodyPassesThroughABoundedBuffer) {
    // Stands for the progress window; it notes the bytes written between two reports.
    struct StepView : DownloadView {
        qint64 last = 0, largest = 0;
        bool ended = false;
        DownloadChoice askWhere(const QString&, const QString&, const QString&, bool) override {
            return DownloadChoice::Save;
        }
        void showProgress(const QString&, const QString&, std::function<void()>) override {
            EXPECT_TRUE(QTest::qWaitFor([this] { return ended; }, 120000));
        }
        void setProgress(qint64 received, qint64) override {
            largest = std::max(largest, received - last);
            last = received;
        }
        void hideProgress() override { ended = true; }
    } view;
    server.streamSize = qint64(64) << 20;
    const QString target = dir + QStringLiteral("/large.bin");
    EXPECT_TRUE(fetchToFile(QUrl(server.url(QStringLiteral("/stream"))), target, view,
                            QStringLiteral("Download Test"))
                    .complete);
    EXPECT_EQ(QFileInfo(target).size(), server.streamSize);
    // Qt keeps to the size loosely, by a piece its network thread already holds; without the
    // bound whole megabytes pile up here.
    EXPECT_LE(view.largest, 4 * kDownloadBufferSize);
    QFile::remove(target);
}

// The ".part" file is made anew: a link planted at its name is removed, not written through,
// and a leftover of a killed transfer does not stand in the way.
TEST_F(DownloadTest, APartFileIsNeverOpenedThroughALink) {
    const QString target = dir + QStringLiteral("/linked.bin");
    const QString part = target + QStringLiteral(".part");
    const QString victim = test::writeFile(dir + QStringLiteral("/victim"), "keep me");
    for (const bool link : {true, false}) {
        SCOPED_TRACE(link ? "a link" : "a leftover");
        QFile::remove(part);
        if (link)
            ASSERT_TRUE(QFile::link(victim, part));
        else
            test::writeFile(part, "left by a killed transfer");
        EXPECT_EQ(download(QStringLiteral("Download Test"), server.url(QStringLiteral("/file")),
                           dir, QStringLiteral("linked.bin")),
                  target);
        EXPECT_EQ(test::readFile(target), server.body);
        EXPECT_FALSE(QFileInfo::exists(part) || QFileInfo(part).isSymLink());
        EXPECT_EQ(test::readFile(victim), QByteArray("keep me"));
    }
}

class GhostscriptCheckTest : public DownloadTest {
protected:
    void SetUp() override {
        setup = defaultGhostscriptCheckSetup();
        setup.installPackages = nullptr; // test_package_install takes that road
        // The real binding, pointed at a library that is not there.
        setup.libraryLoads = [this] {
            return gs::Binding({dir + QStringLiteral("/none/libgs.so.10")}).revision().has_value();
        };
        setup.searchDirectories = {dir + QStringLiteral("/a"), dir + QStringLiteral("/b")};
        setup.downloadDirectory = QStringLiteral("c:\\"); // the user's download directory
        setup.archiveName = QStringLiteral("ghostscript.tgz");
        setup.download = [this](const QString& title, const QString& url, const QString& to,
                                const QString& file) { return download(title, url, to, file); };
        // Stands for the desktop's default application, which cannot run here.
        setup.openFile = [this](const QString& path) { return opened << path, true; };
    }
    void TearDown() override { QDir(gs::privateLibraryDirectory()).removeRecursively(); }

    GhostscriptCheckSetup setup;
    QStringList opened;
};

TEST_F(GhostscriptCheckTest, InstalledLibraryIsCopiedWhereTheBindingLooks) {
    // Development links and other names do not count; within a directory the highest version
    // wins.
    for (const char* name : {"a/libgs.so", "a/libgs.so.10.bak", "b/libgs.so.9"})
        test::writeFile(dir + u'/' + QLatin1String(name), "not a library");
    const QString installed = dir + QStringLiteral("/b/libgs.so.10.0.0");
    ASSERT_TRUE(QFile::copy(QStringLiteral(STAND_IN_GS), installed));

    // A copy that fails says why instead of claiming success.
    setup.privateDirectory =
        test::writeFile(dir + QStringLiteral("/file"), "x") + QStringLiteral("/lib");
    EXPECT_EQ(checkGhostscript(dialogs, setup), CheckOutcome::Quit);
    ASSERT_FALSE(dialogs.boxes.empty());
    EXPECT_TRUE(dialogs.boxes.back().text.startsWith(
        QStringLiteral("Could not copy the library to Quillorn's library directory: ")));

    dialogs.boxes.clear();
    setup.privateDirectory = gs::privateLibraryDirectory();
    test::writeFile(setup.privateDirectory + QStringLiteral("/libgs.so"), "an older copy");
    EXPECT_EQ(checkGhostscript(dialogs, setup), CheckOutcome::Quit);
    ASSERT_EQ(dialogs.boxes.size(), 3u);
    EXPECT_TRUE(dialogs.boxes[1].text.contains(
        QStringLiteral("GhostScript 10.0.0 library found at ") + installed));
    EXPECT_EQ(dialogs.boxes[2].text, QStringLiteral("Copied the library to Quillorn's library "
                                                    "directory, please restart Quillorn"));
    // The next start loads the copy ahead of anything the system has.
    gs::Binding binding;
    EXPECT_EQ(binding.revision().value_or(gs::Revision{}).product,
              QStringLiteral("Stand-in Ghostscript"));
    EXPECT_EQ(binding.libraryName(), setup.privateDirectory + QStringLiteral("/libgs.so"));
}

TEST_F(GhostscriptCheckTest, NoLibraryOffersTheDownload) {
    const QString archive = downloadDirectory() + QStringLiteral("/ghostscript.tgz");
    ASSERT_TRUE(archive.startsWith(test::scratchDir()));
    // The answer to the offer, the address, the outcome, the last box's text, the files opened.
    using Row = std::tuple<Answer, const char*, CheckOutcome, const char*, QStringList>;
    for (const auto& [answer, path, outcome, lastBox, expectOpened] : std::initializer_list<Row>{
             {Answer::No, "/file", CheckOutcome::GoOn, "download it now?", {}},
             {Answer::Yes, "/missing", CheckOutcome::Quit, "Error downloading!", {}},
             {Answer::Yes, "/file", CheckOutcome::Quit, "download it now?", {archive}}}) {
        SCOPED_TRACE(path);
        dialogs.boxes.clear();
        dialogs.answers = {Answer::Ok, answer};
        opened.clear();
        const int before = server.requests;
        setup.downloadUrl = server.url(QLatin1String(path));
        EXPECT_EQ(checkGhostscript(dialogs, setup), outcome);
        ASSERT_GE(dialogs.boxes.size(), 2u);
        EXPECT_EQ(dialogs.boxes[1].buttons, Buttons::YesNo);
        EXPECT_TRUE(dialogs.boxes.back().text.endsWith(QLatin1String(lastBox)));
        EXPECT_EQ(server.requests - before, answer == Answer::Yes ? 1 : 0);
        EXPECT_EQ(opened, expectOpened);
    }
    EXPECT_EQ(test::readFile(archive), server.body);
}

} // namespace
