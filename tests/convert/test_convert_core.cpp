#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QThread>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace quillorn;
using namespace quillorn::convert;

namespace {

// The dialog's defaults: PDF, 72 dpi, both anti-aliasing boxes on "4".
ConvertSettings Defaults(const QString& input, const QString& output) {
    ConvertSettings s;
    s.inputFile = input;
    s.format = kFormatPdf;
    s.jpegQuality = QStringLiteral("90");
    s.resolution = QStringLiteral("72");
    s.graphicsAlpha = 2;
    s.textAlpha = 2;
    s.output = output;
    return s;
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
    const QStringList args =
        List(Defaults(QStringLiteral("/docs/a b.ps"), QStringLiteral("/docs/a b.pdf")), o);
    EXPECT_EQ(args, (QStringList{"gswin32c", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=pdfwrite",
                                 "-dCompatibilityLevel=1.3", "-dPDFSETTINGS=/prepress", "-r72",
                                 "-dGraphicsAlphaBits=4", "-dTextAlphaBits=4", "-sPAPERSIZE=a4",
                                 "-sOutputFile=/docs/a b.pdf", "/docs/a b.ps"}));
}

TEST(ConvertArguments, VectorDevicesReachTheLibraryWithoutAntiAliasing) {
    ConvertSettings s = Defaults(QStringLiteral("/docs/-dTextAlphaBits=4"),
                                 QStringLiteral("/docs/-dGraphicsAlphaBits=4"));
    for (int format : {kFormatPdf, kFormatPs, kFormatEps, kFormatPxl}) {
        s.format = format;
        s.choice = format == kFormatPxl ? 0 : -1;
        const QStringList built = List(s);
        const QStringList passed = LibraryArguments(built);
        ASSERT_EQ(passed.size(), built.size() - 2) << format;
        // The file elements stay, even when their names look like the switches.
        EXPECT_EQ(passed.mid(passed.size() - 2), built.mid(built.size() - 2));
        EXPECT_FALSE(passed.mid(0, passed.size() - 2).join(u' ').contains(u"AlphaBits"));
        const qsizetype alpha = built.indexOf(QStringLiteral("-dGraphicsAlphaBits=4"));
        EXPECT_EQ(passed.mid(0, alpha), built.mid(0, alpha));
    }
    for (int format : {kFormatPng, kFormatTiff, kFormatJpeg, kFormatBmp}) {
        s.format = format;
        s.choice = 0;
        EXPECT_EQ(LibraryArguments(List(s)), List(s)) << format;
    }
}

TEST(ConvertArguments, JpegQualityFollowsTheDeviceAndNumbersReadByTheRule) {
    ConvertSettings s = Defaults(QStringLiteral("in.ps"), QStringLiteral("out-%d.jpg"));
    s.format = kFormatJpeg;
    s.choice = 1;
    s.jpegQuality = QStringLiteral("85");
    QStringList args = List(s);
    const qsizetype device = args.indexOf(QStringLiteral("-sDEVICE=jpeg"));
    ASSERT_GE(device, 0);
    EXPECT_EQ(args[device + 1], QStringLiteral("-dJPEGQ=85"));
    EXPECT_EQ(args[device + 2], QStringLiteral("-r72"));
    EXPECT_EQ(args[3], QStringLiteral("-dNOSAFER")); // the record's initial state

    s.choice = 0;
    s.jpegQuality.clear();
    s.resolution = QStringLiteral("abc");
    args = List(s);
    EXPECT_TRUE(args.contains(QStringLiteral("-sDEVICE=jpeggray")));
    EXPECT_TRUE(args.contains(QStringLiteral("-dJPEGQ=0")));
    EXPECT_TRUE(args.contains(QStringLiteral("-r0")));

    s.resolution = QStringLiteral(" 1 5");
    s.jpegQuality = QStringLiteral("&HF");
    args = List(s);
    EXPECT_TRUE(args.contains(QStringLiteral("-r15")));
    EXPECT_TRUE(args.contains(QStringLiteral("-dJPEGQ=15")));
}

TEST(ConvertArguments, NumbersUseAPointWhateverTheUsersLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ConvertSettings s = Defaults(QStringLiteral("in.ps"), QStringLiteral("out.pdf"));
    s.resolution = QStringLiteral("1.5");
    EXPECT_TRUE(List(s).contains(QStringLiteral("-r1.5")));
    s.resolution = QStringLiteral("1E2");
    EXPECT_TRUE(List(s).contains(QStringLiteral("-r100")));
    s.resolution = QStringLiteral("-0");
    EXPECT_TRUE(List(s).contains(QStringLiteral("-r0")));
    // Texts shown to the user do take the user's separator.
    EXPECT_EQ(ElapsedSecondsText(1.5f), QStringLiteral("1,5"));
    EXPECT_EQ(ElapsedSecondsText(1234.25f), QStringLiteral("1234,25"));
    QLocale::setDefault(before);
}

TEST(ConvertArguments, DeviceElementsAndAntiAliasingPositions) {
    ConvertSettings s = Defaults(QStringLiteral("in.ps"), QStringLiteral("out.pdf"));
    EXPECT_EQ(List(s).size(), 13);
    s.format = kFormatPnm;
    EXPECT_EQ(List(s).size(), 11);
    EXPECT_EQ(List(s)[4], QStringLiteral("-sDEVICE=pnm"));

    s.graphicsAlpha = 0;
    s.textAlpha = 1;
    QStringList args = List(s);
    const qsizetype g = args.indexOf(QStringLiteral("-dGraphicsAlphaBits=1"));
    EXPECT_GE(g, 0);
    EXPECT_EQ(args.value(g + 1), QStringLiteral("-dTextAlphaBits=2"));

    s.graphicsAlpha = -1;
    s.textAlpha = -1;
    args = List(s);
    EXPECT_FALSE(args.join(u' ').contains(QStringLiteral("AlphaBits")));

    s.format = -1; // no entry chosen: no device at all
    EXPECT_FALSE(List(s).join(u' ').contains(QStringLiteral("DEVICE")));
}

TEST(ConvertArguments, PaperSizeCustomMessageAndFixedMedia) {
    ConvertSettings s = Defaults(QStringLiteral("in.ps"), QStringLiteral("out.pdf"));
    options::Options o;
    o.Media = 9;
    o.OverrideDefaultMedia = true;
    test::ScriptedServices services;
    QStringList args = ConvertArgumentList(s, o, services);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].prompt, QStringLiteral("Custom paper sizes not done yet"));
    EXPECT_EQ(services.boxes[0].style, mb::OkOnly);
    EXPECT_EQ(services.boxes[0].title, kAppTitle);
    EXPECT_FALSE(args.join(u' ').contains(QStringLiteral("PAPERSIZE")));
    EXPECT_EQ(args[args.size() - 3], QStringLiteral("-dFIXEDMEDIA"));

    o.Media = 10;
    args = ConvertArgumentList(s, o, services);
    EXPECT_EQ(services.boxes.size(), 1u);
    EXPECT_FALSE(args.join(u' ').contains(QStringLiteral("PAPERSIZE")));

    o.Media = 8;
    args = ConvertArgumentList(s, o, services);
    const qsizetype paper = args.indexOf(QStringLiteral("-sPAPERSIZE=letter"));
    ASSERT_GE(paper, 0);
    EXPECT_EQ(args[paper + 1], QStringLiteral("-dFIXEDMEDIA"));
}

