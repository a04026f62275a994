// Documents that never end or grow without bound, through the real redraw and conversion with
// the real library: the window's events keep being served, the user's Stop or Cancel (or the
// program's own limits) end the run, nothing is left running or lying about, and the next
// document renders.
#include "tests/integration/integration_host.h"

#include <QDir>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {

// A PDF whose one content stream inflates twice to 1 GiB of blanks.
QByteArray flateBomb() {
    const QByteArray stream = deflated(deflated(QByteArray(64 << 20, ' '), 16), 1);
    return pdfOfObjects(
        {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents 4 0 R >>",
         "<< /Length " + QByteArray::number(stream.size()) +
             " /Filter [/FlateDecode /FlateDecode] >>\nstream\n" + stream + "\nendstream"});
}

// The runs in progress, counted through their private folders.
int workersRunning() {
    return static_cast<int>(
        QDir::temp().entryList({QStringLiteral("quillorn-*")}, QDir::Dirs).size());
}

} // namespace

TEST(Runaway, StopEndsEveryRunawayRenderAndConversion) {
    const std::pair<const char*, QByteArray> runaways[] = {
        {"loop", "%!PS\n{} loop\n"},
#ifndef __SANITIZE_ADDRESS__ // a sanitized worker runs without the address-space limit
        {"alloc", "%!PS\n/a null def { /a [ a 1048576 string ] def } loop\n"},
#endif
        {"flate bomb", flateBomb()}};
    ViewerHost host;
    host.runner.setMemoryLimit(512LL << 20); // reached by the allocation before the user's Stop
    host.options.resolution = 300;
    const QString good = writeTwoPagePostScript(QStringLiteral("runaway/good.ps"));
    for (const auto& [name, document] : runaways) {
        SCOPED_TRACE(name);
        const QString doc = writeFile(
            QStringLiteral("runaway/") + QLatin1String(name) + QStringLiteral(".doc"), document);
        // The user's Stop, unless the run has ended before: it comes only if the window's events
        // are served while Ghostscript runs.
        QTimer stop;
        stop.setSingleShot(true);
        QObject::connect(&stop, &QTimer::timeout, &host.document,
                         &viewer::DocumentController::stop);
        stop.start(1500);
        host.dialogs.boxes.clear();
        host.loadFile(doc); // Abort, for whatever box the run ends in
        stop.stop();
        EXPECT_FALSE(host.document.isRendering());
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
        // A run that comes to an end before the Cancel (a fast machine gets through the bomb)
        // writes its PDF; one that is cancelled leaves nothing.
        const convert::RunOutcome outcome =
            convertWith(host, doc, convert::kFormatPdf, -1, pdf, &progress);
        EXPECT_EQ(QFile::remove(pdf), outcome == convert::RunOutcome::CloseDialog);
        EXPECT_EQ(workersRunning(), 0);

        host.loadFile(good);
        EXPECT_EQ(host.page(), QSize(833, 417)) << host.dialogs.texts().join(u'|').toStdString();
    }
    host.document.closeDocument(); // with a page it may be rendering ahead
    EXPECT_EQ(tempLeftovers(), QStringList());
}
