// Runaway documents through the real redraw with the real library, as a user meets them: an
// endless loop, an allocation without end, broken cross-reference streams, a Flate bomb and a
// 100-inch page at 300 dpi. Each render is left alone for up to RUNAWAY_SECONDS (default 10)
// and then stopped as the user's Stop does. One line per document: how the run ended (the
// user's Stop, the memory limit, the size limit, or by itself), how long it ran, the longest
// wait of a 10 ms timer meanwhile (the window's responsiveness), the time from Stop to the
// worker gone, and the program's own peak memory. The worker's address space is limited to
// RUNAWAY_LIMIT_MB (default 2048) so that a run cannot take the machine down.
#include "bench/process_status.h"
#include "bench/silent_dialogs.h"
#include "bench/until_drawn.h"
#include "gs/worker_runner.h"
#include "viewer/core/document_controller.h"
#include "viewer/page_view.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <zlib.h>

using namespace quillorn;

namespace {

QByteArray deflated(const QByteArray& bytes, int copies) {
    z_stream z{};
    deflateInit(&z, 9);
    QByteArray out;
    std::array<unsigned char, 65536> buffer{};
    for (int i = 0; i < copies; ++i) {
        z.next_in = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
        z.avail_in = static_cast<uInt>(bytes.size());
        const int flush = i + 1 == copies ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = buffer.data();
            z.avail_out = buffer.size();
            deflate(&z, flush);
            out.append(reinterpret_cast<char*>(buffer.data()),
                       static_cast<qsizetype>(buffer.size() - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

// A one-page PDF around a content stream, with a cross-reference table or the given xref
// stream dictionary and data.
QByteArray pdf(const QByteArray& content, const QByteArray& filters,
               const QByteArray& xrefDict = {}, const QByteArray& xrefData = {}) {
    QByteArray out = "%PDF-1.5\n";
    QList<qsizetype> offsets;
    const auto object = [&](const QByteArray& body) {
        offsets << out.size();
        out += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 4 0 R >>");
    object("<< /Length " + QByteArray::number(content.size()) + " /Filter [" + filters +
           "] >>\nstream\n" + content + "\nendstream");
    const qsizetype start = out.size();
    if (xrefDict.isEmpty()) {
        out += "xref\n0 5\n0000000000 65535 f \n";
        for (const qsizetype offset : offsets)
            out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
        out += "trailer\n<< /Size 5 /Root 1 0 R >>\n";
    } else {
        out += "5 0 obj\n<< /Type /XRef /W [1 4 1] /Root 1 0 R " + xrefDict + " /Length " +
               QByteArray::number(xrefData.size()) + " >>\nstream\n" + xrefData +
               "\nendstream\nendobj\n";
    }
    return out + "startxref\n" + QByteArray::number(start) + "\n%%EOF\n";
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/quillorn-bench-XXXXXX"));
    if (!scratch.isValid())
        return 2;
    qputenv("TMPDIR", QFile::encodeName(scratch.path()));
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int seconds = qEnvironmentVariableIntValue("RUNAWAY_SECONDS") > 0
                            ? qEnvironmentVariableIntValue("RUNAWAY_SECONDS")
                            : 10;
    const qint64 limitMb = qEnvironmentVariableIntValue("RUNAWAY_LIMIT_MB") > 0
                               ? qEnvironmentVariableIntValue("RUNAWAY_LIMIT_MB")
                               : 2048;

    const QByteArray box = deflated("0 0 1 rg 20 20 60 60 re f\n", 1);
    const QByteArray rows = deflated(QByteArray(30, '\x01'), 1);
    const struct {
        const char* name;
        QByteArray bytes;
    } documents[] = {
        {"loop.ps", "%!PS\n{} loop\n"},
        {"alloc.ps", "%!PS\n/a null def { /a [ a 1048576 string ] def } loop\n"},
        {"xref-garbage.pdf", pdf(box, "/FlateDecode", "/Size 6 /Filter /FlateDecode", rows)},
        {"xref-huge-size.pdf",
         pdf(box, "/FlateDecode", "/Size 2147483647 /Index [0 2147483647] /Filter /FlateDecode",
             rows)},
        // 4 GiB of blanks, deflated twice: a content stream of a few kilobytes.
        {"flate-bomb.pdf",
         pdf(deflated(deflated(QByteArray(64 << 20, ' '), 64), 1), "/FlateDecode /FlateDecode")},
        {"huge-page.ps", "%!PS\n<< /PageSize [7200 7200] >> setpagedevice\nshowpage\n"},
    };

    bench::SilentDialogs dialogs;
    bench::DroppedMessages messages;
    gs::WorkerRunner runner(QStringLiteral(QUILLORN_WORKER));
    runner.setMemoryLimit(limitMb << 20);
    options::Options options;
    options.safer = true;
    options.colourDepth = options::ColourDepth::TrueColour;
    options.textAlpha = options.graphicsAlpha = 2;
    options.media = options::Paper::Letter;
    options.resolution = 300;
    viewer::PageView view;
    viewer::DocumentController document(dialogs, options, messages, runner, view);
    view.show();

    std::printf("Runaway documents, redraw at 300 dpi, worker limit %lld MB, Stop after %d s\n\n",
                static_cast<long long>(limitMb), seconds);
    std::printf(
        "| document | ended by | ran s | longest gap ms | stop to gone ms | peak RSS MB |\n");
    std::printf("|---|---|---|---|---|---|\n");
    for (const auto& [name, bytes] : documents) {
        const QString path = scratch.filePath(QLatin1String(name));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 2;
        file.write(bytes);
        file.close();

        QElapsedTimer run, gap, stopClock;
        qint64 longest = 0;
        bool stopped = false;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longest = std::max(longest, gap.restart()); });
        QTimer stopper;
        stopper.setSingleShot(true);
        QObject::connect(&stopper, &QTimer::timeout, &stopper, [&] {
            stopped = true;
            stopClock.start();
            document.stop();
        });
        const int questionsBefore = dialogs.questions;
        QString status;
        const auto connection =
            QObject::connect(&document, &viewer::DocumentController::statusChanged,
                             [&](const QString& text) { status = text; });
        ticker.start(10);
        gap.start();
        run.start();
        stopper.start(seconds * 1000);
        bench::untilDrawn(document, [&] { document.loadFile(path); });
        ticker.stop();
        stopper.stop();
        QObject::disconnect(connection);
        const double ran = static_cast<double>(run.elapsed()) / 1000.0;
        const QString how = stopped ? QStringLiteral("the user's Stop")
                            : dialogs.questions > questionsBefore
                                ? QStringLiteral("a message: ") + dialogs.lastQuestion.left(60)
                                : QStringLiteral("itself: ") + status;
        std::printf("| %s | %s | %.2f | %lld | %s | %.0f |\n", name, qPrintable(how), ran,
                    static_cast<long long>(longest),
                    stopped ? qPrintable(QString::number(stopClock.nsecsElapsed() / 1e6, 'f', 1))
                            : "-",
                    static_cast<double>(bench::statusKb("VmHWM:")) / 1024.0);
        std::fflush(stdout);
        document.closeDocument();
    }
    return 0;
}
