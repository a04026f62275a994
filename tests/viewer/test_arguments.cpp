// The renderer's Ghostscript argument list, element by element.
#include "tests/support/scripted_services.h"
#include "tests/viewer/viewer_test_host.h"
#include "viewer/core/gs_arguments.h"

#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::viewer;

namespace {

const QString kTemp = QStringLiteral("/scratch/tmp/KMWa1b2c3.tmp");
const QString kDoc = QStringLiteral("/scratch/docs/a.ps");

QStringList RenderList(const options::Options& o, qint32 page, test::ScriptedServices& services,
                       const QString& temp = kTemp, const QString& doc = kDoc) {
    return ArgumentList(RenderArgumentLine(o, page, services), temp, doc);
}

} // namespace

TEST(RenderArguments, FirstStartValuesGiveThirteenElements) {
    test::ScriptedServices services;
    const QStringList args = RenderList(test::FirstStartOptions(), 1, services);
    const QStringList expected = {QStringLiteral("gswin32c"),
                                  QStringLiteral("-dNOPAUSE"),
                                  QStringLiteral("-dBATCH"),
                                  QStringLiteral("-dSAFER"),
                                  QStringLiteral("-sDEVICE=bmp16m"),
                                  QStringLiteral("-r75"),
                                  QStringLiteral("-dGraphicsAlphaBits=2"),
                                  QStringLiteral("-dTextAlphaBits=2"),
                                  QStringLiteral("-sPAPERSIZE=11x17"),
                                  QStringLiteral("-dFirstPage=1"),
                                  QStringLiteral("-dLastPage=1"),
                                  QStringLiteral("-sOutputFile=") + kTemp,
                                  kDoc};
    EXPECT_EQ(args, expected);
    EXPECT_TRUE(services.boxes.empty());
}

TEST(RenderArguments, ColourDepthChoosesTheBmpDevice) {
    const std::pair<int, const char*> cases[] = {{0, "bmpmono"}, {1, "bmpgray"}, {2, "bmp16"},
                                                 {3, "bmp256"},  {4, "bmp16m"},  {7, "bmp16m"},
                                                 {-1, "bmp16m"}};
    for (const auto& [depth, device] : cases) {
        test::ScriptedServices services;
        options::Options o = test::FirstStartOptions();
        o.ColourDepth = depth;
        const QStringList args = RenderList(o, 1, services);
        ASSERT_EQ(args.size(), 13) << depth;
        EXPECT_EQ(args[4], QStringLiteral("-sDEVICE=") + QLatin1String(device)) << depth;
    }
}

TEST(RenderArguments, SaferOffAndAntiAliasingOrder) {
    test::ScriptedServices services;
    options::Options o = test::FirstStartOptions();
    o.Safer = false;
    o.GraphicsAlpha = 4;
    o.TextAlpha = 1;
    const QStringList args = RenderList(o, 1, services);
    EXPECT_EQ(args[3], QStringLiteral("-dNOSAFER"));
    EXPECT_EQ(args[6], QStringLiteral("-dGraphicsAlphaBits=4"));
    EXPECT_EQ(args[7], QStringLiteral("-dTextAlphaBits=1"));
}

TEST(RenderArguments, PaperSizeByMediaIndexWithFixedMediaAfterIt) {
    const char* names[] = {"11x17", "a3", "a4", "a5", "b4", "b5", "ledger", "legal", "letter"};
    for (int media = 0; media < 9; ++media) {
        test::ScriptedServices services;
        options::Options o = test::FirstStartOptions();
        o.Media = media;
        o.OverrideDefaultMedia = media % 2 == 0;
        const QStringList args = RenderList(o, 1, services);
        EXPECT_EQ(args[8], QStringLiteral("-sPAPERSIZE=") + QLatin1String(names[media]));
        EXPECT_EQ(args[9] == QStringLiteral("-dFIXEDMEDIA"), o.OverrideDefaultMedia);
        EXPECT_TRUE(services.boxes.empty());
    }
    for (int media : {10, -1, 255}) {
        test::ScriptedServices services;
        options::Options o = test::FirstStartOptions();
        o.Media = media;
        const QStringList args = RenderList(o, 1, services);
        EXPECT_EQ(args.size(), 12) << media;
        EXPECT_TRUE(args.filter(QStringLiteral("PAPERSIZE")).isEmpty()) << media;
        EXPECT_TRUE(services.boxes.empty()) << media;
    }
}

