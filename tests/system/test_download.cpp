// Downloads against a real HTTP server on 127.0.0.1, into real directories below the scratch
// directory, through both the scripted view and the real dialog.
#include "app/core/message_log.h"
#include "system/frmDownload.h"
#include "system/modDownload.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"
#include "tests/system/http_test_server.h"
#include "tests/system/scripted_download_view.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::system;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
    test::ScriptedDownloadView view;
    QString dir;
    QString log;
};

TEST_F(DownloadTest, CompleteTransferLeavesTheFileAndReportsProgress) {
    ASSERT_TRUE(Fetch(QStringLiteral("/file")));
    EXPECT_EQ(ReadAll(Target()), server.body);
    EXPECT_FALSE(QFile::exists(Target() + QStringLiteral(".part")));
    EXPECT_TRUE(view.partSeen) << "bytes must go to the .part file first";
    EXPECT_EQ(view.lastReceived, server.body.size());
    EXPECT_EQ(view.lastTotal, server.body.size());
    EXPECT_EQ(view.progressShown, 1);
    EXPECT_EQ(view.progressHidden, 1);
    EXPECT_EQ(view.questions, QStringList{Target()});
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(DownloadTest, FailedTransfersReturnFalseAndLeaveNoFile) {
    EXPECT_FALSE(Fetch(QStringLiteral("/missing")));
    ExpectNothingLeft();
    EXPECT_TRUE(log.contains(QStringLiteral("Not Found"))) << log.toStdString();

    EXPECT_FALSE(Fetch(QStringLiteral("/drop")));
    ExpectNothingLeft();

    // Only http and https are fetched.
    EXPECT_FALSE(DownloadFile(QStringLiteral("t"), QStringLiteral("file:///etc/hostname"), dir,
                              QStringLiteral("file.bin"), services, view));
    ExpectNothingLeft();
    EXPECT_TRUE(services.boxes.empty());
}

TEST_F(DownloadTest, StalledTransferFailsAfterTheIdleTime) {
    EXPECT_FALSE(Fetch(QStringLiteral("/stall"), 400));
    ExpectNothingLeft();
    EXPECT_TRUE(log.contains(QStringLiteral("nothing received"))) << log.toStdString();
}

TEST_F(DownloadTest, CancelReturnsFalseAndLeavesNoFile) {
    view.cancelOnData = true;
    EXPECT_FALSE(Fetch(QStringLiteral("/stall")));
    ExpectNothingLeft();
    EXPECT_EQ(view.progressHidden, 1);
    // Stopped by the cancel, not by the idle time running out.
    EXPECT_TRUE(log.contains(QStringLiteral("failed: cancelled"))) << log.toStdString();

    // Cancel at the question fetches nothing.
    view.cancelOnData = false;
    view.choice = DownloadChoice::Cancel;
    const int before = server.requests;
    EXPECT_FALSE(Fetch(QStringLiteral("/file")));
    EXPECT_EQ(server.requests, before);
    ExpectNothingLeft();
}

TEST_F(DownloadTest, StaleFileIsRemovedBeforeTheDownload) {
    QDir().mkpath(dir);
    test::WriteFile(Target(), "left over from last time");
    view.choice = DownloadChoice::Cancel;
    EXPECT_FALSE(Fetch(QStringLiteral("/file")));
    ExpectNothingLeft();

    test::WriteFile(Target(), "left over from last time");
    view.choice = DownloadChoice::Save;
    EXPECT_FALSE(Fetch(QStringLiteral("/missing")));
    ExpectNothingLeft();
}

TEST_F(DownloadTest, SavingElsewhereDoesNotCountAsSavedAtTheTarget) {
    view.choice = DownloadChoice::SaveElsewhere;
    const QString other = test::ScratchDir() + QStringLiteral("/elsewhere/other name.bin");
    services.saveAnswers.push_back(other);
    EXPECT_FALSE(Fetch(QStringLiteral("/file")));
    EXPECT_EQ(ReadAll(other), server.body);
    ExpectNothingLeft();

    // Cancelling the file chooser fetches nothing.
    const int before = server.requests;
    EXPECT_FALSE(Fetch(QStringLiteral("/file")));
    EXPECT_EQ(server.requests, before);
}

TEST(DownloadDirectoryTest, DriveRootStandsForTheDownloadDirectory) {
    const QString downloads = DownloadDirectory();
    EXPECT_TRUE(downloads.startsWith(test::ScratchDir()));
    for (const char* name : {"c:\\", "C:\\", "c:", "C:"})
        EXPECT_EQ(ResolveDownloadDirectory(QLatin1String(name)), downloads) << name;
    EXPECT_EQ(ResolveDownloadDirectory(QStringLiteral("/srv/x")), QStringLiteral("/srv/x"));
    EXPECT_EQ(DownloadTarget(QStringLiteral("/a/"), QStringLiteral("b.zip")),
              QStringLiteral("/a/b.zip"));
    EXPECT_TRUE(RedMonDownloadUrl().startsWith(QStringLiteral("https://")));
    EXPECT_TRUE(RedMonDownloadUrl().endsWith(QStringLiteral("redmon17.zip")));
    EXPECT_TRUE(GhostscriptDownloadUrl().startsWith(QStringLiteral("https://")));
    EXPECT_TRUE(GhostscriptDownloadUrl().endsWith(GhostscriptArchiveName()));

    // The download directory need not exist yet.
    test::HttpTestServer server;
    server.body = "redmon";
    test::ScriptedServices services;
    test::ScriptedDownloadView view;
    QDir(downloads).removeRecursively();
    EXPECT_TRUE(DownloadFile(QStringLiteral("Download RedMon"), server.Url(QStringLiteral("/file")),
                             QStringLiteral("c:\\"), QStringLiteral("redmon.zip"), services, view));
    EXPECT_EQ(ReadAll(downloads + QStringLiteral("/redmon.zip")), QByteArray("redmon"));
}

// The real dialogs, offscreen. A timer plays the user: it waits for the named window and
// presses one of its buttons.
class DownloadDialogTest : public DownloadTest {
protected:
    // Presses the button of the active modal window called objectName once it shows.
    void PressWhenShown(const QString& objectName) {
        auto* timer = new QTimer(qApp);
        const QDeadlineTimer deadline(20000);
        QObject::connect(timer, &QTimer::timeout, timer, [=, this] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* dialog = qobject_cast<frmDownload*>(modal);
            if (dialog) {
                seenTitle = dialog->windowTitle();
                if (auto* button = dialog->findChild<QPushButton*>(objectName)) {
                    timer->deleteLater();
                    button->click();
                    return;
                }
            }
            if (deadline.hasExpired())
                timer->deleteLater();
        });
        timer->start(10);
    }
    // Presses Cancel of the progress window once it shows.
    void CancelProgressWhenShown() {
        auto* timer = new QTimer(qApp);
        const QDeadlineTimer deadline(20000);
        QObject::connect(timer, &QTimer::timeout, timer, [=] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* progress = qobject_cast<QProgressDialog*>(w);
                if (progress && progress->isVisible()) {
                    if (auto* button = progress->findChild<QPushButton*>()) {
                        timer->deleteLater();
                        button->click();
                        return;
                    }
                }
            }
            if (deadline.hasExpired())
                timer->deleteLater();
        });
        timer->start(10);
    }
    bool FetchWithDialog(const QString& path) {
        return DownloadFile(QStringLiteral("Download Test"), server.Url(path), dir,
                            QStringLiteral("file.bin"), services);
    }

    QString seenTitle;
};

