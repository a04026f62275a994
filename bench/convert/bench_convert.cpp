// Converts a 50-page document through the conversion run (libgs in process) and through the gs
// executable with the same arguments, alternating, and prints the ratio of the median times.
// Usage: bench_convert [rounds]   (the gs executable is looked up on PATH)
#include "bench/result_row.h"
#include "bench/silent_dialogs.h"
#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "gs/api.h"
#include "gs/worker_runner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace quillorn;

namespace {

QByteArray fiftyPages() {
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: 50\n/Helvetica findfont 14 scalefont setfont\n";
    for (int page = 1; page <= 50; ++page) {
        ps += "%%Page: " + QByteArray::number(page) + ' ' + QByteArray::number(page) + '\n';
        ps += QByteArray::number(page % 3 * 0.3) + " 0.2 0.6 setrgbcolor\n";
        for (int line = 0; line < 40; ++line)
            ps += "72 " + QByteArray::number(740 - line * 17) + " moveto (Page " +
                  QByteArray::number(page) + ", line " + QByteArray::number(line) +
                  ": the quick brown fox jumps over the lazy dog) show\n";
        ps += "newpath 300 400 " + QByteArray::number(50 + page) + " 0 360 arc stroke showpage\n";
    }
    return ps + "%%EOF\n";
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillorn-bench-XXXXXX"));
    const QString root = scratch.path();
    // Neither this process's Ghostscript nor the gs executable may touch the real home.
    for (const char* sub : {"home", "config", "data", "cache", "tmp"})
        QDir(root).mkpath(QLatin1String(sub));
    qputenv("HOME", QFile::encodeName(root + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(root + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(root + QStringLiteral("/cache")));
    qputenv("TMPDIR", QFile::encodeName(root + QStringLiteral("/tmp")));

    const QString gsExe = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (gsExe.isEmpty()) {
        std::fprintf(stderr, "no gs executable on PATH\n");
        return 2;
    }
    const QString input = root + QStringLiteral("/fifty pages.ps");
    QFile file(input);
    if (!file.open(QIODevice::WriteOnly) || file.write(fiftyPages()) < 0)
        return 2;
    file.close();

    bench::SilentDialogs dialogs;
    bench::DroppedMessages messages;
    gs::WorkerRunner runner(QStringLiteral(QUILLORN_WORKER));
    runner.prepare();
    const convert::ConversionContext context{dialogs, runner, messages, {}};
    options::Options options;
    options.safer = true;
    bool failed = false;
    struct Case {
        const char* name;
        int format;
        int choice;
        const char* resolution;
        const char* output;
    };
    for (const Case& c : {Case{"PDF", convert::kFormatPdf, -1, "72", "/out.pdf"},
                          Case{"PNG 150 dpi", convert::kFormatPng, 4, "150", "/out-%d.png"}}) {
        convert::ConvertSettings s;
        s.inputFile = input;
        s.format = c.format;
        s.choice = c.choice;
        s.resolution = QLatin1String(c.resolution);
        s.graphicsAlpha = 2;
        s.textAlpha = 2;
        s.output = root + QLatin1String(c.output);
        const QStringList args =
            convert::libraryArguments(convert::convertArgumentList(s, options));

        std::vector<double> library, executable;
        for (int round = 0; round < rounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            const convert::RunOutcome outcome = convert::runConversion(s, options, context);
            library.push_back(timer.nsecsElapsed() / 1e9);
            failed = failed || outcome != convert::RunOutcome::CloseDialog;

            timer.restart();
            QProcess gs;
            gs.setStandardOutputFile(QProcess::nullDevice());
            gs.setStandardErrorFile(QProcess::nullDevice());
            gs.start(gsExe, args.mid(1));
            const bool finished = gs.waitForFinished(-1);
            const int rc = finished && gs.exitStatus() == QProcess::NormalExit ? gs.exitCode() : -1;
            executable.push_back(timer.nsecsElapsed() / 1e9);
            failed = failed || rc != 0;
        }
        const double lib = median(library), exe = median(executable);
        std::printf(
            "%-12s conversion run %.3f s, gs executable %.3f s, ratio %.3f (target <= 1.02)\n",
            c.name, lib, exe, lib / exe);
        const QByteArray what = QByteArray("conversion of 50 pages to ") + c.name;
        quillorn::bench::resultRow(what.constData(), lib, "gs executable, same arguments", exe,
                                   "s");
    }
    failed = failed || dialogs.questions > 0;
    return failed ? 1 : 0;
}
