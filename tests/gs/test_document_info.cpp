// A document's page count from its own DSC comments, checked against the pages Ghostscript
// ships: the comments of an embedded EPS and the lines of data sections are not the document's.
#include "base/message_log.h"
#include "gs/document_info.h"
#include "gs/runner.h"
#include "tests/support/runs.h"
#include "tests/support/test_env.h"

#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace quillorn;

namespace {

struct Quiet : MessageSink {
    void addMessage(const QString&) override {}
};

// The pages Ghostscript ships for the document.
int shippedPages(const QString& document) {
    gs::Binding binding;
    Quiet quiet;
    const gs::RunResult result = test::runInProcess(
        binding,
        {QStringLiteral("gswin32c"), QStringLiteral("-q"), QStringLiteral("-dSAFER"),
         QStringLiteral("-dBATCH"), QStringLiteral("-dNOPAUSE"),
         QStringLiteral("-sDEVICE=nullpage"), document},
        quiet);
    return result.succeeded() ? result.pages : -1;
}

} // namespace

TEST(DocumentInfo, AnEmbeddedDocumentsCommentsAreNotCounted) {
    // groff puts each picture's own "%%Pages: 1" and trailer inside %%BeginDocument.
    const QString dir = test::scratchDir() + QStringLiteral("/document info");
    test::writeFile(dir + QStringLiteral("/picture.eps"),
                    "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 100 100\n%%Pages: 1\n"
                    "%%EndComments\n0 0 moveto 100 100 lineto stroke\n%%Trailer\n%%EOF\n");
    QByteArray source;
    for (int page = 1; page <= 22; ++page)
        source += (page > 1 ? ".bp\n" : "") + QByteArray(".PSPIC picture.eps\nPage ") +
                  QByteArray::number(page) + '\n';
    QProcess groff;
    groff.setWorkingDirectory(dir);
    groff.start(QStringLiteral("groff"), {QStringLiteral("-Tps")});
    groff.write(source);
    groff.closeWriteChannel();
    ASSERT_TRUE(groff.waitForFinished(30000)) << "groff (groff-base) is needed";
    const QString groffed = test::writeFile(dir + QStringLiteral("/groffed.ps"), groff.readAll());
    ASSERT_EQ(test::readFile(groffed).count("\n%%Pages: 1\n"), 22);

    // By hand: "(atend)", an embedded file with a trailer of its own, and data sections (by
    // bytes and by lines) holding DSC lines; to Ghostscript these are comments.
    const QByteArray data = "%%BeginDocument: not one\n%%Page: 9 9\n%%Trailer\n%%Pages: 9\n";
    const QString byHand = test::writeFile(
        dir + QStringLiteral("/by hand.ps"),
        "%!PS-Adobe-3.0\n%%Pages: (atend)\n%%EndComments\n%%Page: 1 1\n"
        "%%BeginData: " +
            QByteArray::number(data.size()) + " ASCII Bytes\n" + data +
            "%%EndData\n%%BeginBinary: " + QByteArray::number(data.size()) + "\n" + data +
            "%%EndBinary\n%%BeginData: 4 ASCII Lines\n" + data +
            "%%EndData\nshowpage\n%%Page: 2 2\n%%BeginDocument: inner.eps\n"
            "%!PS-Adobe-3.0 EPSF-3.0\n%%Pages: (atend)\n%%BeginDocument: deeper.eps\n"
            "%%Trailer\n%%Pages: 5\n%%EndDocument\n%%Trailer\n%%Pages: 1\n%%EndDocument\n"
            "showpage\n%%Page: 3 3\nshowpage\n%%Trailer\n%%Pages: 3\n%%EOF\n");

    for (const auto& [file, pages] : {std::pair{groffed, 22}, {byHand, 3}}) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_EQ(shippedPages(file), pages);
        EXPECT_EQ(gs::cheapPageCount(file), pages);
        EXPECT_EQ(gs::cheapPageCount(test::writeFile(file + QStringLiteral(".gz"),
                                                     test::gzipped(test::readFile(file)))),
                  pages);
    }
}
