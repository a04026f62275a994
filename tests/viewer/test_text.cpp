// The text of a document as Ghostscript's text device reads it: its characters and their places
// on the picture at any resolution and orientation, finding across pages with the real library,
// a document without text, and output that is not what the device writes.
#include "tests/viewer/viewer_host.h"
#include "viewer/core/document_text.h"
#include "viewer/core/page_text.h"
#include "viewer/core/text_search.h"
#include "viewer/find_bar.h"
#include "viewer/page_text_layer.h"

#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;
using viewer::DocumentText;
using viewer::PageText;

namespace {

// Helvetica with the Latin-1 letters, as /HL.
const QByteArray kLatinFont =
    "/Helvetica findfont dup length dict begin { 1 index /FID ne { def } { pop pop } ifelse } "
    "forall /Encoding ISOLatin1Encoding def currentdict end /HL exch definefont pop\n";

// A PostScript document of letter pages, each with its lines of text from the top.
QByteArray textPages(const QList<QByteArrayList>& pages) {
    QByteArray doc = "%!PS-Adobe-3.0\n%%Pages: " + QByteArray::number(pages.size()) +
                     "\n%%EndComments\n%%BeginProlog\n<< /PageSize [612 792] >> setpagedevice\n" +
                     kLatinFont + "%%EndProlog\n";
    for (qsizetype i = 0; i < pages.size(); ++i) {
        doc += "%%Page: " + QByteArray::number(i + 1) + ' ' + QByteArray::number(i + 1) +
               "\n/HL findfont 20 scalefont setfont\n";
        for (qsizetype line = 0; line < pages[i].size(); ++line)
            doc += "72 " + QByteArray::number(700 - 30 * line) + " moveto (" + pages[i][line] +
                   ") show\n";
        doc += "showpage\n";
    }
    return doc + "%%EOF\n";
}

// The document's text, read by the real library in the runner's workers.
struct Reader {
    gs::WorkerRunner runner;
    DocumentText text{runner};

    bool read(const QString& path, std::optional<int> pages = std::nullopt) {
        viewer::TextSource source;
        source.input = path;
        source.stamp = path.toUtf8();
        source.pageCount = pages;
        text.setSource(source);
        text.read();
        return QTest::qWaitFor([&] { return text.isComplete(); }, 30000);
    }
};

} // namespace

TEST(PageText, ReadsTheCharactersOfARealPageWithTheirPlaces) {
    Reader reader;
    // \256 is the fi ligature of the standard encoding, which groff's documents are full of.
    const QString doc = writeFile(
        QStringLiteral("text/latin.ps"),
        "%!PS-Adobe-3.0\n%%Pages: 2\n%%EndComments\n<< /PageSize [612 792] >> setpagedevice\n" +
            kLatinFont +
            "%%Page: 1 1\n/HL findfont 20 scalefont setfont 72 700 moveto (Hello Gr\374\337e) "
            "show 72 670 moveto (second line) show showpage\n%%Page: 2 2\n/Times-Roman findfont "
            "20 scalefont setfont 72 700 moveto (a \256le & <tags>) show showpage\n%%EOF\n");
    ASSERT_TRUE(reader.read(doc, 2));
    const PageText* page = reader.text.page(1);
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->text(), QStringLiteral("Hello Gr\u00fc\u00dfe\nsecond line"));
    // The H stands at 72 points from the left, its baseline 92 points from the top.
    const QRectF h = page->box(0);
    EXPECT_TRUE(h.contains(QPointF(78, 85))) << h.x() << ' ' << h.y() << ' ' << h.width();
    for (int i = 0; i < page->text().size(); ++i)
        EXPECT_TRUE(page->text()[i].isSpace() || QRectF(0, 0, 612, 792).contains(page->box(i)))
            << i;
    // Found without regard to case, across the line break; a ligature by its letters.
    EXPECT_EQ(page->find(QStringLiteral("grüße second"), Qt::CaseInsensitive).size(), 1u);
    EXPECT_TRUE(page->find(QStringLiteral("hello"), Qt::CaseSensitive).empty());
    const PageText* second = reader.text.page(2);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->find(QStringLiteral("file & <tags>"), Qt::CaseSensitive).size(), 1u)
        << second->text().toStdString();
    EXPECT_TRUE(reader.text.hasText());
}

