// Converts documents through the conversion run (the worker, several at once for pages that can
// be shared) and through the gs executable with the same arguments, alternating, and prints the
// ratio of the median times: a 50-page document to PDF and to PNG, and an 87-page manual page
// (bash(1) set by groff) to PNG at 150 dpi, the case the shared conversion is for.
// Usage: bench_convert [rounds]   (gs, and man, gzip and groff for the manual, on PATH)
#include "bench/documents.h"
#include "bench/result_row.h"
#include "bench/silent_dialogs.h"
#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "convert/core/split_conversion.h"
#include "gs/api.h"
#include "gs/worker_runner.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <optional>
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

// One press of Convert, waited for.
convert::RunOutcome convertAndWait(const convert::ConvertSettings& settings,
                                   const options::Options& options,
                                   const convert::ConversionContext& context) {
    convert::Conversion conversion(settings, options, context);
    std::optional<convert::RunOutcome> outcome;
    QObject::connect(&conversion, &convert::Conversion::finished,
                     [&outcome](convert::RunOutcome ended) { outcome = ended; });
    conversion.start();
    while (!outcome)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return *outcome;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillorn-bench-XXXXXX"));
    const QString root = scratch.path();
    bench::useScratchHome(root);

    const QString gsExe = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (gsExe.isEmpty()) {
        std::fprintf(stderr, "no gs executable on PATH\n");
        return 2;
    }
    const auto write = [&](const char* name, const QByteArray& document) {
        const QString path = root + u'/' + QLatin1String(name);
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(document) == document.size()
                   ? path
                   : QString();
    };
    const QString fifty = write("fifty pages.ps", fiftyPages());
    const QByteArray manual = bench::manualPages();
    const QString manualFile = write("bash manual.ps", manual);
    if (fifty.isEmpty() || manualFile.isEmpty())
        return 2;
    const QByteArray manualName =
        "conversion of " + QByteArray::number(manual.count("\n%%Page:")) + " pages (bash(1))";
    // Every run writes into an empty folder: no question about files of the round before.
    QDir out(root + QStringLiteral("/out"));

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
        QByteArray what; // the row's text; "conversion of 50 pages to" the name when empty
        QString input;
        int format;
        int choice;
        const char* resolution;
        const char* output;
        double target;
    };
    const int cores = QThread::idealThreadCount();
    const int workers =
        convert::splitWorkers(87, cores, convert::availableMemory(), runner.memoryLimit());
    for (const Case& c :
         {Case{"PDF", {}, fifty, convert::kFormatPdf, -1, "72", "/out.pdf", 1.02},
          Case{"PNG 150 dpi", {}, fifty, convert::kFormatPng, 4, "150", "/out-%d.png", 1.02},
          Case{"PNG 150 dpi",
               manualName + " to PNG 150 dpi, " + QByteArray::number(workers) + " workers on " +
                   QByteArray::number(cores) + " cores",
               manualFile, convert::kFormatPng, 4, "150", "/bash-%d.png", 0.6}}) {
        convert::ConvertSettings s;
        s.inputFile = c.input;
        s.format = c.format;
        s.choice = c.choice;
        s.resolution = QLatin1String(c.resolution);
        s.graphicsAlpha = 2;
        s.textAlpha = 2;
        s.output = out.path() + QLatin1String(c.output);
        const QStringList args =
            convert::libraryArguments(convert::convertArgumentList(s, options));

        std::vector<double> library, executable;
        const auto empty = [&out] {
            out.removeRecursively();
            out.mkpath(QStringLiteral("."));
        };
        for (int round = 0; round < rounds; ++round) {
            empty();
            QElapsedTimer timer;
            timer.start();
            const convert::RunOutcome outcome = convertAndWait(s, options, context);
            library.push_back(timer.nsecsElapsed() / 1e9);
            failed = failed || outcome != convert::RunOutcome::CloseDialog;
            const qsizetype written = out.entryList(QDir::Files).size();

            empty();
            timer.restart();
            QProcess gs;
            gs.setStandardOutputFile(QProcess::nullDevice());
            gs.setStandardErrorFile(QProcess::nullDevice());
            gs.start(gsExe, args.mid(1));
            const bool finished = gs.waitForFinished(-1);
            const int rc = finished && gs.exitStatus() == QProcess::NormalExit ? gs.exitCode() : -1;
            executable.push_back(timer.nsecsElapsed() / 1e9);
            failed = failed || rc != 0 || out.entryList(QDir::Files).size() != written;
        }
        const double lib = bench::median(library), exe = bench::median(executable);
        const QByteArray what =
            c.what.isEmpty() ? QByteArray("conversion of 50 pages to ") + c.name : c.what;
        std::printf(
            "%s: conversion run %.3f s, gs executable %.3f s, ratio %.3f (target <= %.2f)\n",
            what.constData(), lib, exe, lib / exe, c.target);
        quillorn::bench::resultRow(what.constData(), lib, "gs executable, same arguments", exe,
                                   "s");
    }
    failed = failed || dialogs.questions > 0;
    return failed ? 1 : 0;
}
