// The installation check's road through the package manager: the real installer over a private
// D-Bus session bus, the real binding, the real waiting window offscreen.
#include "gs/api.h"
#include "system/core/ghostscript_check.h"
#include "system/core/package_installer.h"
#include "system/install_progress.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::system;

namespace {

enum class Installer { Installs, Refuses, InstallsNothingThatLoads, KeepsTheUserWaiting, Absent };

// Stands in for the PackageKit session service, which would ask the user and install a real
// package as root. Its "installation" copies a library to where the test's binding looks.
class StandInPackageKit : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PackageKit.Modify2")
public:
    Installer behaviour = Installer::Installs;
    QString library;
    QStringList asked;
    bool waitingShown = false;

public Q_SLOTS:
    void InstallPackageNames(const QStringList& packages, const QString& /*interaction*/,
                             const QString& /*desktopId*/, const QVariantMap& /*platformData*/) {
        asked += packages;
        QWidget* waiting = QApplication::activeModalWidget();
        waitingShown = waiting && waiting->objectName() == QLatin1String("installProgress");
        if (behaviour == Installer::Installs)
            QFile::copy(QStringLiteral(STAND_IN_GS), library);
        if (behaviour == Installer::Refuses)
            sendErrorReply(QStringLiteral("org.freedesktop.PackageKit.Modify2.Failed"),
                           QStringLiteral("no space left on device"));
        if (behaviour == Installer::KeepsTheUserWaiting && waiting) {
            setDelayedReply(true); // never answered
            waiting->findChild<QPushButton*>()->click();
        }
    }
};

// A session bus for the whole process, since Qt connects to it once, with the stand-in on a
// connection of its own. It activates no services: nothing on the machine answers instead.
class PrivateSessionBus : public ::testing::Environment {
public:
    void SetUp() override {
        const QString config = test::writeFile(
            QStringLiteral("bus/session.conf"),
            "<busconfig><type>session</type><listen>unix:dir=" +
                QFile::encodeName(test::scratchDir()) +
                "/bus</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
                "send_destination=\"*\"/><allow receive_sender=\"*\"/><allow "
                "own=\"*\"/></policy></busconfig>");
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config, QStringLiteral("--print-address"),
                       QStringLiteral("--nofork")});
        while (!daemon_.canReadLine() && daemon_.waitForReadyRead(10000)) {
        }
        const QByteArray address = daemon_.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection::connectToBus(QString::fromUtf8(address), QStringLiteral("stand-in"));
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("stand-in"));
        daemon_.terminate();
        daemon_.waitForFinished();
    }

private:
    QProcess daemon_;
};
// gtest owns it.
const ::testing::Environment* const privateBus =
    ::testing::AddGlobalTestEnvironment(new PrivateSessionBus);

class PackageInstallTest : public ::testing::TestWithParam<Installer> {
protected:
    void SetUp() override {
        ASSERT_TRUE(service.isConnected()) << "no dbus-daemon (package dbus-daemon)";
        setup = defaultGhostscriptCheckSetup();
        setup.searchDirectories = {};
        stand.library = dir.filePath(QStringLiteral("libgs.so.10"));
        setup.libraryLoads = [this] { return gs::Binding({stand.library}).revision().has_value(); };
        setup.installView = std::make_shared<InstallProgress>();
    }
    void TearDown() override {
        service.unregisterService(kName);
        service.unregisterObject(kPath);
    }
    void serve(Installer behaviour) {
        stand.behaviour = behaviour;
        if (behaviour == Installer::Absent)
            return;
        ASSERT_TRUE(service.registerObject(kPath, &stand, QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service.registerService(kName));
    }

    static inline const QString kName = QStringLiteral("org.freedesktop.PackageKit");
    static inline const QString kPath = QStringLiteral("/org/freedesktop/PackageKit");
    QDBusConnection service{QStringLiteral("stand-in")};
    QTemporaryDir dir{test::scratchDir() + QStringLiteral("/lib-XXXXXX")};
    StandInPackageKit stand;
    test::ScriptedDialogs dialogs;
    GhostscriptCheckSetup setup;
};

// Installed, start-up goes on; otherwise the user gets the command, then the download offer
// (declined here).
TEST_P(PackageInstallTest, InstallsOrNamesTheCommandThenOffersTheDownload) {
    serve(GetParam());
    EXPECT_EQ(checkGhostscript(dialogs, setup), CheckOutcome::GoOn);
    EXPECT_EQ(stand.asked.isEmpty(), GetParam() == Installer::Absent);
    EXPECT_TRUE(stand.asked.isEmpty() || stand.asked == QStringList{kGhostscriptPackage});
    EXPECT_EQ(stand.waitingShown, GetParam() != Installer::Absent);
    if (GetParam() == Installer::Installs) {
        EXPECT_EQ(dialogs.boxes.size(), 1u);
        return;
    }
    ASSERT_EQ(dialogs.boxes.size(), 3u);
    EXPECT_TRUE(dialogs.boxes[1].text.contains(QLatin1String("sudo apt install libgs10")));
    // The package manager's own reason reaches the user.
    EXPECT_EQ(dialogs.boxes[1].text.contains(QLatin1String("no space left")),
              GetParam() == Installer::Refuses);
    EXPECT_EQ(dialogs.boxes[2].buttons, Buttons::YesNo);
}

INSTANTIATE_TEST_SUITE_P(Installers, PackageInstallTest,
                         ::testing::Values(Installer::Installs, Installer::Refuses,
                                           Installer::InstallsNothingThatLoads,
                                           Installer::KeepsTheUserWaiting, Installer::Absent));

// A start-up that does not wait gets the outcome once the answer has come.
TEST_F(PackageInstallTest, TheOutcomeFollowsTheAnswer) {
    serve(Installer::Installs);
    setup.installView.reset();
    std::optional<CheckOutcome> outcome;
    checkGhostscript(dialogs, setup, [&outcome](CheckOutcome value) { outcome = value; });
    EXPECT_FALSE(outcome.has_value());
    EXPECT_TRUE(QTest::qWaitFor([&outcome] { return outcome.has_value(); }, 20000));
    EXPECT_EQ(outcome, CheckOutcome::GoOn);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

} // namespace

#include "test_package_install.moc"