TEST(PageText, ADocumentDrawnWithoutTextHasNone) {
    Reader reader;
    ASSERT_TRUE(reader.read(writeFile(QStringLiteral("text/colours.ps"), colourPages("RGB")), 3));
    EXPECT_EQ(reader.text.pagesRead(), 3);
    EXPECT_FALSE(reader.text.hasText());
}

// Output that is not what the text device writes: what can be read is kept, nothing else.
struct Mangled {
    const char* name;
    QByteArray output;
    QString text;
};
class ForeignOutput : public testing::TestWithParam<Mangled> {};

TEST_P(ForeignOutput, KeepsOnlyWhatItCanRead) {
    const PageText page = PageText::parse(GetParam().output);
    EXPECT_EQ(page.text(), GetParam().text);
    for (int i = 0; i < page.text().size(); ++i)
        EXPECT_LE(std::abs(page.box(i).left()), 1e6);
}

INSTANTIATE_TEST_SUITE_P(
    Text, ForeignOutput,
    testing::Values(
        Mangled{"Empty", "", QString()},
        Mangled{"Truncated", "<page>\n<char bbox=\"1 2 3 2\" c=\"a\"/>\n<char bbox=\"3 2 5",
                QStringLiteral("a")},
        Mangled{"NoBox", "<char c=\"a\"/><char bbox=\"1 2\" c=\"b\"/>", QString()},
        Mangled{"FarAway",
                "<char bbox=\"1e300 2 nan 2\" c=\"a\"/><char bbox=\"1e300 2 1e301 2\" c=\"b\"/>",
                QStringLiteral("b")},
        Mangled{"BadReferences",
                "<char bbox=\"1 2 3 2\" c=\"&#xd800;&#99999999;&bogus;&#x41;&lt\"/>",
                QStringLiteral("A&lt")},
        Mangled{"LongValue", "<char bbox=\"1 2 3 2\" c=\"" + QByteArray(5000, 'x') + "\"/>",
                QString()},
        Mangled{"Binary", "<char bbox=\"1 2 3 2\" c=\"\xff\x01\"/>\x01<<<>>>",
                QStringLiteral("\ufffd")}),
    [](const testing::TestParamInfo<Mangled>& info) { return std::string(info.param.name); });

// A big I drawn off the middle of a page, and where its box lands on the page's picture at a
// resolution and an orientation: on the letter's ink.
struct Shown {
    const char* name;
    std::int16_t resolution;
    options::Orientation orientation;
    bool eps;
};
class TextOnThePicture : public testing::TestWithParam<Shown> {};

