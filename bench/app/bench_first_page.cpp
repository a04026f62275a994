// The first page of a document on screen, against Evince in the same run, on a virtual X
// display of the benchmark's own:
//   - `quillorn --no-splash FILE` and `evince FILE`, each from its start until the page is seen
//     on the screen (a coloured square on the first page of bash(1) set by groff), 3 runs each
//     after one to warm the caches, medians;
//   - with the splash: the first page shown against the splash's close, in-process (the page is
//     due no later than 0.1 s after the close).
// Where evince is not installed, the gs executable rendering the page at the same resolution
// stands in for it, and the row says so.
#include "app/main_window.h"
#include "app/qt_user_dialogs.h"
#include "app/startup.h"
#include "bench/documents.h"
#include "bench/result_row.h"
#include "bench/spawn.h"
#include "viewer/core/document_controller.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// The page's mark: a square in this colour, seen once enough of it is on the screen.
const QColor kMark(255, 0, 255);
constexpr int kMarkPoints = 80; // 80 pt square

// Starts argv with its output and errors to /dev/null.
pid_t spawnQuiet(const std::vector<std::string>& argv) {
    const int devNull = ::open("/dev/null", O_WRONLY);
    const pid_t pid = quillorn::bench::spawn(argv, -1, devNull, -1, true);
    ::close(devNull);
    return pid;
}

void end(pid_t pid) {
    if (pid <= 0)
        return;
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        QThread::msleep(10);
    }
    ::kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// The number of sampled screen points in the mark's colour.
int markSeen(QScreen* screen) {
    const QImage shot = screen->grabWindow(0).toImage();
    int seen = 0;
    for (int y = 0; y < shot.height(); y += 4)
        for (int x = 0; x < shot.width(); x += 4)
            if (shot.pixelColor(x, y) == kMark)
                ++seen;
    return seen;
}

