// Documents that never end or grow without bound, through the real redraw and conversion with
// the real library: the window's events keep being served, the user's Stop or Cancel (or the
// program's own limits) end the run, nothing is left running or lying about, and the next
// document renders.
#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "tests/viewer/viewer_host.h"

#include <QDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <zlib.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {

// A PDF whose one content stream inflates twice to 1 GiB of blanks.
QByteArray flateBomb() {
    const auto squeeze = [](const std::function<bool(z_stream&)>& feed) {
        z_stream z{};
        deflateInit(&z, 9);
        QByteArray out;
        std::array<unsigned char, 65536> buffer{};
        for (bool more = true; more;) {
            more = feed(z);
            do {
                z.next_out = buffer.data();
                z.avail_out = buffer.size();
                deflate(&z, more ? Z_NO_FLUSH : Z_FINISH);
                out.append(reinterpret_cast<char*>(buffer.data()),
                           static_cast<qsizetype>(buffer.size() - z.avail_out));
            } while (z.avail_out == 0);
        }
        deflateEnd(&z);
        return out;
    };
    QByteArray blanks(64 << 20, ' ');
    int rounds = 16;
    const QByteArray inner = squeeze([&](z_stream& z) {
        z.next_in = reinterpret_cast<unsigned char*>(blanks.data());
        z.avail_in = static_cast<uInt>(blanks.size());
        return --rounds > 0;
    });
    QByteArray source = inner;
    const QByteArray outer = squeeze([&](z_stream& z) {
        z.next_in = reinterpret_cast<unsigned char*>(source.data());
        z.avail_in = static_cast<uInt>(source.size());
        return false;
    });
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    const auto object = [&](const QByteArray& body) {
        offsets << pdf.size();
        pdf += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    };
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 4 0 R >>");
    object("<< /Length " + QByteArray::number(outer.size()) +
           " /Filter [/FlateDecode /FlateDecode] >>\nstream\n" + outer + "\nendstream");
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 5\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf +=
        "trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

struct Runaway {
    const char* name;
    QByteArray document;
    bool convertible = false; // a PDF of it is no trouble
};

// The runs in progress, counted through their private folders.
int workersRunning() {
    return static_cast<int>(
        QDir::temp().entryList({QStringLiteral("quillorn-*")}, QDir::Dirs).size());
}

} // namespace

TEST(Runaway, StopEndsEveryRunawayRenderAndConversion) {
    const Runaway runaways[] = {
        {"loop", "%!PS\n{} loop\n"},
        {"alloc", "%!PS\n/a null def { /a [ a 1048576 string ] def } loop\n"},
        {"flate bomb", flateBomb()},
        // 100 inches square at 300 dpi would be a 2.6 GB bitmap: refused before it is written.
        {"huge page", "%!PS\n<< /PageSize [7200 7200] >> setpagedevice\nshowpage\n", true},
    };
    ViewerHost host;
    host.runner.setMemoryLimit(512LL << 20); // reached by the allocation before the user's Stop
    host.options.resolution = 300;
    const QString good = writeTwoPagePostScript(QStringLiteral("runaway/good.ps"));
    for (const Runaway& runaway : runaways) {
        SCOPED_TRACE(runaway.name);
        const QString doc = writeFile(QStringLiteral("runaway/") + QLatin1String(runaway.name) +
                                          QStringLiteral(".doc"),
                                      runaway.document);
        int ticks = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&] { ++ticks; });
        ticker.start(10);
        // The user's Stop, unless the run has ended before.
        QTimer stop;
        stop.setSingleShot(true);
        QObject::connect(&stop, &QTimer::timeout, &host.document,
                         &viewer::DocumentController::stop);
        stop.start(1500);
        host.dialogs.boxes.clear();
        host.document.loadFile(doc); // Abort, for whatever box the run ends in
        stop.stop();
        EXPECT_FALSE(host.document.isRendering());
        EXPECT_GT(ticks, 2); // the window was served while Ghostscript ran
        EXPECT_EQ(workersRunning(), 0);

        // The same document converted, cancelled from the progress window.
        struct CancelLater : convert::ConversionProgress {
            QTimer timer;
            void started(std::optional<int>, std::function<void()> cancel) override {
                timer.setSingleShot(true);
                QObject::connect(&timer, &QTimer::timeout, std::move(cancel));
                timer.start(1500);
            }
            void pageReached(int) override {}
            void finished() override { timer.stop(); }
        } progress;
        const QString pdf = QDir(scratchDir()).filePath(QStringLiteral("runaway/out.pdf"));
        const convert::ConvertSettings settings{
            doc, convert::kFormatPdf, -1, QStringLiteral("90"), QStringLiteral("72"), 2, 2, pdf};
        // A run that comes to an end before the Cancel (a fast machine gets through the bomb)
        // writes its PDF; one that is cancelled leaves nothing.
        const convert::RunOutcome outcome = convert::runConversion(
            settings, host.options, {host.dialogs, host.runner, host.messages, {}, &progress});
        EXPECT_EQ(QFile::remove(pdf), outcome == convert::RunOutcome::CloseDialog);
        EXPECT_TRUE(!runaway.convertible || outcome == convert::RunOutcome::CloseDialog);
        EXPECT_EQ(workersRunning(), 0);

        host.document.loadFile(good);
        EXPECT_EQ(host.page(), QSize(833, 417)) << host.dialogs.texts().join(u'|').toStdString();
    }
    EXPECT_EQ(tempLeftovers(), QStringList());
}