TEST(RenderArguments, CustomMediaWarnsOnceAndFixedMediaStillApplies) {
    test::ScriptedServices services;
    options::Options o = test::FirstStartOptions();
    o.Media = 9;
    o.OverrideDefaultMedia = true;
    const QStringList args = RenderList(o, 1, services);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].prompt, QStringLiteral("Custom paper sizes not done yet!"));
    EXPECT_EQ(services.boxes[0].style, mb::OkOnly);
    EXPECT_EQ(services.boxes[0].title, kAppTitle);
    EXPECT_TRUE(args.filter(QStringLiteral("PAPERSIZE")).isEmpty());
    EXPECT_EQ(args[8], QStringLiteral("-dFIXEDMEDIA"));
    EXPECT_EQ(args.size(), 13);
}

TEST(RenderArguments, NegativeAndZeroNumbersKeepTheirSign) {
    test::ScriptedServices services;
    options::Options o = test::FirstStartOptions();
    o.Resolution = -75;
    QStringList args = RenderList(o, -2, services);
    EXPECT_EQ(args[5], QStringLiteral("-r-75"));
    EXPECT_EQ(args[9], QStringLiteral("-dFirstPage=-2"));
    EXPECT_EQ(args[10], QStringLiteral("-dLastPage=-2"));
    o.Resolution = 0;
    args = RenderList(o, 0, services);
    EXPECT_EQ(args[5], QStringLiteral("-r0"));
    EXPECT_EQ(args[9], QStringLiteral("-dFirstPage=0"));
    args = RenderList(o, 2147483647, services);
    EXPECT_EQ(args[10], QStringLiteral("-dLastPage=2147483647"));
}

TEST(RenderArguments, PathsWithBlanksStayWholeElements) {
    test::ScriptedServices services;
    const QString temp = QStringLiteral("/scratch/my temp dir/KMW 1.tmp");
    const QString doc = QStringLiteral("/scratch/Meine Dokumente/Übersicht größe.ps");
    const QStringList args = RenderList(test::FirstStartOptions(), 1, services, temp, doc);
    ASSERT_EQ(args.size(), 13);
    EXPECT_EQ(args[11], QStringLiteral("-sOutputFile=") + temp);
    EXPECT_EQ(args[12], doc);
    for (const QString& arg : args)
        EXPECT_FALSE(arg.isEmpty());
}

TEST(RenderArguments, FileNamesGhostscriptWouldMisreadArePassedAsPlainFiles) {
    const QString line = StartFragment();
    EXPECT_EQ(ArgumentList(line, kTemp, QStringLiteral("-sOutputFile=x.ps")).last(),
              QStringLiteral("./-sOutputFile=x.ps"));
    EXPECT_EQ(ArgumentList(line, kTemp, QStringLiteral("@args.txt")).last(),
              QStringLiteral("./@args.txt"));
    EXPECT_EQ(ArgumentList(line, kTemp, QStringLiteral("%pipe%ls")).last(),
              QStringLiteral("./%pipe%ls"));
    EXPECT_EQ(ArgumentList(line, QStringLiteral("|lpr"), kDoc).at(3),
              QStringLiteral("-sOutputFile=./|lpr"));
    // Ordinary relative and absolute names pass unchanged.
    EXPECT_EQ(ArgumentList(line, kTemp, QStringLiteral("docs/a-b.ps")).last(),
              QStringLiteral("docs/a-b.ps"));
}

TEST(RenderArguments, LiteralOutputPathEscapesThePagePlaceholder) {
    EXPECT_EQ(LiteralOutputPath(QStringLiteral("/tmp/100%/KMW%d.tmp")),
              QStringLiteral("/tmp/100%%/KMW%%d.tmp"));
    EXPECT_EQ(LiteralOutputPath(kTemp), kTemp);
}
