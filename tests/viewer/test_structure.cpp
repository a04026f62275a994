// A document's structure: page labels and the page they name, the outline, links and properties
// of PDFs the real library writes from pdfmarks and of the PostScript they come from, damaged
// files, and where a link lies on the picture.
#include "gs/api.h"
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_host.h"
#include "viewer/core/document_structure.h"
#include "viewer/core/page_geometry.h"
#include "viewer/core/page_labels.h"
#include "viewer/core/ps_structure.h"
#include "viewer/core/structure_loader.h"
#include "viewer/outline_panel.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <zlib.h>

using namespace quillorn;
using namespace quillorn::viewer;

namespace {

// Five pages of 200 x 100 points: front matter numbered i, ii, then 1, 2, then the appendix A-3.
// An outline of two entries with children, one going to a named destination; on page 1 a link to
// page 3 and one to an address.
const QByteArray kMarked = R"(%!PS-Adobe-3.0
%%Title: (Marked document)
%%Creator: hand
%%CreationDate: (2026-12-07)
%%DocumentMedia: plain 200 100 0 () ()
%%DocumentNeededResources: font Helvetica
%%+ font Times-Roman
%%Pages: 5
%%EndComments
<< /PageSize [200 100] >> setpagedevice
[/Title (Marked document) /DOCINFO pdfmark
[{Catalog} << /PageLabels << /Nums [0 << /S /r >> 2 << /S /D >> 4 << /S /D /P (A-) /St 3 >>] >> >> /PUT pdfmark
[/Count 2 /Page 1 /Title (Front matter) /OUT pdfmark
[/Page 2 /Title (Preface [draft]) /OUT pdfmark
[/Page 1 /Title <FEFF00DC0062006500720020> /OUT pdfmark
[/Count -1 /Page 3 /Title (Chapter 1) /OUT pdfmark
[/Dest /appendix /Title (Appendix) /OUT pdfmark
%%Page: i 1
/Helvetica 12 selectfont
[/Rect [10 10 60 30] /Border [0 0 0] /Page 3 /View [/XYZ null null null] /Subtype /Link /ANN pdfmark
[/Rect [100 60 190 90] /Border [0 0 0] /Action << /Subtype /URI /URI (https://example.org/) >> /Subtype /Link /ANN pdfmark
10 50 moveto (one) show showpage
%%Page: ii 2
%%BeginDocument: inner.eps
%%Page: x 1
%%EndDocument
10 50 moveto (two) show showpage
%%Page: 1 3
10 50 moveto (three) show showpage
%%Page: 2 4
10 50 moveto (four) show showpage
%%Page: A-3 5
[/Dest /appendix /DEST pdfmark
10 50 moveto (five) show showpage
%%EOF
)";

QString writeMarkedPdf(const QString& name, const QStringList& extra = {}) {
    const QString ps = test::writeFile(name + QStringLiteral(".ps"), kMarked);
    QString pdf = QDir(test::scratchDir()).filePath(name);
    QStringList args{QStringLiteral("gs"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
                     QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=pdfwrite")};
    args << extra << QStringLiteral("-sOutputFile=") + pdf << ps;
    gs::Binding().run(args, {});
    return pdf;
}

// The outline as "title:page" with children in brackets, to compare trees at a glance.
QString shape(const std::vector<OutlineItem>& items) {
    QStringList parts;
    for (const OutlineItem& item : items) {
        QString part = item.title + u':' + QString::number(item.page);
        if (!item.children.empty())
            part += u'[' + shape(item.children) + u']';
        parts << part;
    }
    return parts.join(u',');
}

const QString kMarkedOutline =
    QStringLiteral("Front matter:1[Preface [draft]:2,Über:1],Chapter 1:3[Appendix:5]");

} // namespace

// ---- page labels ----

struct LabelCase {
    const char* name;
    std::vector<LabelRange> ranges; // empty: the list below
    QStringList list;
    int page;
    const char* label; // "" when the page has none
};

class PageLabelNumbering : public testing::TestWithParam<LabelCase> {};

// Each page's label, and the label read back as its page.
TEST_P(PageLabelNumbering, LabelOfAPageNamesThatPage) {
    const LabelCase& c = GetParam();
    const PageLabels labels =
        c.ranges.empty() ? PageLabels::fromList(c.list) : PageLabels::fromRanges(c.ranges);
    EXPECT_EQ(labels.label(c.page), QLatin1String(c.label));
    if (*c.label != '\0') {
        EXPECT_EQ(labels.pageOf(QLatin1String(c.label), 5000), c.page);
    }
}

using S = LabelStyle;
INSTANTIATE_TEST_SUITE_P(
    Styles, PageLabelNumbering,
    testing::Values(
        LabelCase{"decimal", {{1, S::Decimal, {}, 1}}, {}, 5, "5"},
        LabelCase{
            "lower_roman_front", {{1, S::LowerRoman, {}, 1}, {5, S::Decimal, {}, 1}}, {}, 4, "iv"},
        LabelCase{
            "decimal_after_roman", {{5, S::Decimal, {}, 1}, {1, S::LowerRoman, {}, 1}}, {}, 7, "3"},
        LabelCase{"upper_roman_start", {{1, S::UpperRoman, {}, 4}}, {}, 6, "IX"},
        LabelCase{"roman_large", {{1, S::LowerRoman, {}, 1}}, {}, 1994, "mcmxciv"},
        LabelCase{"prefix_and_start",
                  {{1, S::Decimal, {}, 1}, {10, S::Decimal, QStringLiteral("A-"), 1}},
                  {},
                  12,
                  "A-3"},
        LabelCase{"letters_past_z", {{1, S::LowerLetters, {}, 1}}, {}, 28, "bb"},
        LabelCase{"upper_letters", {{1, S::UpperLetters, {}, 3}}, {}, 1, "C"},
        LabelCase{"prefix_alone",
                  {{1, S::None, QStringLiteral("Cover"), 1}, {2, S::Decimal, {}, 1}},
                  {},
                  1,
                  "Cover"},
        LabelCase{"no_range_yet", {{3, S::Decimal, {}, 1}}, {}, 2, ""},
        LabelCase{
            "list", {}, {QStringLiteral("i"), QStringLiteral("ii"), QStringLiteral("1")}, 3, "1"},
        LabelCase{"list_short", {}, {QStringLiteral("i")}, 2, ""}),
    [](const testing::TestParamInfo<LabelCase>& info) { return std::string(info.param.name); });

// What is no label of these pages: not a canonical numeral, before a range's start, past its end
// or past the document's last page. Go To then reads a number.
TEST(PageLabelLookup, WhatNamesNoPageFallsBackToTheNumber) {
    const PageLabels labels = PageLabels::fromRanges({{1, S::LowerRoman, {}, 1},
                                                      {5, S::Decimal, {}, 1},
                                                      {9, S::Decimal, QStringLiteral("A-"), 2}});
    for (const char* text : {"iiii", "IV", "v", "0", "A-1", "A-4", "05", "+2", "x"})
        EXPECT_FALSE(labels.pageOf(QLatin1String(text), 10)) << text;
    const struct {
        const char* answer;
        int page;
    } answers[] = {{"iv", 4}, {"3", 7}, {" A-3 ", 10}, {"12", 12}, {"2.5", 2}};
    for (const auto& a : answers)
        EXPECT_EQ(pageFromLabelOrNumber(QLatin1String(a.answer), labels, 20, QLocale::c()), a.page)
            << a.answer;
    EXPECT_EQ(pageFromLabelOrNumber(QStringLiteral("9"), labels, 20, QLocale::c()), 9)
        << "no label 9 on 20 pages: the ninth page";
    EXPECT_FALSE(pageFromLabelOrNumber(QStringLiteral("chapter"), labels, 20, QLocale::c()));
    EXPECT_EQ(distinctLabel(labels, 2), QStringLiteral("ii"));
    EXPECT_FALSE(distinctLabel(PageLabels::fromRanges({{1, S::Decimal, {}, 1}}), 2));
}

// ---- PDF through qpdf ----

TEST(PdfStructure, OutlineLinksLabelsAndPropertiesOfAPdfMadeFromPdfmarks) {
    const QString pdf = writeMarkedPdf(QStringLiteral("structure/marked.pdf"));
    const DocumentStructure s = readDocumentStructure(pdf);
    EXPECT_EQ(shape(s.outline), kMarkedOutline);

    const QStringList labels{QStringLiteral("i"), QStringLiteral("ii"), QStringLiteral("1"),
                             QStringLiteral("2"), QStringLiteral("A-3")};
    for (int page = 1; page <= 5; ++page)
        EXPECT_EQ(s.labels.label(page), labels[page - 1]) << page;

    // Areas from the page's top-left corner: y down from 100 points.
    const std::vector<PageLink>& links = s.linksOn(1);
    ASSERT_EQ(links.size(), 2U);
    EXPECT_EQ(links[0].page, 3);
    EXPECT_EQ(links[0].area.toRect(), QRect(10, 70, 50, 20));
    EXPECT_EQ(links[1].uri, QStringLiteral("https://example.org/"));
    EXPECT_EQ(links[1].area.toRect(), QRect(100, 10, 90, 30));
    EXPECT_TRUE(s.linksOn(2).empty());

    EXPECT_EQ(s.properties.title, QStringLiteral("Marked document"));
    EXPECT_EQ(s.properties.pageCount, 5);
    EXPECT_EQ(s.properties.pageSize, QSizeF(200, 100));
    EXPECT_TRUE(s.properties.format.startsWith(QStringLiteral("PDF 1.")));
    EXPECT_TRUE(s.properties.fonts.join(u' ').contains(QStringLiteral("Helvetica")))
        << s.properties.fonts.join(u' ').toStdString();
}

// The viewer's password opens an encrypted PDF's structure; without it there is none.
TEST(PdfStructure, EncryptedPdfOpensWithThePassword) {
    const QString pdf = writeMarkedPdf(
        QStringLiteral("structure/locked.pdf"),
        {QStringLiteral("-sOwnerPassword=owner"), QStringLiteral("-sUserPassword=secret")});
    EXPECT_EQ(shape(readDocumentStructure(pdf, QStringLiteral("secret")).outline), kMarkedOutline);
    EXPECT_TRUE(readDocumentStructure(pdf).outline.empty());
    EXPECT_TRUE(readDocumentStructure(pdf, QStringLiteral("wrong")).properties.format.isEmpty());
}

struct DamagedCase {
    const char* name;
    std::function<QByteArray()> bytes;
};

class DamagedDocument : public testing::TestWithParam<DamagedCase> {};

// A damaged document has no outline and no links; reading it neither throws nor hangs.
TEST_P(DamagedDocument, GivesNoStructure) {
    const QString path = test::writeFile(
        QStringLiteral("damaged/") + QLatin1String(GetParam().name) + QStringLiteral(".pdf"),
        GetParam().bytes());
    const DocumentStructure s = readDocumentStructure(path);
    EXPECT_LE(shape(s.outline).size(), 200);
    EXPECT_TRUE(s.links.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Files, DamagedDocument,
    testing::Values(DamagedCase{"truncated",
                                [] {
                                    return test::readFile(
                                               writeMarkedPdf(QStringLiteral("damaged/whole.pdf")))
                                        .left(600);
                                }},
                    DamagedCase{"garbage",
                                [] { return QByteArray("%PDF-1.7\n") + QByteArray(5000, '\x9c'); }},
                    DamagedCase{"empty", [] { return QByteArray(); }},
                    // An outline whose entry is its own next and its own child.
                    DamagedCase{"outline_loop",
                                [] {
                                    return test::pdfOfObjects(
                                        {"<< /Type /Catalog /Pages 2 0 R /Outlines 4 0 R >>",
                                         "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] >>",
                                         "<< /Type /Outlines /First 5 0 R /Last 5 0 R /Count 1 >>",
                                         QByteArray("<< /Title (Loop) /Parent 4 0 R /Next 5 0 R "
                                                    "/First 5 0 R /Last 5 0 R /Count 1 "
                                                    "/Dest [3 0 R /Fit] >>")});
                                }}),
    [](const testing::TestParamInfo<DamagedCase>& info) { return std::string(info.param.name); });

// ---- PostScript ----

// The same document as PostScript: labels from %%Page: (not those of the document embedded in
// it), the outline from its /OUT marks, a /Dest found on the page of its /DEST mark, and what the
// header comments tell. Gzipped, it reads the same.
TEST(PostScriptStructure, LabelsOutlineAndCommentsOfItsOwn) {
    const QString plain = test::writeFile(QStringLiteral("ps/marked.ps"), kMarked);
    const QString gzipped = plain + QStringLiteral(".gz");
    {
        gzFile out = gzopen(QFile::encodeName(gzipped).constData(), "wb");
        ASSERT_NE(out, nullptr);
        gzwrite(out, kMarked.constData(), static_cast<unsigned>(kMarked.size()));
        gzclose(out);
    }
    for (const QString& path : {plain, gzipped}) {
        SCOPED_TRACE(path.toStdString());
        const DocumentStructure s = readDocumentStructure(path);
        EXPECT_EQ(shape(s.outline), kMarkedOutline);
        EXPECT_EQ(s.labels.label(2), QStringLiteral("ii"));
        EXPECT_EQ(s.labels.pageOf(QStringLiteral("A-3")), 5);
        EXPECT_FALSE(s.labels.pageOf(QStringLiteral("x")));
        EXPECT_EQ(s.properties.title, QStringLiteral("Marked document"));
        EXPECT_EQ(s.properties.created, QStringLiteral("2026-12-07"));
        EXPECT_EQ(s.properties.format, QStringLiteral("PostScript (DSC 3.0)"));
        EXPECT_EQ(s.properties.pageCount, 5);
        EXPECT_EQ(s.properties.pageSize, QSizeF(200, 100));
        EXPECT_EQ(s.properties.fonts,
                  QStringList({QStringLiteral("Helvetica"), QStringLiteral("Times-Roman")}));
    }
}

// groff's pdfmark macros put /DEST marks on the pages and the outline after them; dvips with
// hyperref names destinations by strings made names. A document without marks has no outline.
TEST(PostScriptStructure, OutlinesAsProducersWriteThem) {
    const QByteArray groff = "%!PS-Adobe-3.0\n%%Pages: 2\n%%Page: 1 1\n"
                             "[/Dest /pdf:bm1 /View [/FitH 797001 u] /DEST pdfmark\n"
                             "%%Page: 2 2\n[/Dest /pdf:bm2 /View [/FitH 725000 u] /DEST pdfmark\n"
                             "[/Dest /pdf:bm1 /Title (Chapter one) /Count 1 /OUT pdfmark\n"
                             "[/Dest /pdf:bm2 /Title (Part \\(two\\)) /OUT pdfmark\n%%EOF\n";
    EXPECT_EQ(shape(readPostScriptStructure(groff).outline),
              QStringLiteral("Chapter one:1[Part (two):2]"));
    const QByteArray dvips =
        "%!PS-Adobe-2.0\n%%Page: 1 1\n(section.1) cvn /H.A pdfmark\n"
        "[/Dest (section.1) cvn /DEST pdfmark\n"
        "[/Count -1 /Dest (section.1) cvn /Title (\\376\\377\\000I\\000n) /OUT "
        "pdfmark\n[/Dest (nowhere) cvn /Title (Lost) /OUT pdfmark\n";
    EXPECT_EQ(shape(readPostScriptStructure(dvips).outline), QStringLiteral("In:1[Lost:0]"));
    EXPECT_TRUE(
        readPostScriptStructure("%!PS\n/pdfmark where {pop} {/pdfmark {cleartomark} def} ifelse\n")
            .outline.empty());
}

// ---- where a link lies on the picture ----

struct PlacementCase {
    const char* name;
    options::Orientation orientation;
    QSize picture;
    QPointF cropOffset;
    QRect expected;
};

class LinkPlacement : public testing::TestWithParam<PlacementCase> {};

// An area 10..40 across and 20..30 down a page of 200 x 100 points, at 144 dpi. Ghostscript's
// orientations turn the page counterclockwise: landscape puts its bottom-left corner at the
// bottom-right.
TEST_P(LinkPlacement, AreaFollowsResolutionOrientationAndCrop) {
    const PlacementCase& c = GetParam();
    const QRectF area(10, 20, 30, 10);
    EXPECT_EQ(areaOnPicture(area, c.picture, 144, c.orientation, c.cropOffset).toRect(),
              c.expected);
}

using O = options::Orientation;
INSTANTIATE_TEST_SUITE_P(
    Orientations, LinkPlacement,
    testing::Values(PlacementCase{"portrait", O::Portrait, {400, 200}, {}, {20, 40, 60, 20}},
                    PlacementCase{"upside_down", O::UpsideDown, {400, 200}, {}, {320, 140, 60, 20}},
                    PlacementCase{"landscape", O::Landscape, {200, 400}, {}, {40, 320, 20, 60}},
                    PlacementCase{"seascape", O::Seascape, {200, 400}, {}, {140, 20, 20, 60}},
                    PlacementCase{"cropped", O::Portrait, {100, 100}, {5, 15}, {10, 10, 60, 20}}),
    [](const testing::TestParamInfo<PlacementCase>& info) { return std::string(info.param.name); });

// ---- the outline panel and links over real pages ----

// The outline read in the background as the window reads it; a click on an entry shows its page,
// also one that goes to a named destination. On page 1, a click on its link's place on the
// picture tells that link, and the pointer is a hand there.
TEST(OutlineAndLinks, ClickingAnEntryShowsItsPageAndALinkIsWhereItsAreaIs) {
    test::ViewerHost host;
    const QString pdf = writeMarkedPdf(QStringLiteral("outline/marked.pdf"));
    host.loadFile(pdf);
    StructureLoader loader;
    QSignalSpy read(&loader, &StructureLoader::structureChanged);
    loader.load(pdf);
    ASSERT_TRUE(read.wait(30000));
    auto* panel = new OutlinePanel(&host.window);
    host.window.addDockWidget(Qt::LeftDockWidgetArea, panel);
    panel->setOutline(loader.structure().outline);
    QObject::connect(panel, &OutlinePanel::pageChosen, &host.document,
                     &DocumentController::showPage);
    host.settle();

    // Where the page 1 link to page 3 lies, before the panel is used.
    const PageLink& link = loader.structure().linksOn(1).at(0);
    const QRectF area =
        areaOnPicture(link.area, host.view->picture().deviceIndependentSize().toSize(),
                      host.document.shownResolution(), host.options.orientation);
    host.view->setLinkAreas({area});
    QSignalSpy clicked(host.view, &PageView::linkClicked);
    QWidget* picture = host.view->widget();
    QTest::mouseMove(picture, area.center().toPoint());
    EXPECT_EQ(picture->cursor().shape(), Qt::PointingHandCursor);
    QTest::mouseClick(picture, Qt::LeftButton, {}, area.center().toPoint());
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 0);
    QTest::mouseClick(picture, Qt::LeftButton, {}, area.bottomRight().toPoint() + QPoint(5, 5));
    EXPECT_EQ(clicked.count(), 1) << "beside the link";

    QTreeWidget* tree = panel->tree();
    const struct {
        QTreeWidgetItem* item;
        int page;
    } rows[] = {{tree->topLevelItem(1), 3}, {tree->topLevelItem(1)->child(0), 5}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.item->text(0).toStdString());
        tree->scrollToItem(row.item);
        const QRect place = tree->visualItemRect(row.item);
        host.drawn(
            [&] { QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, place.center()); });
        EXPECT_EQ(host.document.currentPage(), row.page);
        EXPECT_EQ(host.shown.back(), std::pair(row.page, 5));
    }
}
