// The window-free rules of the application shell: the command line, saving a print job from
// standard input, the window placement, the zoom steps and the toolbar.
#include "app/core/command_line.h"
#include "app/core/commands.h"
#include "app/core/placement.h"
#include "app/core/print_job.h"
#include "app/core/settings_store.h"
#include "app/core/toolbar_icons.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

using namespace quillorn;
using namespace quillorn::app;

namespace {
QStringList TempFilesNamedKmw() {
    return QDir(QDir::tempPath()).entryList({QStringLiteral("KMW*")}, QDir::Files);
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray BinaryBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(7);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(generator.bounded(256));
    return bytes;
}

// Feeds bytes through a real pipe from another thread, as a redirector would.
SavedPrintJob SaveThroughPipe(const QByteArray& bytes) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    std::thread writer([&] {
        qsizetype done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fds[1], bytes.constData() + done, bytes.size() - done);
            if (n <= 0)
                break;
            done += n;
        }
        ::close(fds[1]);
    });
    SavedPrintJob job = SavePrintJob(fds[0]);
    writer.join();
    ::close(fds[0]);
    return job;
}
} // namespace

TEST(CommandLine, RoadsInTheirOrder) {
    EXPECT_EQ(JoinCommandLine({QStringLiteral("/VIEW:/tmp/my"), QStringLiteral("file.ps")}),
              QStringLiteral("/VIEW:/tmp/my file.ps"));
    EXPECT_EQ(JoinCommandLine({}), QString());

    // A print job wins over any command line.
    EXPECT_EQ(DecideRoad(true, QStringLiteral("/VIEW:a.ps")).road, Road::PrintJob);
    EXPECT_EQ(DecideRoad(false, QString()).road, Road::Interactive);

    const StartRequest lower = DecideRoad(false, QStringLiteral("/view:/docs/a.ps"));
    EXPECT_EQ(lower.road, Road::View);
    EXPECT_EQ(lower.argument, QStringLiteral("/docs/a.ps"));

    const StartRequest convert = DecideRoad(false, QStringLiteral("/CoNvErT:C:\\docs\\a.ps"));
    EXPECT_EQ(convert.road, Road::Convert);
    EXPECT_EQ(convert.argument, QStringLiteral("C:\\docs\\a.ps")); // later colons belong to it

    const StartRequest empty = DecideRoad(false, QStringLiteral("/VIEW:"));
    EXPECT_EQ(empty.road, Road::View);
    EXPECT_EQ(empty.argument, QString());

    const StartRequest quoted = DecideRoad(false, QStringLiteral("/VIEW:\"/my docs/a b.ps\" x"));
    EXPECT_EQ(quoted.argument, QStringLiteral("\"/my docs/a b.ps\" x"));
}

TEST(CommandLine, AnythingElseIsInvalidAndKeepsTheWholeLine) {
    for (const QString& line :
         {QStringLiteral("C:\\docs\\a.ps"), QStringLiteral("/docs/a.ps"),
          QStringLiteral("/VIEWER:a"), QStringLiteral(" /VIEW:a"), QStringLiteral("-view:a")}) {
        const StartRequest request = DecideRoad(false, line);
        EXPECT_EQ(request.road, Road::Invalid) << line.toStdString();
        EXPECT_EQ(request.commandLine, line);
        EXPECT_TRUE(request.argument.isEmpty());
    }
    QString sw, arg;
    EXPECT_FALSE(SplitSwitch(QStringLiteral("no colon here"), sw, arg));
    ASSERT_TRUE(SplitSwitch(QStringLiteral("c:\\x"), sw, arg));
    EXPECT_EQ(sw, QStringLiteral("C"));
}

TEST(PrintJob, BytesArriveUnchangedInReadsOf10240) {
    const QStringList before = TempFilesNamedKmw();

    const QByteArray exact = BinaryBytes(10240);
    const SavedPrintJob one = SaveThroughPipe(exact);
    ASSERT_TRUE(one.error.isEmpty()) << one.error.toStdString();
    ASSERT_FALSE(one.path.isEmpty());
    EXPECT_TRUE(QFileInfo(one.path).fileName().startsWith(QLatin1String("KMW")));
    EXPECT_EQ(one.size, 10240);
    EXPECT_EQ(ReadAll(one.path), exact);
    // A pipe hands over at most what was asked for: one full read, then the end.
    EXPECT_EQ(one.reads, 2);
    QFile::remove(one.path);

    // Several megabytes of binary data, NUL bytes and line ends included.
    const QByteArray big = BinaryBytes(6 * 1024 * 1024 + 17);
    const SavedPrintJob many = SaveThroughPipe(big);
    ASSERT_FALSE(many.path.isEmpty());
    EXPECT_EQ(many.size, big.size());
    EXPECT_TRUE(ReadAll(many.path) == big);
    EXPECT_GE(many.reads, big.size() / kPrintJobReadSize + 2);
    QFile::remove(many.path);

    EXPECT_EQ(TempFilesNamedKmw(), before);
}

