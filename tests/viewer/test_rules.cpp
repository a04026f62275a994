// The window-free rules of the viewer: the render argument line, page answers, dropped files and
// loading the bitmap the real library writes.
#include "gs/api.h"
#include "gs/arguments.h"
#include "tests/viewer/viewer_host.h"
#include "viewer/core/document_files.h"
#include "viewer/core/dsc_bounding_box.h"
#include "viewer/core/page_bitmap.h"
#include "viewer/core/page_number.h"
#include "viewer/core/render_arguments.h"

#include <QFileInfo>
#include <QImageReader>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::viewer;

// Blanks and non-ASCII letters in both paths stay inside one element each; a name Ghostscript
// would read as an argument file is passed as an absolute path. Then every option in its place.
TEST(RenderArguments, FirstStartGivesThirteenElementsAndEveryOptionTakesItsPlace) {
    const QString temp = QStringLiteral("/scratch/my temp dir/KMW 1/page.bmp");
    const QString doc = QStringLiteral("@Meine Dokumente/Übersicht größe.ps");
    gs::Arguments args = renderArguments(test::firstStartOptions(), 1);
    args << gs::outputFileSwitch(temp) << gs::inputFileArgument(doc);
    EXPECT_EQ(args.list(), QStringLiteral("quillorn -dNOPAUSE -dBATCH -dSAFER -sDEVICE=bmp16m -r75 "
                                          "-dGraphicsAlphaBits=2 -dTextAlphaBits=2 "
                                          "-sPAPERSIZE=11x17 -dFirstPage=1 -dLastPage=1")
                                   .split(u' ')
                               << QStringLiteral("-sOutputFile=") + temp
                               << QFileInfo(doc).absoluteFilePath());
    options::Options o = test::firstStartOptions();
    o.safer = false, o.colourDepth = options::ColourDepth::Grey, o.resolution = 300;
    o.graphicsAlpha = 4, o.textAlpha = 1, o.media = options::Paper::Letter;
    o.overrideDefaultMedia = true;
    EXPECT_EQ(renderArguments(o, -2).list(),
              QStringLiteral("quillorn -dNOPAUSE -dBATCH -dNOSAFER -sDEVICE=bmpgray -r300 "
                             "-dGraphicsAlphaBits=4 -dTextAlphaBits=1 -sPAPERSIZE=letter "
                             "-dFIXEDMEDIA -dFirstPage=-2 -dLastPage=-2")
                  .split(u' '));
}

TEST(PageRules, AnswerGivesTheWholePageRoundedDownWithinSixteenBits) {
    const std::pair<const char*, int> pages[] = {{"3.9", 3},         {"-0.5", -1},
                                                 {"  7 ", 7},        {"1e2", 100},
                                                 {"32767.9", 32767}, {"-32768", -32768}};
    for (const auto& [answer, page] : pages)
        EXPECT_EQ(pageFromAnswer(QLatin1String(answer), QLocale::c()), qint16(page)) << answer;
    for (const char* answer : {"", "12abc", "32768", "-32768.5", "inf", "nan", "1,5", "&H10"})
        EXPECT_FALSE(pageFromAnswer(QLatin1String(answer), QLocale::c())) << answer;
    // The user's decimal separator and the point both read; a point never groups thousands.
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(pageFromAnswer(QStringLiteral("2,7"), german), qint16(2));
    EXPECT_EQ(pageFromAnswer(QStringLiteral("1.000"), german), qint16(1));
}

TEST(DroppedDocument, OneLocalDocumentByItsExtensionInAnyCase) {
    const QString doc = test::writeTwoPagePostScript(QStringLiteral("drop/Über drop.EPS"));
    const QString folder = QFileInfo(test::writeFile(QStringLiteral("drop/dir.pdf/x"), "x")).path();
    EXPECT_EQ(droppedDocument({QUrl::fromLocalFile(doc)}), doc);
    const QList<QUrl> refused[] = {
        {},
        {QUrl::fromLocalFile(doc), QUrl::fromLocalFile(doc)},
        {QUrl::fromLocalFile(folder)},
        {QUrl::fromLocalFile(test::writeFile(QStringLiteral("drop/a.txt"), "x"))},
        {QUrl(QStringLiteral("http://127.0.0.1/a.ps"))}};
    for (const QList<QUrl>& urls : refused)
        EXPECT_FALSE(droppedDocument(urls)) << urls.value(0).toString().toStdString();
}

