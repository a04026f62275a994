// The installation check's road through the package manager: the real installer over a private
// D-Bus session bus of the test's own, the real binding, the real waiting window offscreen.
#include "gs/api.h"
#include "system/core/ghostscript_check.h"
#include "system/core/package_installer.h"
#include "system/install_progress.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

using namespace quillorn;
using namespace quillorn::system;

namespace {

// Stands in for the PackageKit session service, which would ask the user and install a real
// package as root. Its "installation" copies a library to where the test's binding looks.
class StandInPackageKit : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.PackageKit.Modify2")
public:
    QStringList asked;
    bool waitingShown = false;
    QString refusal;          // the error it answers with; empty: it installs
    QString libraryTarget;    // where an installation puts the library; empty: nowhere
    bool userCancels = false; // it never answers, and the user presses Cancel meanwhile

public Q_SLOTS:
    void InstallPackageNames(const QStringList& packages, const QString& /*interaction*/,
                             const QString& /*desktopId*/, const QVariantMap& /*platformData*/) {
        asked += packages;
        QWidget* waiting = nullptr;
        for (QWidget* window : QApplication::topLevelWidgets())
            if (window->isVisible() && window->objectName() == QLatin1String("installProgress"))
                waiting = window;
        waitingShown = waiting != nullptr;
        if (userCancels && waiting) {
            setDelayedReply(true);
            waiting->findChild<QPushButton*>()->click();
        } else if (!refusal.isEmpty()) {
            sendErrorReply(QStringLiteral("org.freedesktop.PackageKit.Modify2.Failed"), refusal);
        } else if (!libraryTarget.isEmpty()) {
            QFile::copy(QStringLiteral(STAND_IN_GS), libraryTarget);
        }
    }
};

// A session bus of the process's own, for all its tests, since Qt connects to the session bus
// once. Its configuration activates no services: nothing installed on the machine answers in
// PackageKit's place.
class PrivateSessionBus : public ::testing::Environment {
public:
    static inline const QString kStandIn = QStringLiteral("stand-in");

    void SetUp() override {
        const QString config = test::writeFile(
            QStringLiteral("bus/session.conf"),
            "<busconfig><type>session</type><listen>unix:dir=" +
                QFile::encodeName(test::scratchDir()) +
                "/bus</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow "
                "send_destination=\"*\"/><allow receive_sender=\"*\"/><allow "
                "own=\"*\"/></policy></busconfig>");
        daemon_ = std::make_unique<QProcess>();
        daemon_->start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config,
                        QStringLiteral("--print-address"), QStringLiteral("--nofork")});
        while (!daemon_->canReadLine() && daemon_->waitForReadyRead(10000)) {
        }
        const QByteArray address = daemon_->readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        // The stand-in's own connection: calls reach it through the bus, as they reach the real
        // service.
        QDBusConnection::connectToBus(QString::fromUtf8(address), kStandIn);
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(kStandIn);
        daemon_->terminate();
        daemon_->waitForFinished();
        daemon_.reset();
    }

private:
    std::unique_ptr<QProcess> daemon_;
};
// gtest owns the environment.
const ::testing::Environment* const privateBus =
    ::testing::AddGlobalTestEnvironment(new PrivateSessionBus);

class PackageInstallTest : public ::testing::Test {
protected:
    static QDBusConnection service() { return QDBusConnection(PrivateSessionBus::kStandIn); }

    void SetUp() override {
        ASSERT_TRUE(service().isConnected()) << "dbus-daemon (package dbus-daemon) did not start";
        setup = defaultGhostscriptCheckSetup();
        setup.searchDirectories = {};
        const QString library = dir.filePath(QStringLiteral("libgs.so.10"));
        setup.libraryLoads = [library] { return gs::Binding({library}).revision().has_value(); };
        stand.libraryTarget = library;
    }
    void registerStandIn() {
        ASSERT_TRUE(service().registerObject(QStringLiteral("/org/freedesktop/PackageKit"), &stand,
                                             QDBusConnection::ExportAllSlots));
        ASSERT_TRUE(service().registerService(QStringLiteral("org.freedesktop.PackageKit")));
    }
    void TearDown() override {
        service().unregisterService(QStringLiteral("org.freedesktop.PackageKit"));
        service().unregisterObject(QStringLiteral("/org/freedesktop/PackageKit"));
    }
    QTemporaryDir dir{test::scratchDir() + QStringLiteral("/lib-XXXXXX")};
    StandInPackageKit stand;
    test::ScriptedDialogs dialogs;
    GhostscriptCheckSetup setup;
};

TEST_F(PackageInstallTest, AnInstalledPackageLetsStartUpGoOn) {
    registerStandIn();
    setup.installView = std::make_shared<InstallProgress>();
    EXPECT_EQ(checkGhostscript(dialogs, setup), CheckOutcome::GoOn);
    EXPECT_EQ(stand.asked, QStringList{kGhostscriptPackage});
    EXPECT_TRUE(stand.waitingShown);
    EXPECT_EQ(dialogs.boxes.size(), 1u); // the library-missing box alone
}

// A start-up that does not wait gets the outcome once the answer has come, after the check
// returned.
TEST_F(PackageInstallTest, TheOutcomeFollowsTheAnswer) {
    registerStandIn();
    std::optional<CheckOutcome> outcome;
    checkGhostscript(dialogs, setup, [&outcome](CheckOutcome value) { outcome = value; });
    EXPECT_FALSE(outcome.has_value());
    EXPECT_TRUE(QTest::qWaitFor([&outcome] { return outcome.has_value(); }, 20000));
    EXPECT_EQ(outcome, CheckOutcome::GoOn);
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

// Where the package manager cannot help, the user gets the command, then the download offer.
enum class Installer { Refuses, InstallsNothingThatLoads, KeepsTheUserWaiting, Absent };

class PackageManagerFails : public PackageInstallTest,
                            public ::testing::WithParamInterface<Installer> {};

TEST_P(PackageManagerFails, NamesTheCommandThenOffersTheDownload) {
    if (GetParam() != Installer::Absent)
        registerStandIn();
    if (GetParam() == Installer::Refuses)
        stand.refusal = QStringLiteral("The transaction failed: no space left on device");
    if (GetParam() == Installer::InstallsNothingThatLoads)
        stand.libraryTarget.clear();
    stand.userCancels = GetParam() == Installer::KeepsTheUserWaiting;
    setup.installView = std::make_shared<InstallProgress>();

    EXPECT_EQ(checkGhostscript(dialogs, setup), CheckOutcome::GoOn); // the download declined
    EXPECT_EQ(stand.asked.isEmpty(), GetParam() == Installer::Absent);
    ASSERT_EQ(dialogs.boxes.size(), 3u);
    EXPECT_TRUE(dialogs.boxes[1].text.contains(QLatin1String("sudo apt install libgs10")));
    EXPECT_TRUE(stand.refusal.isEmpty() || dialogs.boxes[1].text.contains(stand.refusal));
    EXPECT_EQ(dialogs.boxes[2].buttons, Buttons::YesNo);
}

INSTANTIATE_TEST_SUITE_P(Installers, PackageManagerFails,
                         ::testing::Values(Installer::Refuses, Installer::InstallsNothingThatLoads,
                                           Installer::KeepsTheUserWaiting, Installer::Absent));

} // namespace

#include "test_package_install.moc"
