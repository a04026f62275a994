// Pages that their comments (PostScript) or their /Rotate (PDF) say lie on their side are shown
// upright, the Orientation option turning them further; real documents, the real library.
#include "tests/viewer/viewer_host.h"

#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {

// A sheet of 100 x 200 points per page whose picture lies along it, its lines running up the
// sheet, with a blue square at the picture's top-left; header, pageComments and trailer are DSC
// comments.
QByteArray sidewaysPostScript(const QByteArray& header, const QByteArrayList& pageComments,
                              const QByteArray& trailer = {}) {
    QByteArray doc = "%!PS-Adobe-3.0\n" + header +
                     "%%EndComments\n<< /PageSize [100 200] >> "
                     "setpagedevice\n";
    for (qsizetype i = 0; i < pageComments.size(); ++i)
        doc += "%%Page: " + QByteArray::number(i + 1) + ' ' + QByteArray::number(i + 1) + '\n' +
               pageComments[i] +
               "gsave 90 rotate 0 -100 translate 0 0 1 setrgbcolor 10 70 20 20 rectfill grestore "
               "showpage\n";
    return doc + "%%Trailer\n" + trailer + "%%EOF\n";
}

// The same picture as a PDF page of 100 x 200 points turned by /Rotate 90.
QByteArray rotatedPdf() {
    const QByteArray content = "0 0 1 rg 10 10 20 20 re f";
    return pdfOfObjects({"<< /Type /Catalog /Pages 2 0 R >>",
                         "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                         "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 200] /Rotate 90 "
                         "/Contents 4 0 R >>",
                         "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" +
                             content + "\nendstream"});
}

struct Shown {
    const char* name;
    QByteArray document;
    const char* suffix;
    options::Orientation chosen;
    QList<bool> upright; // for each page: wider than tall with the blue square at its top-left
};

class Orientation : public ::testing::TestWithParam<Shown> {};

} // namespace

TEST_P(Orientation, PagesAreShownAsTheyLie) {
    const Shown& row = GetParam();
    ViewerHost host;
    host.options.orientation = row.chosen;
    host.loadFile(writeFile(
        QStringLiteral("orientation/%1.%2").arg(QLatin1String(row.name), QLatin1String(row.suffix)),
        row.document));
    for (qsizetype page = 0; page < row.upright.size(); ++page) {
        if (page > 0)
            host.nextPage();
        const QImage picture = host.view->picture();
        ASSERT_FALSE(picture.isNull()) << page + 1;
        EXPECT_EQ(picture.width() > picture.height(), row.upright[page]) << "page " << page + 1;
        if (row.upright[page]) { // not upside down either
            EXPECT_EQ(picture.pixelColor(picture.width() / 10, picture.height() / 5),
                      QColor(Qt::blue))
                << "page " << page + 1;
        }
    }
    EXPECT_TRUE(host.dialogs.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Documents, Orientation,
    ::testing::Values(
        Shown{"Landscape",
              sidewaysPostScript("%%Orientation: Landscape\n%%Pages: 2\n", {"", ""}),
              "ps",
              options::Orientation::Portrait,
              {true, true}},
        // A page's own comment is for that page alone.
        Shown{"PagePortrait",
              sidewaysPostScript("%%Orientation: Landscape\n%%Pages: 2\n",
                                 {"%%PageOrientation: Portrait\n", ""}),
              "ps",
              options::Orientation::Portrait,
              {false, true}},
        Shown{"PageLandscape",
              sidewaysPostScript("%%Pages: 2\n", {"", "%%PageOrientation: Landscape\n"}),
              "ps",
              options::Orientation::Portrait,
              {false, true}},
        Shown{"AtEnd",
              sidewaysPostScript("%%Orientation: (atend)\n%%Pages: 1\n", {""},
                                 "%%Orientation: Landscape\n"),
              "ps",
              options::Orientation::Portrait,
              {true}},
        // The option turns the page a quarter further: back onto its side.
        Shown{"TurnedFurther",
              sidewaysPostScript("%%Orientation: Landscape\n%%Pages: 1\n", {""}),
              "ps",
              options::Orientation::Landscape,
              {false}},
        Shown{"Rotated", rotatedPdf(), "pdf", options::Orientation::Portrait, {true}},
        Shown{
            "RotatedTurnedFurther", rotatedPdf(), "pdf", options::Orientation::Seascape, {false}}),
    [](const auto& info) { return std::string(info.param.name); });