// The header's box, or with "(atend)" the trailer's last one; reals and any line ends read.
TEST(BoundingBox, HeaderOrTrailerCommentElseNothing) {
    const BoundingBox box{10, 20, 190, 80};
    const std::pair<const char*, std::optional<BoundingBox>> documents[] = {
        {"%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 10 20 190 80\n%%EndComments\n", box},
        {"%!PS\r\n%%Title: x\r\n%%BoundingBox:10.0 20 190 80.0\r\n", box},
        {"%!PS\n%%BoundingBox: (atend)\n%%EndComments\nshowpage\n%%Trailer\n"
         "%%BoundingBox: 0 0 5 5\n%%BoundingBox: 10 20 190 80\n%%EOF\n",
         box},
        // After the header's end, in the body, and an "(atend)" without a trailer.
        {"%!PS\n%%EndComments\n%%BoundingBox: 10 20 190 80\n", std::nullopt},
        {"%!PS\nshowpage\n%%BoundingBox: 10 20 190 80\n", std::nullopt},
        {"%!PS\n%%BoundingBox: (atend)\n%%BoundingBox: 10 20 190 80\n", std::nullopt},
        {"%!PS\n%%BoundingBox: 10 20 190\n", std::nullopt},
        {"%!PS\n%%BoundingBox: 10 20 10 80\n", std::nullopt},
        {"%!PS\n%%BoundingBox: a b c d\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [text, expected] : documents) {
        const QString path = test::writeFile(QStringLiteral("bbox/doc.ps"), text);
        EXPECT_EQ(documentBoundingBox(path), expected) << text;
    }
    // The PostScript part of an EPS file with a binary preview header; a PDF has no box.
    const QByteArray ps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 10 20 190 80\n";
    QByteArray eps(30, '\0');
    eps.replace(0, 4, "\xC5\xD0\xD3\xC6");
    qToLittleEndian<quint32>(30, eps.data() + 4);
    qToLittleEndian<quint32>(quint32(ps.size()), eps.data() + 8);
    eps += ps + QByteArray(100, '\xFF'); // the preview
    EXPECT_EQ(documentBoundingBox(test::writeFile(QStringLiteral("bbox/preview.eps"), eps)), box);
    EXPECT_FALSE(documentBoundingBox(test::writeTwoPagePdf(QStringLiteral("bbox/two.pdf"))));
    EXPECT_FALSE(documentBoundingBox(test::scratchDir() + QStringLiteral("/bbox/missing.ps")));
}

// Page 1 of the two-page document at 600 dpi in every colour depth, written by the real library
// with the device the renderer picks for it.
TEST(PageBitmap, EveryDepthLoadsButCutOrOversizedFilesHoldNoPicture) {
    const QString doc = test::writeTwoPagePostScript(QStringLiteral("bitmaps/two.ps"));
    gs::Binding binding;
    for (int depth = 0; depth < options::kColourDepthCount; ++depth) {
        SCOPED_TRACE(depth);
        const QString bmp = test::scratchDir() + QStringLiteral("/bitmaps/%1.bmp").arg(depth);
        options::Options o = test::firstStartOptions();
        o.colourDepth = static_cast<options::ColourDepth>(depth), o.resolution = 600;
        gs::Arguments args = renderArguments(o, 1);
        binding.run((args << gs::outputFileSwitch(bmp) << gs::inputFileArgument(doc)).list(), {});
        const std::optional<QImage> page = loadPageBitmap(bmp);
        ASSERT_TRUE(page);
        EXPECT_EQ(page->size(), QSize(1667, 833)); // 200 x 100 points
        // The blue square on white paper; black and white and grey have no blue.
        EXPECT_EQ(page->pixelColor(5, 5), QColor(Qt::white));
        EXPECT_NE(page->pixelColor(416, 417), QColor(Qt::white));
        EXPECT_EQ(page->allGray(), depth < 2);
        EXPECT_EQ(page->depth() == 1, depth == 0);

        const QByteArray bytes = test::readFile(bmp);
        QByteArray huge = bytes;
        qToLittleEndian<qint32>(1 << 30, huge.data() + 18);
        // Stopped after the header or one byte short, and a header that promises a huge page.
        for (const QByteArray& cut : {bytes.left(60), bytes.chopped(1), huge})
            EXPECT_FALSE(loadPageBitmap(test::writeFile(QStringLiteral("bitmaps/cut.bmp"), cut)));
        EXPECT_FALSE(loadPageBitmap(bmp, 1)); // over a limit of one megabyte once decoded
    }
    EXPECT_EQ(QImageReader::allocationLimit(), 128); // Qt's own limit is left as it was
    for (const QByteArray& junk : {QByteArray(), QByteArray(5000, 'x')})
        EXPECT_FALSE(loadPageBitmap(test::writeFile(QStringLiteral("bitmaps/junk.bmp"), junk)));
    EXPECT_FALSE(loadPageBitmap(test::scratchDir() + QStringLiteral("/bitmaps/missing.bmp")));
}

// What one run over a page tells: its picture, the document's end, or that Ghostscript's page
// range missed and the run over every page is needed.
TEST(PageSource, OneRunIsJudgedByThePagesItShipped) {
    using enum viewer::OneRunVerdict;
    const struct {
        const char* name;
        int shipped;
        bool clean;
        std::optional<int> count;
        qint32 page;
        viewer::OneRunVerdict verdict;
    } rows[] = {
        {"one page", 1, false, std::nullopt, 5, Shown},
        {"several for one", 2, true, 9, 5, AllPages},
        {"none for a page it has", 0, true, 9, 5, AllPages},
        {"none past an unknown end", 0, true, std::nullopt, 5, Missing},
        {"none with an error", 0, false, std::nullopt, 5, Nothing},
        {"none for page 1", 0, true, std::nullopt, 1, Nothing},
    };
    for (const auto& r : rows)
        EXPECT_EQ(viewer::judgeOneRun(r.shipped, r.clean, r.count, r.page), r.verdict) << r.name;
    EXPECT_EQ(viewer::pageSource(true, true), viewer::PageSource::AllPages);
    EXPECT_EQ(viewer::pageSource(false, true), viewer::PageSource::Cache);
}
