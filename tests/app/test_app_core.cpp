// The window-free rules of the shell: saving a print job from standard input, the window
// placement, the zoom steps and the toolbar's pictures.
#include "app/core/placement.h"
#include "app/core/print_job.h"
#include "app/core/toolbar_icons.h"
#include "app/core/zoom.h"
#include "base/settings_store.h"
#include "tests/support/test_env.h"

#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace quillorn;
using namespace quillorn::app;

namespace {
// Feeds bytes through a real pipe from another thread, as a redirector would.
SavedPrintJob saveThroughPipe(const QByteArray& bytes) {
    int fds[2];
    EXPECT_EQ(::pipe(fds), 0);
    std::thread writer([&] {
        for (qsizetype done = 0, n = 0; done < bytes.size(); done += n)
            if ((n = ::write(fds[1], bytes.constData() + done, bytes.size() - done)) <= 0)
                break;
        ::close(fds[1]);
    });
    SavedPrintJob job = savePrintJob(fds[0]);
    writer.join();
    ::close(fds[0]);
    return job;
}
} // namespace

TEST(PrintJob, ReadsOf10240AndNoFileUnlessAJobIsSaved) {
    const QStringList before = test::tempLeftovers();
    QByteArray exact(10240, '\0');
    for (qsizetype i = 0; i < exact.size(); ++i)
        exact[i] = char(i * 7 % 256);
    const SavedPrintJob job = saveThroughPipe(exact);
    EXPECT_TRUE(test::readFile(job.path) == exact) << job.error.toStdString();
    EXPECT_EQ(job.reads, 2); // one full read, then the one that finds the end
    QFile::remove(job.path);

    EXPECT_TRUE(saveThroughPipe({}).path.isEmpty());
    const int devNull = ::open("/dev/null", O_RDONLY), closed = ::dup(devNull);
    ::close(closed);
    for (const int fd : {devNull, closed, -1}) { // nothing there, or nothing open for reading
        const SavedPrintJob none = savePrintJob(fd);
        EXPECT_TRUE(none.path.isEmpty() && none.error.isEmpty()) << fd;
    }
    ::close(devNull);
    // A connection that is reset after the job's first bytes: an incomplete job is an error.
    int pair[2];
    ASSERT_EQ(::socketpair(AF_UNIX, SOCK_STREAM, 0, pair), 0);
    ASSERT_EQ(::write(pair[1], "%!PS\n", 5), 5);
    ASSERT_EQ(::write(pair[0], "x", 1), 1); // unread by the peer, so its close resets
    ::close(pair[1]);
    const SavedPrintJob reset = savePrintJob(pair[0]);
    ::close(pair[0]);
    EXPECT_TRUE(reset.path.isEmpty());
    EXPECT_EQ(reset.error, QStringLiteral("standard input: ") +
                               QString::fromLocal8Bit(std::strerror(ECONNRESET)));
    // A terminal is never read, so an interactive start does not wait for the keyboard.
    if (const int master = ::posix_openpt(O_RDWR | O_NOCTTY); master >= 0) {
        ASSERT_TRUE(::grantpt(master) == 0 && ::unlockpt(master) == 0);
        const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY);
        EXPECT_EQ(savePrintJob(slave).reads, 0);
        ::close(slave);
        ::close(master);
    }
    // A file size limit stands in for a full disk: a write in the middle of the job fails.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 3 * kPrintJobReadSize;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const SavedPrintJob full = saveThroughPipe(QByteArray(8 * kPrintJobReadSize, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(full.path.isEmpty());
    EXPECT_FALSE(full.error.isEmpty());
    EXPECT_EQ(test::tempLeftovers(), before);
}

