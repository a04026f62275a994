// Print jobs through the built program's standard input, and its start-up, each against a
// baseline measured in the same run:
//   - a 200 MB job piped into the program: time until its temporary file is complete, less the
//     program's start until it reads (the same time for a job of a few bytes), against `cat`
//     piping the same bytes into a file; the program's peak memory for 10 MB and 200 MB;
//   - start-up from process start to "Ready" (the splash's own time left out), against a bare
//     Qt window program started the same way.
#include "app/main_window.h"
#include "app/qt_user_dialogs.h"
#include "app/splash_screen.h"
#include "app/startup.h"
#include "base/user_dialogs.h"
#include "bench/process_status.h"
#include "bench/result_row.h"
#include "bench/spawn.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double secondsOf(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

qint64 wallNs() {
    timespec ts{};
    clock_gettime(CLOCK_REALTIME, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

using quillorn::bench::spawn;

void writeAll(int fd, const QByteArray& chunk, qint64 total) {
    qint64 done = 0;
    while (done < total) {
        const qint64 want = std::min<qint64>(chunk.size(), total - done);
        const ssize_t n = ::write(fd, chunk.constData(), size_t(want));
        if (n <= 0)
            break;
        done += n;
    }
    ::close(fd);
}

QString findJobFile(const QString& dir) {
    const QStringList files = QDir(dir).entryList({QStringLiteral("KMW*")}, QDir::Files);
    return files.isEmpty() ? QString() : QDir(dir).filePath(files.first());
}

struct JobRun {
    double seconds = 0;
    qint64 peakKb = -1;
};

// Pipes `total` bytes into the program and waits until its job file holds them all.
JobRun pipeIntoProgram(const QString& binary, const QString& tmpDir, qint64 total,
                       const QByteArray& chunk) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    const auto start = Clock::now();
    const pid_t pid = spawn({binary.toStdString()}, fds[0], -1, fds[1]);
    ::close(fds[0]);
    std::thread writer(writeAll, fds[1], chunk, total);
    JobRun run;
    for (;;) {
        const QString job = findJobFile(tmpDir);
        struct stat st {};
        if (!job.isEmpty() && ::stat(QFile::encodeName(job).constData(), &st) == 0 &&
            st.st_size >= total)
            break;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "the program ended early\n");
            writer.join();
            return run;
        }
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    run.seconds = secondsOf(Clock::now() - start);
    writer.join();
    // Let it reach the conversion dialog, then read its high-water mark.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    run.peakKb = quillorn::bench::statusKb("VmHWM:", pid);
    ::kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    QFile::remove(findJobFile(tmpDir));
    return run;
}

double pipeIntoCat(const QString& target, qint64 total, const QByteArray& chunk) {
    int fds[2];
    if (::pipe(fds) != 0)
        return 0;
    const int out =
        ::open(QFile::encodeName(target).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const auto start = Clock::now();
    const pid_t pid = spawn({"/bin/cat"}, fds[0], out, fds[1]);
    ::close(fds[0]);
    ::close(out);
    std::thread writer(writeAll, fds[1], chunk, total);
    waitpid(pid, nullptr, 0);
    const double seconds = secondsOf(Clock::now() - start);
    writer.join();
    QFile::remove(target);
    return seconds;
}

// Child modes: print the wall clock (ns) when the window is ready, then leave at once.
int startupChild() {
    int argc = 1;
    char name[] = "quillorn";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QApplication::setApplicationName(quillorn::kAppTitle);
    quillorn::app::QtUserDialogs dialogs;
    qint64 splashStarted = 0;
    // Closes the splash as soon as it is up; its time is taken out below.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, &closer, [] {
        if (auto* splash =
                qobject_cast<quillorn::app::SplashScreen*>(QApplication::activeModalWidget()))
            splash->close();
    });
    closer.start(1);
    quillorn::app::StartupHooks hooks;
    hooks.mainWindowCreated = [&](quillorn::app::MainWindow& window) {
        dialogs.setParentWindow(&window);
        QObject::connect(&window, &quillorn::app::MainWindow::statusShown,
                         [&](const QString& text) {
                             if (text == QLatin1String("Showing Splash Screen..."))
                                 splashStarted = wallNs();
                             if (text == QLatin1String("Ready")) {
                                 const qint64 now = wallNs();
                                 std::printf("%lld %lld\n", static_cast<long long>(now),
                                             static_cast<long long>(now - splashStarted));
                                 std::fflush(stdout);
                                 ::_exit(0);
                             }
                         });
    };
    const int devNull = ::open("/dev/null", O_RDONLY);
    quillorn::app::Startup startup(dialogs, {}, devNull, hooks);
    // "Ready" follows the splash's close, from the event loop.
    if (!startup.run())
        QApplication::exec();
    return 1;
}

