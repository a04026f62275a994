#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <array>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace quillorn;
using namespace quillorn::convert;

namespace {

// The dialog's defaults: PDF, 72 dpi, both anti-aliasing boxes on "4".
ConvertSettings Defaults() {
    return {QStringLiteral("/docs/a b.ps"), kFormatPdf, -1, QStringLiteral("90"),
            QStringLiteral("72"),           2,          2,  QStringLiteral("/docs/a b.pdf")};
}

QStringList List(const ConvertSettings& s, const options::Options& o = {}) {
    test::ScriptedServices services;
    return ConvertArgumentList(s, o, services);
}

} // namespace

TEST(ConvertArguments, WorkedExampleKeepsBlanksInBothFileElements) {
    options::Options o;
    o.Safer = true;
    o.Media = 2;
    EXPECT_EQ(List(Defaults(), o),
              (QStringList{"gswin32c", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pdfwrite",
                           "-dCompatibilityLevel=1.3", "-dPDFSETTINGS=/prepress", "-r72",
                           "-dGraphicsAlphaBits=4", "-dTextAlphaBits=4", "-sPAPERSIZE=a4",
                           "-sOutputFile=/docs/a b.pdf", "/docs/a b.ps"}));
}

TEST(ConvertArguments, NumbersFromTheQualityAndResolutionTexts) {
    ConvertSettings s = Defaults();
    s.format = kFormatJpeg;
    s.choice = 1;
    // Ghostscript always gets "." as the decimal point; the user's separator is for shown texts.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::vector<std::array<const char*, 4>> cases = {
        // quality, resolution: the elements right after the device
        {"85", "72", "-dJPEGQ=85", "-r72"},    {"", "abc", "-dJPEGQ=0", "-r0"},
        {"&HF", " 1 5", "-dJPEGQ=15", "-r15"}, {"90", "1.5", "-dJPEGQ=90", "-r1.5"},
        {"90", "-0", "-dJPEGQ=90", "-r0"},
    };
    for (const auto& [quality, resolution, q, r] : cases) {
        s.jpegQuality = QString::fromLatin1(quality);
        s.resolution = QString::fromLatin1(resolution);
        EXPECT_EQ(List(s).mid(4, 3), (QStringList{"-sDEVICE=jpeg", q, r})) << resolution;
    }
    EXPECT_EQ(ElapsedSecondsText(1234.25f), QStringLiteral("1234,25"));
    QLocale::setDefault(before);
}

TEST(ConvertArguments, DeviceElementsAntiAliasingPaperAndFixedMedia) {
    ConvertSettings s = Defaults();
    s.format = kFormatPnm;
    s.graphicsAlpha = 0;
    s.textAlpha = 1;
    options::Options o;
    o.Media = 9;
    o.OverrideDefaultMedia = true;
    test::ScriptedServices services;
    QStringList args = ConvertArgumentList(s, o, services);
    // PNM is one device element where PDF is three; graphics before text; no paper size.
    EXPECT_EQ(args.mid(3, 6),
              (QStringList{"-dNOSAFER", "-sDEVICE=pnm", "-r72", "-dGraphicsAlphaBits=1",
                           "-dTextAlphaBits=2", "-dFIXEDMEDIA"}));
    EXPECT_EQ(args.size(), 11);
    ASSERT_EQ(services.Prompts(), QStringList{"Custom paper sizes not done yet"});
    EXPECT_EQ(services.boxes[0].style, mb::OkOnly);
    EXPECT_EQ(services.boxes[0].title, kAppTitle);

    o.Media = 8;
    s.graphicsAlpha = s.textAlpha = -1; // no entry chosen adds nothing
    args = ConvertArgumentList(s, o, services);
    EXPECT_EQ(args.mid(5, 3), (QStringList{"-r72", "-sPAPERSIZE=letter", "-dFIXEDMEDIA"}));
    o.Media = 10;
    EXPECT_FALSE(ConvertArgumentList(s, o, services).join(u' ').contains(u"PAPERSIZE"));
    EXPECT_EQ(services.boxes.size(), 1u);
}

