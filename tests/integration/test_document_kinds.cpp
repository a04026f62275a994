// Kinds of document that the page view and a conversion to pictures treat alike, through the real
// library: an EPS picture is cropped to its bounding box, a compressed document (known by its
// bytes) is read decompressed. Each orientation turns the page on screen the way Ghostscript's
// Orientation does; a conversion writes the document as it is.
#include "tests/integration/integration_host.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {

// 200 x 100 points in quadrants: bottom left red, bottom right green, top left blue, top right
// black.
const char* const kQuadrants = "%!PS\n<< /PageSize [200 100] >> setpagedevice\n"
                               "1 0 0 setrgbcolor 0 0 100 50 rectfill\n"
                               "0 1 0 setrgbcolor 100 0 100 50 rectfill\n"
                               "0 0 1 setrgbcolor 0 50 100 50 rectfill\n"
                               "0 0 0 setrgbcolor 100 50 100 50 rectfill showpage\n";
// A picture of 100 x 50 points, red on its left, blue on its right, on a larger page.
const char* const kPicture = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 10 20 110 70\n"
                             "1 0 0 setrgbcolor 10 20 50 50 rectfill\n"
                             "0 0 1 setrgbcolor 60 20 50 50 rectfill showpage\n";

// The colours at the corners: top left, top right, bottom left, bottom right.
QByteArray corners(const QImage& page) {
    const int right = page.width() - 3, bottom = page.height() - 3;
    QByteArray letters;
    for (const QPoint at :
         {QPoint(2, 2), QPoint(right, 2), QPoint(2, bottom), QPoint(right, bottom)})
        letters += colourLetter(page, at);
    return letters;
}

struct Kind {
    const char* name;
    const char* file;
    const char* postScript;
    bool pdf, gzip; // written as a PDF by the real library, compressed
    options::Orientation orientation;
    QSize size; // at 72 dots per inch
    const char* corners;
};

using enum options::Orientation;
const Kind kKinds[] = {
    {"Portrait", "page.ps", kQuadrants, false, false, Portrait, {200, 100}, "BKRG"},
    {"LandscapeTurnsLeft", "page.ps", kQuadrants, false, false, Landscape, {100, 200}, "KGBR"},
    {"UpsideDown", "page.ps", kQuadrants, false, false, UpsideDown, {200, 100}, "GRKB"},
    {"Seascape", "page.ps", kQuadrants, false, false, Seascape, {100, 200}, "RBGK"},
    {"PdfTurnedLikePostScript", "page.pdf", kQuadrants, true, false, Landscape, {100, 200}, "KGBR"},
    {"EpsCroppedToBoundingBox", "picture.ps", kPicture, false, false, Portrait, {100, 50}, "RBRB"},
    {"CompressedEpsKnownByItsBytes", "packed", kPicture, false, true, Portrait, {100, 50}, "RBRB"},
    {"CompressedPdf", "page.pdf.gz", kQuadrants, true, true, UpsideDown, {200, 100}, "GRKB"},
};

class DocumentKind : public ::testing::TestWithParam<Kind> {};

} // namespace

TEST_P(DocumentKind, ViewAndPictureConversionShowTheSamePage) {
    const Kind& k = GetParam();
    ViewerHost host;
    host.options.resolution = 72, host.options.orientation = k.orientation;
    const QString dir = scratchDir() + QStringLiteral("/kinds/") + QLatin1String(k.name);
    QDir().mkpath(dir + QStringLiteral("/out"));
    const QString ps = writeFile(dir + QStringLiteral("/source.ps"), k.postScript);
    const QByteArray bytes =
        readFile(k.pdf ? writePdfOf(ps, dir + QStringLiteral("/source.pdf")) : ps);
    const QString doc =
        writeFile(dir + u'/' + QLatin1String(k.file), k.gzip ? deflated(bytes, 1, true) : bytes);
    host.loadFile(doc);
    EXPECT_EQ(host.page(), k.size);
    EXPECT_EQ(corners(host.view->picture()), k.corners);

    const QString output = dir + QStringLiteral("/out/page-%d.png");
    EXPECT_EQ(convertWith(host, doc, convert::kFormatPng, 4, output),
              convert::RunOutcome::CloseDialog);
    const QImage picture(convert::firstOutputName(output));
    const bool turned = k.orientation == Landscape || k.orientation == Seascape;
    EXPECT_EQ(picture.size(), turned ? k.size.transposed() : k.size);
    EXPECT_EQ(corners(picture), k.postScript == kPicture ? "RBRB" : "BKRG");
    EXPECT_TRUE(host.dialogs.boxes.empty()) << host.dialogs.texts().join(u'|').toStdString();
    host.document.closeDocument(); // the decompressed copy goes with it
    EXPECT_EQ(tempLeftovers(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Kinds, DocumentKind, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CompressedDocument, OneTooLargeOnceDecompressedIsRefused) {
    ViewerHost host;
    host.document.setDecompressedLimit(1 << 20);
    const QString doc =
        writeFile(QStringLiteral("kinds/large.ps.gz"),
                  deflated(twoPagePostScript() + '%' + QByteArray(2 << 20, 'x'), 1, true));
    host.loadFile(doc);
    EXPECT_EQ(host.dialogs.texts(),
              QStringList({QStringLiteral("The compressed document %1 is larger than 1 MB once "
                                          "decompressed")
                               .arg(doc)}));
    EXPECT_TRUE(host.view->picture().isNull());
    host.document.closeDocument();
    EXPECT_EQ(tempLeftovers(), QStringList());
}