TEST_P(TextOnThePicture, BoxesLandOnTheirLetters) {
    const Shown& shown = GetParam();
    ViewerHost host(QSize(900, 900));
    host.options.resolution = shown.resolution;
    host.options.orientation = shown.orientation;
    const QByteArray draw =
        "/Helvetica-Bold findfont 72 scalefont setfont 80 300 moveto (I) show\n";
    const QString doc =
        shown.eps
            ? writeFile(QStringLiteral("text/letter.eps"),
                        "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 30 40 230 440\n" + draw)
            : writeFile(QStringLiteral("text/letter.ps"),
                        "%!PS\n<< /PageSize [300 500] >> setpagedevice\n" + draw + "showpage\n");
    host.loadFile(doc);
    const QImage picture = host.view->picture();
    ASSERT_FALSE(picture.isNull());
    gs::WorkerRunner runner;
    DocumentText text(runner);
    text.setSource(viewer::textSourceOf(host.document, host.options));
    text.read();
    ASSERT_TRUE(QTest::qWaitFor([&] { return text.isComplete(); }, 30000));
    ASSERT_TRUE(text.page(1) && text.page(1)->text() == QStringLiteral("I"));
    const viewer::PageGeometry geometry{picture.deviceIndependentSize(), double(shown.resolution),
                                        static_cast<int>(shown.orientation)};
    const QRectF box = viewer::pictureRect(text.page(1)->box(0), geometry);
    EXPECT_EQ(qGray(picture.pixel(box.center().toPoint())), 0)
        << box.x() << ' ' << box.y() << " in " << picture.width() << 'x' << picture.height();
    // And back: the middle of the box on the picture is the middle of the letter on the page.
    const QPointF back = viewer::pagePoint(box.center(), geometry);
    EXPECT_LT(QLineF(back, text.page(1)->box(0).center()).length(), 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Text, TextOnThePicture,
    testing::Values(Shown{"Portrait72", 72, options::Orientation::Portrait, false},
                    Shown{"Landscape150", 150, options::Orientation::Landscape, false},
                    Shown{"UpsideDown100", 100, options::Orientation::UpsideDown, false},
                    Shown{"Seascape50", 50, options::Orientation::Seascape, false},
                    Shown{"CroppedEps144", 144, options::Orientation::Portrait, true},
                    Shown{"CroppedEpsLandscape90", 90, options::Orientation::Landscape, true}),
    [](const testing::TestParamInfo<Shown>& info) { return std::string(info.param.name); });

// The find bar over a real document in the viewer: the hit on the last page is found and turned
// to; a second search is answered from the text already read.
struct Searched {
    const char* name;
    bool pdf;
};
class FindAcrossPages : public testing::TestWithParam<Searched> {};

TEST_P(FindAcrossPages, FindsTheLastPageAndSearchesAgainWithoutReading) {
    ViewerHost host;
    QList<QByteArrayList> pages;
    for (int page = 1; page <= 7; ++page)
        pages << QByteArrayList{"page " + QByteArray::number(page) + " of apples and pears",
                                page == 7 ? "the zebra grazes" : "nothing else"};
    QString doc = writeFile(QStringLiteral("text/seven.ps"), textPages(pages));
    if (GetParam().pdf)
        doc = writePdfOf(doc, scratchDir() + QStringLiteral("/text/seven.pdf"));
    gs::WorkerRunner textRunner;
    DocumentText text(textRunner);
    viewer::TextSearch search(text);
    viewer::PageTextLayer layer(host.document, *host.view, text, search, host.options);
    viewer::FindBar bar(text, search, &host.window);
    host.loadFile(doc);
    ASSERT_EQ(host.document.currentPage(), 1);

    bar.open();
    QTest::keyClicks(bar.findChild<QLineEdit*>(QStringLiteral("findEdit")),
                     QStringLiteral("ZEBRA"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return host.document.currentPage() == 7 && !host.document.isRendering(); }, 30000));
    EXPECT_EQ(bar.statusText(), QStringLiteral("1 of 1"));
    ASSERT_EQ(search.hits().size(), 1u);
    EXPECT_EQ(search.hits()[0].page, 7);

    // Read once: the second search has all its hits at once, and reads nothing.
    ASSERT_TRUE(QTest::qWaitFor([&] { return text.isComplete(); }, 30000));
    search.setQuery(QStringLiteral("apples"));
    EXPECT_FALSE(text.isReading());
    EXPECT_EQ(search.hits().size(), 7u);
    // From the last page on, the next hit is the first page's.
    EXPECT_EQ(search.current(), 6);
    search.next();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return host.document.currentPage() == 1 && !host.document.isRendering(); }, 30000));
    EXPECT_EQ(bar.statusText(), QStringLiteral("1 of 7"));
}

INSTANTIATE_TEST_SUITE_P(Text, FindAcrossPages,
                         testing::Values(Searched{"PostScript", false}, Searched{"Pdf", true}),
                         [](const testing::TestParamInfo<Searched>& info) {
                             return std::string(info.param.name);
                         });

TEST(FindBar, SaysWhenADocumentHasNoSearchableText) {
    ViewerHost host;
    gs::WorkerRunner textRunner;
    DocumentText text(textRunner);
    viewer::TextSearch search(text);
    viewer::PageTextLayer layer(host.document, *host.view, text, search, host.options);
    viewer::FindBar bar(text, search, &host.window);
    host.loadFile(writeFile(QStringLiteral("text/drawn.ps"), colourPages("RGBY")));
    bar.open();
    QTest::keyClicks(bar.findChild<QLineEdit*>(QStringLiteral("findEdit")), QStringLiteral("a"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return text.isComplete(); }, 30000));
    EXPECT_EQ(bar.statusText(), QStringLiteral("This document has no searchable text"));
}