TEST(ConvertArguments, PageDescriptionDevicesReachTheLibraryWithoutAntiAliasing) {
    // File names that look like the switches must stay.
    ConvertSettings s = Defaults();
    s.inputFile = QStringLiteral("-dTextAlphaBits=4");
    s.output = QStringLiteral("-dGraphicsAlphaBits=4");
    const QStringList pdf = List(s);
    EXPECT_EQ(LibraryArguments(pdf), pdf.mid(0, 8) + pdf.mid(10));
    s.format = kFormatPng;
    s.choice = 4;
    EXPECT_EQ(LibraryArguments(List(s)), List(s));
}

TEST(OutputNames, ProposalFromTheBaseOfTheInputPath) {
    const QStringList expected = {
        "/docs/report-%d.bmp", "/docs/report-%d.eps", "/docs/report-%d.pcl", "/docs/report-%d.jpg",
        "/docs/report-%d.pcx", "/docs/report-%d.psd", "/docs/report.pdf",    "/docs/report-%d.png",
        "/docs/report-%d.pnm", "/docs/report.ps",     "/docs/report-%d.tiff"};
    for (int i = 0; i < kFormatCount; ++i)
        EXPECT_EQ(ProposeOutputName(QStringLiteral("/docs/report.ps"), i), expected[i]) << i;
    EXPECT_EQ(ProposeOutputName(QStringLiteral("/a.b/c.d.ps"), kFormatPdf), "/a.b/c.d.pdf");
    EXPECT_EQ(ProposeOutputName(QStringLiteral("/my.docs/report"), kFormatPdf), "/my.pdf");
    EXPECT_EQ(ProposeOutputName(QStringLiteral("/docs/report"), kFormatPng), "/docs/report-%d.png");
    EXPECT_EQ(DialogFilter(QStringLiteral("JPEG files|*.jpeg;*.jpg")), "JPEG files (*.jpeg *.jpg)");
}

TEST(OutputNames, FirstOutputFile) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"/out/page-%d.png", "/out/page-1.png"},     {"/out/page-%02d.png", "/out/page-01.png"},
        {"/out/page-%03d.png", "/out/page-001.png"}, {"/out/page-%04d.png", "/out/page-%04d.png"},
        {"/out/%d-%D.png", "/out/1-%D.png"},         {"/out/one.pdf", "/out/one.pdf"},
    };
    for (const auto& [output, first] : cases)
        EXPECT_EQ(FirstOutputName(QLatin1String(output)), QLatin1String(first));
}

TEST(OutputNames, OverwritingTheInputIsRecognisedThroughLinks) {
    const QString dir = test::ScratchDir() + QStringLiteral("/overwrite");
    const QString input = test::WriteFile(dir + QStringLiteral("/report.pdf"), "%PDF-1.4\n");
    QDir().mkpath(dir + QStringLiteral("/sub"));
    ASSERT_TRUE(QFile::link(dir, dir + QStringLiteral("/linked-dir")));
    ASSERT_EQ(::link(QFile::encodeName(input).constData(),
                     QFile::encodeName(dir + QStringLiteral("/hard.pdf")).constData()),
              0);
    for (const char* same : {"/sub/../report.pdf", "/linked-dir/report.pdf", "/hard.pdf"})
        EXPECT_TRUE(WouldOverwriteInput(dir + QLatin1String(same), input)) << same;
    EXPECT_FALSE(WouldOverwriteInput(dir + QStringLiteral("/report-%d.png"), input));
    // A missing input must not be named as the output either: Ghostscript would read it back.
    EXPECT_TRUE(WouldOverwriteInput(dir + QStringLiteral("/missing.pdf"),
                                    dir + QStringLiteral("/sub/../missing.pdf")));

    // Any page of a pattern, not only page 1, in the pattern's own width.
    const QString page3 = test::WriteFile(dir + QStringLiteral("/scan-003.pdf"), "%PDF-1.4\n");
    EXPECT_TRUE(WouldOverwriteInput(dir + QStringLiteral("/scan-%03d.pdf"), page3));
    EXPECT_FALSE(WouldOverwriteInput(dir + QStringLiteral("/scan-%04d.pdf"), page3));
}
