// The window-free rules of the shell: saving a print job from standard input, the window
// placement, the zoom steps and the toolbar's pictures.
#include "app/core/page_units.h"
#include "app/core/placement.h"
#include "app/core/print_job.h"
#include "app/core/toolbar_icons.h"
#include "app/core/zoom.h"
#include "base/settings_store.h"
#include "tests/support/test_env.h"

#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
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
    for (const int fd : {devNull, closed, -1}) // a failing read counts as no input
        EXPECT_TRUE(savePrintJob(fd).path.isEmpty()) << fd;
    ::close(devNull);
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

// 200 x 100 points; a view of 416 x 300 pixels fits the width at 149.76 dpi, 400 x 100 the
// height at 72.
TEST(Zoom, FitTakesTheHighestWholeResolutionThatFits) {
    using enum Fit;
    const QSizeF page = pageSizeInPoints(QSizeF(208, 104), 75);
    EXPECT_NEAR(page.width(), 199.68, 1e-9); // as the 75 dpi render reports it
    const struct {
        QSizeF points;
        QSize view;
        Fit fit;
        std::optional<std::int16_t> resolution;
    } rows[] = {
        {{200, 100}, {416, 300}, Width, 149},
        {{200, 100}, {416, 300}, Page, 149},
        {{200, 100}, {400, 100}, Width, 144},
        {{200, 100}, {400, 100}, Page, 72},
        {{1, 1}, {100000, 100000}, Page, 32767},
        {{20000, 100}, {100, 100}, Width, {}},
        {{}, {400, 100}, Page, {}},
        {{200, 100}, {}, Width, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(fitResolution(row.points, row.view, row.fit), row.resolution)
            << row.view.width() << "x" << row.view.height() << " " << int(row.fit);
}

// At 144 dpi: a point 2 x 1 inches from the top-left corner, and a distance of 2.5 inches
// (1.5 across, 2 down), in each unit of the Units menu.
TEST(PageUnits, PositionAndDistanceInEveryUnit) {
    const struct {
        int units;
        double inch;
        const char* position;
        const char* distance;
    } rows[] = {
        {0, 144, "x 288, y 144 pixels", "Distance: 360 pixels (dx 216, dy 288)"},
        {1, 1440, "x 2880, y 1440 twips", "Distance: 3600 twips (dx 2160, dy 2880)"},
        {2, 25.4, "x 50.8, y 25.4 mm", "Distance: 63.5 mm (dx 38.1, dy 50.8)"},
        {3, 1, "x 2.00, y 1.00 inch", "Distance: 2.50 inch (dx 1.50, dy 2.00)"},
    };
    const QLocale c = QLocale::c();
    for (const auto& row : rows) {
        EXPECT_DOUBLE_EQ(pixelsInUnits(144, row.units, 144), row.inch) << row.units;
        EXPECT_EQ(positionText({288, 144}, row.units, 144, c), QLatin1String(row.position));
        // Either way round: the distance has no direction.
        for (const auto& [from, to] : {std::pair{QPointF(10, 300), QPointF(226, 12)},
                                       std::pair{QPointF(226, 12), QPointF(10, 300)}})
            EXPECT_EQ(distanceText(from, to, row.units, 144, c), QLatin1String(row.distance));
    }
    EXPECT_EQ(positionText({-0.1, 72}, 2, 144, QLocale(QLocale::German)), u"x 0,0, y 12,7 mm");
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