TEST(ConvertDevices, EveryChoiceHasItsDevice) {
    // Spot checks of the table, and the successors of devices Ghostscript no longer has.
    EXPECT_EQ(DeviceFragmentFor(kFormatBmp, 4, {}), QStringLiteral(" -sDEVICE=bmp16m"));
    EXPECT_EQ(DeviceFragmentFor(kFormatPxl, 0, {}), QStringLiteral(" -sDEVICE=pxlmono"));
    EXPECT_EQ(DeviceFragmentFor(kFormatEps, -1, {}), QStringLiteral(" -sDEVICE=eps2write"));
    EXPECT_EQ(DeviceFragmentFor(kFormatPs, -1, {}), QStringLiteral(" -sDEVICE=ps2write"));
    EXPECT_EQ(DeviceFragmentFor(kFormatPcx, 5, {}), QStringLiteral(" -sDEVICE=pcxcmyk"));
    EXPECT_EQ(DeviceFragmentFor(kFormatTiff, 0, {}), QStringLiteral(" -sDEVICE=tiff24nc"));
    EXPECT_EQ(DeviceFragmentFor(kFormatPng, 6, {}), QString());
    EXPECT_EQ(DeviceFragmentFor(11, 0, {}), QString());
    int choices = 0;
    for (const OutputFormat& f : FormatTable())
        choices += f.choices.empty() ? 1 : static_cast<int>(f.choices.size());
    EXPECT_EQ(choices, 32);
}

