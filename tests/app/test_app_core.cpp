// The window-free rules of the shell: the command line, saving a print job from standard input,
// the window placement, the zoom steps and fits, lengths in the chosen units and the language of
// the texts.
#include "app/core/command_line.h"
#include "app/core/page_units.h"
#include "app/core/placement.h"
#include "app/core/print_job.h"
#include "app/core/translations.h"
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

TEST(PrintJob, ReadsInPiecesAndNoFileUnlessAJobIsSaved) {
    const QStringList before = test::tempLeftovers();
    QByteArray exact(3 * kPrintJobReadSize + 5, '\0');
    for (qsizetype i = 0; i < exact.size(); ++i)
        exact[i] = char(i * 7 % 256);
    const SavedPrintJob job = saveThroughPipe(exact);
    EXPECT_TRUE(test::readFile(job.path) == exact) << job.error.toStdString();
    EXPECT_GE(job.reads, 5); // at least four pieces, then the read that finds the end
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
    // A file size limit stands in for a full disk: a write in the middle of the job fails. What
    // is left unread must fit in the pipe, or its writer never ends.
    rlimit old{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 3 * kPrintJobReadSize;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const SavedPrintJob full = saveThroughPipe(QByteArray(3 * kPrintJobReadSize + 30000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(full.path.isEmpty());
    EXPECT_FALSE(full.error.isEmpty());
    EXPECT_EQ(test::tempLeftovers(), before);
}

// Each row: arguments as bytes (a "|" between them), whether a print job came, the road and the
// document's bytes. "F..." stands for an existing file.
TEST(CommandLine, TheArgumentsDecideTheRoad) {
    const std::tuple<QByteArray, bool, Road, QByteArray> cases[] = {
        {"--help", true, Road::Help, ""},
        {"--version", false, Road::Version, ""},
        {"--version|x", false, Road::Invalid, ""},
        {"/VIEW:a.ps", true, Road::PrintJob, ""},
        {"", false, Road::Interactive, ""},
        {"/CoNvErT:a:b/x.ps", false, Road::Convert, "a:b/x.ps"},
        {"/VIEW:caf\xe9.ps", false, Road::View, "caf\xe9.ps"},
        {"Fa:b.ps", false, Road::View, "Fa:b.ps"},
        {"Fa.ps|Fb.ps", false, Road::Invalid, ""},
        {"missing.ps", false, Road::Invalid, ""},
        {"C:\\docs\\a.ps", false, Road::Invalid, ""}};
    for (const auto& [line, job, road, document] : cases) {
        const QByteArrayList arguments = line.isEmpty() ? QByteArrayList() : line.split('|');
        const StartRequest request =
            decideRoad(job, arguments, [](const QByteArray& raw) { return raw.startsWith('F'); });
        EXPECT_EQ(request.road, road) << line.toStdString();
        EXPECT_EQ(request.rawArgument, document) << line.toStdString();
        EXPECT_EQ(request.argument, QFile::decodeName(document));
    }
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
             {"%!PS\n%%Title: (atend)\n", "print-job"},
             {"%!PS\nshowpage\n%%Title: (body)\n", "print-job"},
             {"%PDF-1.4\n", "print-job"},
         }) {
        const QString job = test::writeFile(QStringLiteral("job.ps"), header);
        EXPECT_EQ(printJobName(job), QString::fromUtf8(name)) << header;
    }
}

TEST(Placement, StoreTextsAndOnlyChangedValuesWritten) {
    const QString path = test::scratchDir() + QStringLiteral("/placement.ini");
    const auto set = [](SettingsStore& to, const char* key, const char* text) {
        to.setValue(QStringLiteral("Settings"), QLatin1String(key), QLatin1String(text));
    };
    SettingsStore store(path);
    EXPECT_EQ(readPlacement(store), std::nullopt);
    writePlacement(store, Placement{1005.0f, -300.0f, 1234.5f, 7000.0f, true}, std::nullopt);
    EXPECT_EQ(readPlacement(store), (Placement{1005.0f, -300.0f, 1234.5f, 7000.0f, true}));
    set(store, "MainHeight", "tall"); // what is no number in the store gives the default
    set(store, "MainLeft", "1e300");
    const Placement read{1000.0f, -300.0f, 1234.5f, 6500.0f, true};
    EXPECT_EQ(readPlacement(store), read);
    ASSERT_TRUE(store.sync());
    // Only the values that changed are set: the others stay as another instance wrote them.
    SettingsStore other(path);
    set(other, "MainTop", "42");
    ASSERT_TRUE(other.sync());
    writePlacement(store, Placement{1000.0f, -300.0f, 999.0f, 6500.0f, false}, read);
    ASSERT_TRUE(store.sync());
    EXPECT_EQ(readPlacement(SettingsStore(path)),
              (Placement{1000.0f, 42.0f, 999.0f, 6500.0f, false}));
}

// Starts under a stand-in window manager: the start places the frame, sets the window's own
// rectangle for the decoration it knows, the manager frames it, and the shutdown stores the
// outer frame. Whatever the decoration, five starts give back the stored numbers.
TEST(Placement, RestoringAndSavingGiveBackTheSameNumbersForAnyDecoration) {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080)};
    const QMargins decorations[] = {{}, {1, 1, 1, 1}, {4, 28, 4, 4}, {0, 37, 0, 0}};
    const Placement stored[] = {{1000, 1000, 6500, 6500, false},
                                {1234.5f, 777, 9999, 8888, false},
                                {15, 15, 11000, 9000, true}};
    for (const double dpi : {96.0, 120.0, 144.0})
        for (const QMargins& decoration : decorations)
            for (const Placement& first : stored) {
                std::optional<Placement> placement = first;
                for (int start = 0; start < 5; ++start) {
                    const QRect startFrame = placementToPixels(*placement, dpi, dpi);
                    const QRect placed = bringOntoScreens(startFrame, screens);
                    const QRect client = clientRect(placed, decoration);
                    const QRect framed = frameRect(client, decoration);
                    placement = placementToStore(placement, startFrame, framed,
                                                 placement->maximized, dpi, dpi);
                    ASSERT_EQ(placement, first) << dpi << " start " << start;
                }
            }
    // A frame the user moved is stored as it stands, and comes back at the same pixels.
    const QRect moved(-37, 523, 801, 511);
    const std::optional<Placement> after =
        placementToStore(Placement{}, QRect(67, 67, 433, 433), moved, false, 120, 120);
    EXPECT_EQ(placementToPixels(*after, 120, 120), moved);
    // Without a stored placement nothing is written while the window stays where it was put.
    EXPECT_EQ(placementToStore(std::nullopt, moved, moved, false, 96, 96), std::nullopt);
    EXPECT_NE(placementToStore(std::nullopt, moved, moved, true, 96, 96), std::nullopt);
}

