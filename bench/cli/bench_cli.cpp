// The programs as a shell runs them, each against the gs executable with the same arguments,
// alternating, median times: "quillorn --convert" of bash(1) set by groff to PNG at 150 dpi (its
// pages checked byte for byte against gs's with cmp) and to PDF; ten 10-page documents to PDF in
// one call against ten gs runs in a shell loop; quillorn-thumbnailer on tiger.eps and on
// bash(1)'s page 1 at 256 pixels against gs drawing that page at that size.
// Usage: bench_cli [rounds]   (gs, sh and cmp on PATH; man, gzip and groff for the manual)
#include "app/core/thumbnail.h"
#include "base/settings_store.h"
#include "bench/documents.h"
#include "bench/result_row.h"
#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "options/core/options_store.h"
#include "options/core/paper.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <functional>
#include <random>

using namespace quillorn;

namespace {

// A program run to its end in folder; its time in seconds, or -1 when it failed.
double timed(const QString& program, const QStringList& args, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, args);
    const bool ok = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit &&
                    process.exitCode() == 0;
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
    return ok ? seconds : -1;
}

void emptied(const QString& folder) {
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

// tiger.eps from Ghostscript's examples, where the installation has them; otherwise a picture of
// as many curves made here.
QString tiger(const QString& root) {
    for (const char* place : {"/usr/share/ghostscript", "/usr/share/doc/ghostscript"})
        for (QDirIterator it(QLatin1String(place), {QStringLiteral("tiger.eps")}, QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            return it.next();
    std::fprintf(stderr, "no tiger.eps installed: a picture of 2,000 filled curves instead\n");
    QByteArray eps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 17 171 567 739\n";
    // A fixed sequence, so that every run draws the same picture.
    std::minstd_rand numbers;
    const auto next = [&numbers](int range) {
        return static_cast<int>(numbers() % static_cast<unsigned>(range));
    };
    for (int i = 0; i < 2000; ++i) {
        eps += QByteArray::number(next(100) / 100.0) + ' ' + QByteArray::number(next(100) / 100.0) +
               ' ' + QByteArray::number(next(100) / 100.0) + " setrgbcolor newpath ";
        eps += QByteArray::number(17 + next(550)) + ' ' + QByteArray::number(171 + next(568)) +
               " moveto";
        for (int c = 0; c < 6; ++c)
            eps += ' ' + QByteArray::number(17 + next(550)) + ' ' +
                   QByteArray::number(171 + next(568));
        eps += " curveto closepath " + QByteArray(i % 3 ? "fill\n" : "0.5 setlinewidth stroke\n");
    }
    const QString path = root + QStringLiteral("/tiger.eps");
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(eps) == eps.size() ? path : QString();
}

QByteArray tenPages(int document) {
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: 10\n/Helvetica findfont 12 scalefont setfont\n";
    for (int page = 1; page <= 10; ++page) {
        ps += "%%Page: " + QByteArray::number(page) + ' ' + QByteArray::number(page) + '\n';
        for (int line = 0; line < 50; ++line)
            ps += "72 " + QByteArray::number(740 - line * 13) + " moveto (Document " +
                  QByteArray::number(document) + ", page " + QByteArray::number(page) + ", line " +
                  QByteArray::number(line) + ": pack my box with five dozen) show\n";
        ps += "showpage\n";
    }
    return ps + "%%EOF\n";
}

QString written(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

struct Figure {
    std::vector<double> ours, theirs;
    bool failed = false;
};

// Alternates the two, rounds times, each after prepare(ours?); check(ours?) after each says
// whether it did its work.
Figure race(int rounds, const std::function<double()>& ours, const std::function<double()>& theirs,
            const std::function<void(bool)>& prepare, const std::function<bool(bool)>& check) {
    Figure f;
    for (int round = 0; round < rounds; ++round) {
        prepare(true);
        const double a = ours();
        f.failed = f.failed || a < 0 || !check(true);
        prepare(false);
        const double b = theirs();
        f.failed = f.failed || b < 0 || !check(false);
        f.ours.push_back(a);
        f.theirs.push_back(b);
    }
    return f;
}

bool report(const QByteArray& what, const Figure& f, double goal) {
    const double ours = bench::median(f.ours), theirs = bench::median(f.theirs);
    std::fprintf(stderr, "%s: %.3f s, gs %.3f s, ratio %.3f (goal <= %.2f)%s\n", what.constData(),
                 ours, theirs, ours / theirs, goal, f.failed ? " FAILED" : "");
    bench::resultRow(what.constData(), ours, "gs executable, same arguments", theirs, "s");
    return !f.failed;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillorn-bench-XXXXXX"));
    const QString root = scratch.path();
    bench::useScratchHome(root);
    const QString gs = QStandardPaths::findExecutable(QStringLiteral("gs"));
    if (gs.isEmpty()) {
        std::fprintf(stderr, "no gs executable on PATH\n");
        return 2;
    }
    const QString quillorn = QStringLiteral(QUILLORN_BINARY);
    const QString out = root + QStringLiteral("/out");
    const QByteArray manual = bench::manualPages();
    const QString bash = written(root + QStringLiteral("/bash.ps"), manual);
    const QString manualName = QStringLiteral("bash(1), %1 pages,").arg(manual.count("\n%%Page:"));
    bool ok = !bash.isEmpty();

    // The arguments the command line builds: the stored options (none here) as read, safer.
    options::Options options = options::readOptions(SettingsStore(), options::systemDefaultMedia());
    options.safer = true;
    const auto gsArguments = [&](int format, int choice, const QString& output,
                                 const QString& input) {
        convert::ConvertSettings s{
            input, format, choice, QStringLiteral("90"), QStringLiteral("150"), 2, 2, output};
        return convert::libraryArguments(convert::convertArgumentList(s, options)).mid(1);
    };
    const auto empty = [&](bool) { emptied(out); };
    const int cores = QThread::idealThreadCount();

    // bash(1) to PNG at 150 dpi: ours, then gs's pages beside them, compared with cmp.
    {
        const QString gsOut = root + QStringLiteral("/gs-png");
        const QStringList ours = {QStringLiteral("--convert"),
                                  bash,
                                  QStringLiteral("--format=png"),
                                  QStringLiteral("--resolution=150"),
                                  QStringLiteral("--output=") + out +
                                      QStringLiteral("/bash-%d.png"),
                                  QStringLiteral("--quiet")};
        Figure f = race(
            rounds, [&] { return timed(quillorn, ours, root); },
            [&] {
                return timed(gs,
                             gsArguments(convert::kFormatPng, 4,
                                         gsOut + QStringLiteral("/bash-%d.png"), bash),
                             root);
            },
            [&](bool mine) {
                // gs writes beside our pages, for the comparison.
                if (mine) {
                    emptied(out);
                    emptied(gsOut);
                }
            },
            [&](bool mine) {
                if (mine)
                    return true;
                // Both have written: the same files, byte for byte.
                const QStringList pages = QDir(gsOut).entryList(QDir::Files);
                bool same = !pages.isEmpty() && pages == QDir(out).entryList(QDir::Files);
                for (const QString& page : pages)
                    same = same && QProcess::execute(QStringLiteral("cmp"),
                                                     {QStringLiteral("-s"), out + u'/' + page,
                                                      gsOut + u'/' + page}) == 0;
                if (!same)
                    std::fprintf(stderr, "PNG pages differ from gs's\n");
                return same;
            });
        ok = report((manualName +
                     QStringLiteral(" quillorn --convert to PNG 150 dpi on %1 cores").arg(cores))
                        .toUtf8(),
                    f, 0.6) &&
             ok;
    }
    // bash(1) to PDF.
    {
        const QStringList ours = {QStringLiteral("--convert"), bash,
                                  QStringLiteral("--output=") + out + QStringLiteral("/bash.pdf"),
                                  QStringLiteral("--resolution=150"), QStringLiteral("--quiet")};
        const QString pdf = out + QStringLiteral("/bash.pdf");
        Figure f = race(
            rounds, [&] { return timed(quillorn, ours, root); },
            [&] { return timed(gs, gsArguments(convert::kFormatPdf, -1, pdf, bash), root); }, empty,
            [&](bool) { return QFileInfo(pdf).size() > 0; });
        ok =
            report((manualName + QStringLiteral(" quillorn --convert to PDF")).toUtf8(), f, 1.05) &&
            ok;
    }
    // Ten documents of ten pages to PDF: one call against a shell loop of gs runs.
    {
        const QString docs = root + QStringLiteral("/ten");
        QDir().mkpath(docs);
        QStringList inputs;
        QString loop;
        for (int d = 1; d <= 10; ++d) {
            inputs << written(docs + QStringLiteral("/doc%1.ps").arg(d), tenPages(d));
            QStringList args = gsArguments(
                convert::kFormatPdf, -1, out + QStringLiteral("/doc%1.pdf").arg(d), inputs.back());
            for (QString& arg : args)
                arg = u'\'' + arg + u'\'';
            loop += QStringLiteral("'%1' %2 || exit 1\n").arg(gs, args.join(u' '));
        }
        const QStringList ours =
            QStringList{QStringLiteral("--convert")} + inputs +
            QStringList{QStringLiteral("--output=") + out + u'/',
                        QStringLiteral("--resolution=150"), QStringLiteral("--quiet")};
        Figure f = race(
            rounds, [&] { return timed(quillorn, ours, root); },
            [&] {
                return timed(QStringLiteral("sh"), {QStringLiteral("-c"), loop}, root);
            },
            empty,
            [&](bool) { return QDir(out).entryList({QStringLiteral("*.pdf")}).size() == 10; });
        ok = report("ten 10-page documents to PDF, one quillorn --convert against a shell loop of "
                    "gs",
                    f, 0.8) &&
             ok;
    }
    // Thumbnails at 256 pixels.
    for (const QString& input : {tiger(root), bash}) {
        if (input.isEmpty()) {
            ok = false;
            continue;
        }
        const QString thumbnail = out + QStringLiteral("/thumbnail.png");
        Figure f = race(
            rounds,
            [&] {
                return timed(QStringLiteral(QUILLORN_THUMBNAILER),
                             {QStringLiteral("-s"), QStringLiteral("256"),
                              QStringLiteral("file://") + input, thumbnail},
                             root);
            },
            [&] { return timed(gs, app::thumbnailArguments(input, thumbnail, 256).mid(1), root); },
            empty, [&](bool) { return QFileInfo(thumbnail).size() > 0; });
        ok = report(QStringLiteral("thumbnail of %1 page 1 at 256 px, quillorn-thumbnailer")
                        .arg(QFileInfo(input).fileName())
                        .toUtf8(),
                    f, 1.2) &&
             ok;
    }
    return ok ? 0 : 1;
}