int baselineChild() {
    int argc = 1;
    char name[] = "baseline";
    char* argv[] = {name, nullptr};
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(433, 433);
    window.show();
    QApplication::processEvents();
    std::printf("%lld 0\n", static_cast<long long>(wallNs()));
    std::fflush(stdout);
    ::_exit(0);
}

double timeChild(const std::string& self, const char* mode) {
    int fds[2];
    if (::pipe(fds) != 0)
        return 0;
    const qint64 started = wallNs();
    const pid_t pid = spawn({self, mode}, -1, fds[1], fds[0]);
    ::close(fds[1]);
    const std::string output = quillorn::bench::childOutput(pid, fds[0]);
    long long ready = 0, excluded = 0;
    if (std::sscanf(output.c_str(), "%lld %lld", &ready, &excluded) != 2)
        return 0;
    return double(ready - started - excluded) / 1e9;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "--startup-child")
        return startupChild();
    if (argc > 1 && std::string(argv[1]) == "--baseline-child")
        return baselineChild();

    // Everything below runs in scratch directories: never the user's own.
    QTemporaryDir root;
    if (!root.isValid())
        return 2;
    for (const char* sub : {"home", "config", "data", "cache", "tmp"})
        QDir(root.path()).mkpath(QLatin1String(sub));
    const QString tmp = root.filePath(QStringLiteral("tmp"));
    qputenv("HOME", QFile::encodeName(root.filePath(QStringLiteral("home"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root.filePath(QStringLiteral("data"))));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root.filePath(QStringLiteral("cache"))));
    qputenv("TMPDIR", QFile::encodeName(tmp));
    qputenv("QT_QPA_PLATFORM", "offscreen");

    const QString binary = QStringLiteral(QUILLORN_BINARY);
    QByteArray chunk(1 << 20, '\0');
    for (int i = 0; i < chunk.size(); ++i)
        chunk[i] = char("%!PS\n0 0 moveto (x) show\n"[i % 25]);
    const qint64 mb = 1 << 20;

    // A job of one line: the time until its file is complete is the program's start until it
    // reads its input.
    const QByteArray line = chunk.left(25);
    std::vector<double> program, cat, start;
    std::vector<qint64> peaks;
    for (int round = 0; round < 3; ++round) {
        start.push_back(pipeIntoProgram(binary, tmp, line.size(), line).seconds);
        const JobRun large = pipeIntoProgram(binary, tmp, 200 * mb, chunk);
        program.push_back(large.seconds);
        peaks.push_back(large.peakKb);
        cat.push_back(pipeIntoCat(root.filePath(QStringLiteral("cat.out")), 200 * mb, chunk));
    }
    const JobRun small = pipeIntoProgram(binary, tmp, 10 * mb, chunk);
    std::sort(peaks.begin(), peaks.end());
    const qint64 largePeakKb = peaks[peaks.size() / 2];
    const double taking = median(program) - median(start);
    std::printf("print job 200 MB: program %.3f s less its start %.3f s = %.3f s, cat %.3f s, "
                "ratio %.2f\n",
                median(program), median(start), taking, median(cat), taking / median(cat));
    quillorn::bench::resultRow("print job of 200 MB into its temporary file, program start "
                               "left out",
                               taking, "cat of the same bytes", median(cat), "s");
    quillorn::bench::resultRow("peak memory taking a 200 MB print job", largePeakKb / 1024.0,
                               "taking a 10 MB job", small.peakKb / 1024.0, "MB");
    std::printf("peak memory: 10 MB job %lld kB, 200 MB job %lld kB, ratio %.2f\n",
                static_cast<long long>(small.peakKb), static_cast<long long>(largePeakKb),
                double(largePeakKb) / double(small.peakKb));

    const std::string self = argv[0];
    std::vector<double> startup, baseline;
    for (int round = 0; round < 5; ++round) {
        startup.push_back(timeChild(self, "--startup-child"));
        baseline.push_back(timeChild(self, "--baseline-child"));
    }
    std::printf("start-up to \"Ready\" (splash left out): %.3f s, bare Qt window %.3f s, "
                "ratio %.2f\n",
                median(startup), median(baseline), median(startup) / median(baseline));
    quillorn::bench::resultRow("start-up to \"Ready\" (splash left out)", median(startup),
                               "a bare Qt window program", median(baseline), "s");
    return 0;
}