TEST(OutputNames, ProposalFromTheBaseOfTheInputPath) {
    const QString input = QStringLiteral("/docs/report.ps");
    const QStringList expected = {
        "/docs/report-%d.bmp", "/docs/report-%d.eps", "/docs/report-%d.pcl", "/docs/report-%d.jpg",
        "/docs/report-%d.pcx", "/docs/report-%d.psd", "/docs/report.pdf",    "/docs/report-%d.png",
        "/docs/report-%d.pnm", "/docs/report.ps",     "/docs/report-%d.tiff"};
    for (int i = 0; i < kFormatCount; ++i)
        EXPECT_EQ(ProposeOutputName(input, i), expected[i]) << i;
    EXPECT_EQ(ProposeOutputName(QStringLiteral("/a.b/c.d.ps"), kFormatPdf),
              QStringLiteral("/a.b/c.d.pdf"));
    EXPECT_EQ(ProposeOutputName(QStringLiteral("/my.docs/report"), kFormatPdf),
              QStringLiteral("/my.pdf"));
    EXPECT_EQ(ProposeOutputName(QStringLiteral("/docs/report"), kFormatPng),
              QStringLiteral("/docs/report-%d.png"));
}

TEST(OutputNames, FirstOutputFileNameAndDialogFilters) {
    EXPECT_EQ(FirstOutputName(QStringLiteral("/out/page-%d.png")),
              QStringLiteral("/out/page-1.png"));
    EXPECT_EQ(FirstOutputName(QStringLiteral("/out/page-%02d.png")),
              QStringLiteral("/out/page-01.png"));
    EXPECT_EQ(FirstOutputName(QStringLiteral("/out/page-%03d.png")),
              QStringLiteral("/out/page-001.png"));
    EXPECT_EQ(FirstOutputName(QStringLiteral("/out/page-%04d.png")),
              QStringLiteral("/out/page-%04d.png"));
    EXPECT_EQ(FirstOutputName(QStringLiteral("/out/%d-%D.png")), QStringLiteral("/out/1-%D.png"));
    EXPECT_EQ(FirstOutputName(QStringLiteral("/out/one.pdf")), QStringLiteral("/out/one.pdf"));

    EXPECT_EQ(DialogFilter(QStringLiteral("Bitmap Files|*.bmp")),
              QStringLiteral("Bitmap Files (*.bmp)"));
    EXPECT_EQ(DialogFilter(QStringLiteral("JPEG files|*.jpeg;*.jpg")),
              QStringLiteral("JPEG files (*.jpeg *.jpg)"));
}