TEST(PrintJob, NoJobWithoutInput) {
    const QStringList before = TempFilesNamedKmw();

    const SavedPrintJob empty = SaveThroughPipe({});
    EXPECT_TRUE(empty.path.isEmpty());
    EXPECT_TRUE(empty.error.isEmpty());
    EXPECT_EQ(empty.reads, 1);

    const int devNull = ::open("/dev/null", O_RDONLY);
    ASSERT_GE(devNull, 0);
    EXPECT_TRUE(SavePrintJob(devNull).path.isEmpty());
    ::close(devNull);

    // A closed descriptor: the read fails, which counts as no input.
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    ::close(fds[0]);
    ::close(fds[1]);
    EXPECT_TRUE(SavePrintJob(fds[0]).path.isEmpty());
    EXPECT_TRUE(SavePrintJob(-1).path.isEmpty());

    // A terminal is never read, so an interactive start does not wait for the keyboard.
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0) {
        const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        ASSERT_GE(slave, 0);
        EXPECT_TRUE(IsTerminal(slave));
        const SavedPrintJob job = SavePrintJob(slave);
        EXPECT_TRUE(job.path.isEmpty());
        EXPECT_EQ(job.reads, 0);
        ::close(slave);
    }
    if (master >= 0)
        ::close(master);

    EXPECT_EQ(TempFilesNamedKmw(), before);
}

TEST(PrintJob, AFailedWriteIsReportedAndLeavesNoFile) {
    const QStringList before = TempFilesNamedKmw();

    // A file size limit stands in for a full disk: the write in the middle of the job fails.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 3 * kPrintJobReadSize;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const SavedPrintJob full = SaveThroughPipe(BinaryBytes(8 * kPrintJobReadSize));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(full.path.isEmpty());
    EXPECT_FALSE(full.error.isEmpty());
    EXPECT_EQ(TempFilesNamedKmw(), before);

    // No temporary directory to put the job in.
    const QByteArray oldTmp = qgetenv("TMPDIR");
    const QString notADirectory = test::WriteFile(QStringLiteral("plain-file"), "x");
    qputenv("TMPDIR", QFile::encodeName(notADirectory));
    const SavedPrintJob nowhere = SaveThroughPipe(QByteArrayLiteral("%!PS\nshowpage\n"));
    qputenv("TMPDIR", oldTmp);
    EXPECT_TRUE(nowhere.path.isEmpty());
    EXPECT_FALSE(nowhere.error.isEmpty());
}

TEST(Placement, StoreTextAndDefaults) {
    SettingsStore store(test::ScratchDir() + QStringLiteral("/placement.ini"));
    const Placement defaults = ReadPlacement(store);
    EXPECT_EQ(defaults.left, 1000.0f);
    EXPECT_EQ(defaults.top, 1000.0f);
    EXPECT_EQ(defaults.width, 6500.0f);
    EXPECT_EQ(defaults.height, 6500.0f);

    WritePlacement(store, Placement{1005.0f, -300.0f, 1234.5f, 7000.0f});
    EXPECT_EQ(store.GetSetting(QStringLiteral("Settings"), QStringLiteral("MainLeft")),
              QStringLiteral("1005"));
    EXPECT_EQ(store.GetSetting(QStringLiteral("Settings"), QStringLiteral("MainTop")),
              QStringLiteral("-300"));
    EXPECT_EQ(store.GetSetting(QStringLiteral("Settings"), QStringLiteral("MainWidth")),
              QStringLiteral("1234.5"));
    const Placement back = ReadPlacement(store);
    EXPECT_EQ(back.width, 1234.5f);
    EXPECT_EQ(back.top, -300.0f);

    // Garbage in the store is no number: the default.
    store.SaveSetting(QStringLiteral("Settings"), QStringLiteral("MainHeight"),
                      QStringLiteral("tall"));
    store.SaveSetting(QStringLiteral("Settings"), QStringLiteral("MainLeft"),
                      QStringLiteral("1e300"));
    EXPECT_EQ(ReadPlacement(store).height, 6500.0f);
    EXPECT_EQ(ReadPlacement(store).left, 1000.0f);
}