// Absurd sizes and positions: on the screen it overlaps most, at most its size, at least the
// smallest usable frame, the title bar on the screen and a usable part of it there; a frame off
// every screen wholly on the nearest.
TEST(Placement, FramesComeBackUsableOnTheScreens) {
    const QList<QRect> screens{QRect(0, 0, 1920, 1080), QRect(1920, 0, 1280, 1024)};
    const std::pair<QRect, QRect> cases[] = {
        {QRect(1800, 900, 500, 100), QRect(1800, 900, 500, 160)}, // across both: as it was
        {QRect(100, 100, 1000000000, 1000000000), QRect(100, 100, 1920, 1080)},
        {QRect(9000, 100, 400, 300), QRect(2800, 100, 400, 300)}, // off: wholly on the nearest
        {QRect(-5000, -5000, 3000, 200), QRect(0, 0, 1920, 200)},
        {QRect(1919, 1079, 600, 400), QRect(1760, 1000, 600, 400)}, // one pixel on screen
        {QRect(500, -400, 800, 600), QRect(500, 0, 800, 600)},      // title bar above the top
        {QRect(10, 10, 1, 1), QRect(10, 10, 240, 160)},
        {QRect(-1000000000, 1000000000, 300, 200), QRect(0, 880, 300, 200)}};
    for (const auto& [stored, placed] : cases)
        EXPECT_EQ(bringOntoScreens(stored, screens), placed) << stored.x() << "," << stored.y();
}