// Seconds from the start of argv until the mark is on the screen; nothing when it never came.
std::optional<double> untilSeen(QScreen* screen, const std::vector<std::string>& argv, int enough) {
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = spawnQuiet(argv);
    std::optional<double> seconds;
    while (pid > 0 && clock.elapsed() < 30000) {
        if (markSeen(screen) >= enough) {
            seconds = clock.nsecsElapsed() / 1e9;
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return std::nullopt;
        QThread::msleep(2);
    }
    end(pid);
    QThread::msleep(300); // the window gone before the next start
    return seconds;
}

// bash(1) with the mark on its first page, as the first thing drawn after the page's setup.
QByteArray markedManual() {
    QByteArray ps = quillorn::bench::manualPages();
    const QByteArray mark = "gsave 1 0 1 setrgbcolor 200 400 " + QByteArray::number(kMarkPoints) +
                            ' ' + QByteArray::number(kMarkPoints) + " rectfill grestore\n";
    qsizetype at = ps.indexOf("%%EndPageSetup");
    if (at < 0)
        at = ps.indexOf("%%Page:");
    at = ps.indexOf('\n', at) + 1;
    return ps.insert(at, mark);
}

// The child for the splash's figure: the real start with the splash on, a document given; prints
// the page's and the splash's close time from the start, in seconds.
int splashChild(int argc, char** argv) {
    const QByteArray file = argv[2];
    QApplication app(argc, argv);
    QApplication::setApplicationName(quillorn::kAppTitle);
    quillorn::app::QtUserDialogs dialogs;
    QElapsedTimer clock;
    clock.start();
    double pageAt = -1, closedAt = -1;
    const auto report = [&] {
        if (pageAt < 0 || closedAt < 0)
            return;
        std::printf("%.4f %.4f\n", pageAt, closedAt);
        std::fflush(stdout);
        ::_exit(0);
    };
    quillorn::app::StartupHooks hooks;
    hooks.mainWindowCreated = [&](quillorn::app::MainWindow& window) {
        dialogs.setParentWindow(&window);
        QObject::connect(&window, &quillorn::app::MainWindow::statusShown,
                         [&](const QString& text) {
                             if (text == QLatin1String("Ready") && closedAt < 0) {
                                 closedAt = clock.nsecsElapsed() / 1e9;
                                 report();
                             }
                         });
        auto* document = window.findChild<quillorn::viewer::DocumentController*>();
        // The times live as long as the event loop below.
        QObject::connect(document, &quillorn::viewer::DocumentController::pageShown, document,
                         [at = &pageAt, since = &clock, tell = &report](qint32 page) {
                             if (page > 0 && *at < 0) {
                                 *at = since->nsecsElapsed() / 1e9;
                                 (*tell)();
                             }
                         });
    };
    const int devNull = ::open("/dev/null", O_RDONLY);
    quillorn::app::Startup startup(dialogs, {file}, devNull, hooks);
    startup.run();
    QApplication::exec();
    return 1;
}

std::optional<std::pair<double, double>> timeSplash(const std::string& self, const QString& file) {
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    const pid_t pid = quillorn::bench::spawn(
        {self, "--splash-child", QFile::encodeName(file).toStdString()}, -1, fds[1], fds[0]);
    ::close(fds[1]);
    const std::string output = quillorn::bench::childOutput(pid, fds[0]);
    double page = 0, closed = 0;
    if (std::sscanf(output.c_str(), "%lf %lf", &page, &closed) != 2)
        return std::nullopt;
    return std::pair(page, closed);
}

// Starts a virtual X server on a free display; its number, or nothing.
std::optional<int> startDisplay(pid_t& server) {
    const std::string xvfb =
        QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("Xvfb"))).toStdString();
    if (xvfb.empty())
        return std::nullopt;
    int fds[2];
    if (::pipe(fds) != 0)
        return std::nullopt;
    server = quillorn::bench::spawn({xvfb, "-displayfd", std::to_string(fds[1]), "-screen", "0",
                                     "1280x1024x24", "-nolisten", "tcp"},
                                    -1, -1, fds[0], true);
    ::close(fds[1]);
    if (server <= 0)
        return std::nullopt;
    // The number comes before its line's end, in writes of their own: the pipe stays open, so
    // that the server's last write finds a reader.
    std::string number;
    char c = 0;
    while (::read(fds[0], &c, 1) == 1 && c != '\n')
        number += c;
    if (number.empty())
        return std::nullopt;
    return std::atoi(number.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == "--splash-child")
        return splashChild(argc, argv);

    QTemporaryDir root;
    if (!root.isValid())
        return 2;
    quillorn::bench::useScratchHome(root.path());
    const QString file = root.filePath(QStringLiteral("bash.ps"));
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(markedManual()) < 0)
            return 2;
    }

    pid_t server = -1;
    const std::optional<int> display = startDisplay(server);
    if (!display) {
        std::fprintf(stderr, "no Xvfb: nothing measured\n");
        return 0;
    }
    qputenv("DISPLAY", QByteArray(":") + QByteArray::number(*display));
    qputenv("QT_QPA_PLATFORM", "xcb");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    QScreen* screen = QGuiApplication::primaryScreen();
    // At the program's 75 dpi the square is about 83 pixels wide, sampled every 4th: a quarter
    // of it seen is the page shown, at any zoom a viewer starts with.
    const int enough = (kMarkPoints / 4) * (kMarkPoints / 4) / 4;

    const std::string quillorn = QUILLORN_BINARY;
    const std::string path = QFile::encodeName(file).toStdString();
    const QString evince = QStandardPaths::findExecutable(QStringLiteral("evince"));
    std::vector<double> ours, theirs;
    for (int round = 0; round < 4; ++round) {
        const std::optional<double> a = untilSeen(screen, {quillorn, "--no-splash", path}, enough);
        const std::optional<double> b =
            evince.isEmpty() ? std::nullopt
                             : untilSeen(screen, {evince.toStdString(), path}, enough);
        if (round == 0)
            continue; // caches warmed
        if (a)
            ours.push_back(*a);
        if (b)
            theirs.push_back(*b);
    }
    if (!ours.empty() && !theirs.empty()) {
        const double q = quillorn::bench::median(ours), e = quillorn::bench::median(theirs);
        std::printf("first page of bash(1) on screen, splash off: quillorn %.3f s, evince %.3f s, "
                    "ratio %.2f\n",
                    q, e, q / e);
        quillorn::bench::resultRow("quillorn --no-splash FILE to the first page on screen", q,
                                   "evince FILE", e, "s");
    } else {
        std::fprintf(stderr, "first page: no figure (quillorn %zu runs, evince %zu runs%s)\n",
                     ours.size(), theirs.size(), evince.isEmpty() ? ", evince not installed" : "");
    }

    std::vector<double> lags, closes;
    for (int round = 0; round < 3; ++round) {
        if (const auto times = timeSplash(argv[0], file)) {
            lags.push_back(std::max(0.0, times->first - times->second));
            closes.push_back(times->second);
        }
    }
    if (!lags.empty()) {
        const double lag = quillorn::bench::median(lags);
        std::printf("splash on: the first page %.3f s after the splash closed (at %.3f s)\n", lag,
                    quillorn::bench::median(closes));
        quillorn::bench::resultRow("splash on: first page shown after the splash closed", lag,
                                   "the 0.1 s allowed", 0.1, "s");
    }
    end(server);
    return 0;
}