TEST(OutputNames, OverwritingTheInputIsRecognisedThroughLinks) {
    const QString dir = test::ScratchDir() + QStringLiteral("/overwrite");
    const QString input = test::WriteFile(dir + QStringLiteral("/report.pdf"), "%PDF-1.4\n");
    const QString ps = test::WriteFile(dir + QStringLiteral("/ünïcode report.ps"), "%!PS\n");
    ASSERT_FALSE(input.isEmpty());
    QDir().mkpath(dir + QStringLiteral("/sub"));
    EXPECT_TRUE(WouldOverwriteInput(input, input));
    EXPECT_TRUE(WouldOverwriteInput(dir + QStringLiteral("/sub/../report.pdf"), input));
    EXPECT_TRUE(WouldOverwriteInput(ps, ps));
    EXPECT_FALSE(WouldOverwriteInput(dir + QStringLiteral("/report-%d.png"), input));
    EXPECT_FALSE(WouldOverwriteInput(dir + QStringLiteral("/other.pdf"), input));
    EXPECT_TRUE(WouldOverwriteInput(dir + QStringLiteral("/missing.pdf"),
                                    dir + QStringLiteral("/sub/../missing.pdf")));
    EXPECT_FALSE(WouldOverwriteInput(dir + QStringLiteral("/missing.pdf"), {}));

    ASSERT_TRUE(QFile::link(input, dir + QStringLiteral("/link.pdf")));
    EXPECT_TRUE(WouldOverwriteInput(dir + QStringLiteral("/link.pdf"), input));
    ASSERT_TRUE(QFile::link(dir, dir + QStringLiteral("/linked-dir")));
    EXPECT_TRUE(WouldOverwriteInput(dir + QStringLiteral("/linked-dir/report.pdf"), input));
    ASSERT_EQ(::link(QFile::encodeName(input).constData(),
                     QFile::encodeName(dir + QStringLiteral("/hard.pdf")).constData()),
              0);
    EXPECT_TRUE(WouldOverwriteInput(dir + QStringLiteral("/hard.pdf"), input));

    // A page pattern whose page 1 (or any later page) is the input.
    const QString page1 = test::WriteFile(dir + QStringLiteral("/scan-1.pdf"), "%PDF-1.4\n");
    EXPECT_TRUE(WouldOverwriteInput(dir + QStringLiteral("/scan-%d.pdf"), page1));
    const QString page3 = test::WriteFile(dir + QStringLiteral("/scan-003.pdf"), "%PDF-1.4\n");
    EXPECT_TRUE(WouldOverwriteInput(dir + QStringLiteral("/scan-%03d.pdf"), page3));
    EXPECT_FALSE(WouldOverwriteInput(dir + QStringLiteral("/scan-%04d.pdf"), page3));
    EXPECT_FALSE(WouldOverwriteInput(dir + QStringLiteral("/scan-%d.png"), page3));
}

TEST(OutputNames, WitnessCountsOnlyFilesWrittenSinceItWasTaken) {
    const QString dir = test::ScratchDir() + QStringLiteral("/witness");
    const QString path = dir + QStringLiteral("/out.pdf");
    QDir().mkpath(dir);
    FileWitness absent(path);
    EXPECT_FALSE(absent.CreatedOrRewritten());
    test::WriteFile(path, "old");
    EXPECT_TRUE(absent.CreatedOrRewritten());

    FileWitness stale(path);
    EXPECT_FALSE(stale.CreatedOrRewritten());
    QFile reopened(path);
    ASSERT_TRUE(reopened.open(QIODevice::ReadOnly)); // reading is not writing
    reopened.close();
    EXPECT_FALSE(stale.CreatedOrRewritten());
    QThread::msleep(20);          // past the file system's timestamp granularity
    test::WriteFile(path, "new"); // same size, rewritten
    EXPECT_TRUE(stale.CreatedOrRewritten());

    FileWitness present(path);
    QFile::remove(path);
    EXPECT_FALSE(present.CreatedOrRewritten());
}