TEST(Placement, TwipsFollowTheLogicalDpiBothWays) {
    const QRect at96 = PlacementToPixels(Placement{}, 96, 96);
    EXPECT_EQ(at96, QRect(67, 67, 433, 433));
    const QRect at144 = PlacementToPixels(Placement{}, 144, 120);
    EXPECT_EQ(at144, QRect(100, 83, 650, 542));
    // Pixels to twips and back gives the same pixels.
    for (double dpi : {96.0, 120.0, 144.0, 72.0}) {
        const QRect frame(-37, 523, 801, 611);
        EXPECT_EQ(PlacementToPixels(PixelsToPlacement(frame, dpi, dpi), dpi, dpi), frame);
    }
}

TEST(Placement, WhollyOffScreenComesBackToTheNearestScreen) {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    // Partly visible: left alone.
    const QRect partly(1800, 900, 500, 500);
    EXPECT_EQ(BringOntoScreens(partly, screens), partly);
    // Far to the right of the second screen.
    const QRect right(9000, 100, 400, 300);
    EXPECT_EQ(BringOntoScreens(right, screens), QRect(2800, 100, 400, 300));
    // Above and left of the first: moved in, and shrunk when larger than the screen.
    EXPECT_EQ(BringOntoScreens(QRect(-5000, -5000, 3000, 200), screens), QRect(0, 0, 1920, 200));
    // Below the second screen's bottom, which is lower than the first's.
    EXPECT_EQ(BringOntoScreens(QRect(3000, 4000, 100, 100), screens), QRect(3000, 924, 100, 100));
    EXPECT_EQ(BringOntoScreens(right, {}), right);
}

TEST(Zoom, StepsOfNineWithinTheUsableRange) {
    EXPECT_EQ(ZoomIn(75), std::int16_t(84));
    EXPECT_EQ(ZoomIn(ZoomIn(ZoomIn(75).value()).value()), std::int16_t(102));
    EXPECT_EQ(ZoomOut(102), std::int16_t(93));
    EXPECT_EQ(ZoomOut(10), std::int16_t(1));
    EXPECT_FALSE(ZoomOut(9).has_value());
    EXPECT_FALSE(ZoomOut(0).has_value());
    EXPECT_FALSE(ZoomOut(-32768).has_value());
    EXPECT_EQ(ZoomIn(32758), std::int16_t(32767));
    EXPECT_FALSE(ZoomIn(32759).has_value());
    // A resolution below 1 (a hand-edited store) may still climb back.
    EXPECT_EQ(ZoomIn(-5), std::int16_t(4));
}

TEST(Toolbar, ButtonsDispatchByExactKey) {
    const auto& buttons = ToolbarButtons();
    const QStringList keys{"Open",     "Convert", "Print",   "Goto",
                           "Previous", "Next",    "Zoom In", "Zoom Out"};
    const QStringList pictures{"Open", "Save",    "Print",  "Redo",
                               "Back", "Forward", "zoomin", "zoomOUT"};
    ASSERT_EQ(buttons.size(), 8u);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(buttons[i].key, keys[i]);
        EXPECT_EQ(buttons[i].pictureKey, pictures[i]);
        EXPECT_EQ(ToolbarActionForKey(keys[i]), buttons[i].action);
    }
    EXPECT_EQ(buttons[1].toolTip, QStringLiteral("Convert open file to another format"));
    EXPECT_EQ(ToolbarActionForKey(QStringLiteral("zoom in")), ToolbarAction::None);
    EXPECT_EQ(ToolbarActionForKey(QStringLiteral("open")), ToolbarAction::None);
    EXPECT_EQ(ToolbarActionForKey(QString()), ToolbarAction::None);
}

TEST(Toolbar, EveryPictureHasADrawnFallback) {
    QStringList seen;
    for (const ToolbarButton& button : ToolbarButtons()) {
        EXPECT_FALSE(ThemeIconName(button.pictureKey).isEmpty());
        const QIcon fallback = FallbackToolbarIcon(button.pictureKey);
        const QImage image = fallback.pixmap(24, 24).toImage();
        ASSERT_FALSE(image.isNull());
        // Something is drawn, and each picture differs from the others.
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(opaque, 20) << button.pictureKey.toStdString();
        QByteArray bits(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes());
        const QString hash = QString::fromLatin1(bits.toBase64());
        EXPECT_FALSE(seen.contains(hash)) << button.pictureKey.toStdString();
        seen << hash;
        EXPECT_FALSE(ToolbarIcon(button.pictureKey).isNull());
    }
}