TEST_F(DownloadDialogTest, SaveFetchesTheFile) {
    PressWhenShown(QStringLiteral("cmdSave"));
    EXPECT_TRUE(FetchWithDialog(QStringLiteral("/file")));
    EXPECT_EQ(seenTitle, QStringLiteral("Download Test"));
    EXPECT_EQ(ReadAll(Target()), server.body);
}

TEST_F(DownloadDialogTest, CancelButtonsLeaveNoFile) {
    PressWhenShown(QStringLiteral("cmdCancel"));
    EXPECT_FALSE(FetchWithDialog(QStringLiteral("/file")));
    EXPECT_EQ(server.requests, 0);
    ExpectNothingLeft();

    PressWhenShown(QStringLiteral("cmdSave"));
    CancelProgressWhenShown();
    EXPECT_FALSE(FetchWithDialog(QStringLiteral("/stall")));
    EXPECT_EQ(server.requests, 1);
    ExpectNothingLeft();
}

TEST_F(DownloadDialogTest, SaveAsGoesThroughTheFileChooser) {
    const QString other = test::ScratchDir() + QStringLiteral("/chosen/elsewhere.bin");
    services.saveAnswers.push_back(other);
    PressWhenShown(QStringLiteral("cmdSaveAs"));
    EXPECT_FALSE(FetchWithDialog(QStringLiteral("/file")));
    EXPECT_EQ(services.dialogTitles, QStringList{QStringLiteral("Download Test")});
    EXPECT_EQ(ReadAll(other), server.body);
    ExpectNothingLeft();
}

} // namespace