TEST(PrintJob, OutputNamedAfterTheTitleInTheHeader) {
    // The job's first lines, the name proposed.
    using Row = std::pair<const char*, const char*>;
    for (const auto& [header, name] : std::initializer_list<Row>{
             {"%!PS-Adobe-3.0\n%%Title: (Quarterly/Report \\(draft\\))\n",
              "Quarterly-Report (draft)"},
             {"%!PS-Adobe-3.0\r\n%%Creator: x\r\n%%Title:   Plain words  \r\n", "Plain words"},
             {"%!PS\n%%Title: (caf\\303\\251 Gr\xc3\xbc\xc3\x9f"
              "e)\n",
              "caf\xc3\xa9 Gr\xc3\xbc\xc3\x9f"
              "e"},
             {"%!PS\n%%Title: (caf\xe9)\n", "caf\xc3\xa9"}, // Latin-1 from older programs
             {"%!PS\n%%Title: (..\\tA\\001B)\n", "A B"},
             {"%!PS\n%%Title: (...)\n", "print-job"},
             {"%!PS\n%%Title: (atend)\n", "print-job"},
             {"%!PS\n%%EndComments\n%%Title: (late)\n", "print-job"},
             {"%!PS\nshowpage\n%%Title: (body)\n", "print-job"},
             {"%PDF-1.4\n", "print-job"},
         }) {
        const QString job = test::writeFile(QStringLiteral("job.ps"), header);
        EXPECT_EQ(printJobName(job), QString::fromUtf8(name)) << header;
    }
}

TEST(Placement, StoreTextDefaultsTwipsAndOffScreen) {
    SettingsStore store(test::scratchDir() + QStringLiteral("/placement.ini"));
    EXPECT_EQ(placementToPixels(readPlacement(store), 144, 120), QRect(100, 83, 650, 542));
    writePlacement(store, Placement{1005.0f, -300.0f, 1234.5f, 7000.0f});
    EXPECT_EQ(store.value(QStringLiteral("Settings"), QStringLiteral("MainWidth")),
              QStringLiteral("1234.5"));
    EXPECT_EQ(readPlacement(store).top, -300.0f);
    // What is no number in the store gives the default.
    store.setValue(QStringLiteral("Settings"), QStringLiteral("MainHeight"),
                   QStringLiteral("tall"));
    store.setValue(QStringLiteral("Settings"), QStringLiteral("MainLeft"), QStringLiteral("1e300"));
    EXPECT_EQ(readPlacement(store).height, 6500.0f);
    EXPECT_EQ(readPlacement(store).left, 1000.0f);
    const QRect frame(-37, 523, 801, 611);
    EXPECT_EQ(placementToPixels(pixelsToPlacement(frame, 120, 120), 120, 120), frame);

    // Wholly off the screens: moved to the nearest, and shrunk when larger than it.
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const QRect partly(1800, 900, 500, 500);
    EXPECT_EQ(bringOntoScreens(partly, screens), partly);
    EXPECT_EQ(bringOntoScreens(QRect(9000, 100, 400, 300), screens), QRect(2800, 100, 400, 300));
    EXPECT_EQ(bringOntoScreens(QRect(-5000, -5000, 3000, 200), screens), QRect(0, 0, 1920, 200));
    EXPECT_EQ(bringOntoScreens(QRect(3000, 4000, 100, 100), screens), QRect(3000, 924, 100, 100));
}

TEST(Zoom, StepsOfNineWithinTheUsableRange) {
    using Step = std::pair<std::int16_t, std::optional<std::int16_t>>;
    for (const auto& [from, to] : {Step{75, 84}, {32758, 32767}, {32759, {}}, {-5, 4}})
        EXPECT_EQ(zoomIn(from), to) << from;
    for (const auto& [from, to] : {Step{102, 93}, {10, 1}, {9, {}}, {-32768, {}}})
        EXPECT_EQ(zoomOut(from), to) << from;
}

TEST(Toolbar, EveryPictureHasAFallback) {
    for (const char* key :
         {"Open", "Save", "Print", "Redo", "Back", "Forward", "zoomin", "zoomOUT"}) {
        const QImage image = fallbackToolbarIcon(QLatin1String(key)).pixmap(24, 24).toImage();
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) > 0;
        EXPECT_GT(opaque, 20) << key;
    }
}