// A first start shows a whole page width at 75 dpi, within the available area.
TEST(Placement, TheFirstFrameShowsAWholePageWidth) {
    const QSize chrome(30, 120);
    const QSizeF a4(595, 842), letter(612, 792);
    for (const QRect& available : {QRect(0, 0, 1920, 1040), QRect(0, 24, 1024, 744)}) {
        for (const QSizeF& page : {a4, letter}) {
            const QRect frame = firstFrame(page, chrome, available);
            EXPECT_TRUE(available.contains(frame));
            const QRect client = clientRect(frame, kDecorationAllowance);
            EXPECT_GE(client.width(), std::ceil(page.width() * 75 / 72) + chrome.width());
        }
    }
    // A screen too small for the page: as large as the screen.
    EXPECT_EQ(firstFrame(a4, chrome, QRect(0, 0, 640, 480)), QRect(0, 0, 640, 480));
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
    using Row = std::tuple<QSizeF, QSize, Fit, std::optional<std::int16_t>>;
    for (const auto& [points, view, fit, resolution] :
         {Row{{200, 100}, {416, 300}, Width, 149}, Row{{200, 100}, {416, 300}, Page, 149},
          Row{{200, 100}, {400, 100}, Width, 144}, Row{{200, 100}, {400, 100}, Page, 72},
          Row{{1, 1}, {100000, 100000}, Page, 32767}, Row{{20000, 100}, {100, 100}, Width, {}},
          Row{{}, {400, 100}, Page, {}}, Row{{200, 100}, {}, Width, {}}})
        EXPECT_EQ(fitResolution(points, view, fit), resolution)
            << view.width() << "x" << view.height() << " " << int(fit);
}

// At 144 dpi: a point 2 x 1 inches from the top-left corner, and a distance of 2.5 inches
// (1.5 across, 2 down), in each unit of the Units menu.
TEST(PageUnits, PositionAndDistanceInEveryUnit) {
    using enum options::Units;
    const struct {
        options::Units units;
        double inch;
        const char* position;
        const char* distance;
    } rows[] = {
        {Pixels, 144, "x 288, y 144 pixels", "Distance: 360 pixels (dx 216, dy 288)"},
        {Twips, 1440, "x 2880, y 1440 twips", "Distance: 3600 twips (dx 2160, dy 2880)"},
        {Millimetres, 25.4, "x 50.8, y 25.4 mm", "Distance: 63.5 mm (dx 38.1, dy 50.8)"},
        {Inches, 1, "x 2.00, y 1.00 inch", "Distance: 2.50 inch (dx 1.50, dy 2.00)"},
    };
    const QLocale c = QLocale::c();
    for (const auto& row : rows) {
        EXPECT_DOUBLE_EQ(pixelsInUnits(144, row.units, 144), row.inch) << row.position;
        EXPECT_EQ(positionText({288, 144}, row.units, 144, c), QLatin1String(row.position));
        // Either way round: the distance has no direction.
        for (const auto& [from, to] : {std::pair{QPointF(10, 300), QPointF(226, 12)},
                                       std::pair{QPointF(226, 12), QPointF(10, 300)}})
            EXPECT_EQ(distanceText(from, to, row.units, 144, c), QLatin1String(row.distance));
    }
    EXPECT_EQ(positionText({-0.1, 72}, Millimetres, 144, QLocale(QLocale::German)),
              u"x 0,0, y 12,7 mm");
}

// A German desktop gets the catalogue built into the program; an English one the texts as
// written, with nothing left over from the row before.
TEST(Translations, TheLocaleChoosesTheLanguage) {
    const struct {
        const char* locale;
        bool translated;
        const char* distance;
    } rows[] = {
        {"de_DE", true, "Abstand: 2,50 Zoll (dx 1,50, dy 2,00)"},
        {"en_GB", false, "Distance: 2.50 inch (dx 1.50, dy 2.00)"},
    };
    for (const auto& row : rows) {
        const QLocale locale(QLatin1String(row.locale));
        const Translations translations(locale);
        EXPECT_EQ(translations.programTranslated(), row.translated) << row.locale;
        EXPECT_EQ(distanceText({10, 300}, {226, 12}, options::Units::Inches, 144, locale),
                  QLatin1String(row.distance))
            << row.locale;
    }
}
