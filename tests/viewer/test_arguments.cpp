// The renderer's Ghostscript argument list, element by element.
#include "tests/viewer/viewer_test_host.h"
#include "viewer/core/gs_arguments.h"

#include <functional>
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
    EXPECT_EQ(RenderList(test::FirstStartOptions(), 1, services),
              QStringList({"gswin32c", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=bmp16m", "-r75",
                           "-dGraphicsAlphaBits=2", "-dTextAlphaBits=2", "-sPAPERSIZE=11x17",
                           "-dFirstPage=1", "-dLastPage=1", "-sOutputFile=" + kTemp, kDoc}));
    EXPECT_TRUE(services.boxes.empty());
}

// Each case changes the first-start options and names the run of elements it must give.
TEST(RenderArguments, EachFragmentFollowsItsOption) {
    using Change = std::function<void(options::Options&)>;
    struct Case {
        Change change;
        qint32 page;
        QString run;
    };
    std::vector<Case> cases = {
        {[](auto& o) { o.Safer = false; }, 1, " -dBATCH -dNOSAFER -sDEVICE=bmp16m -r75 "},
        {[](auto& o) { o.GraphicsAlpha = 4, o.TextAlpha = 1; }, 1,
         " -dGraphicsAlphaBits=4 -dTextAlphaBits=1 "},
        {[](auto& o) { o.Resolution = -75; }, -2, " -r-75 "},
        {[](auto& o) { o.Resolution = 0; }, -2, " -sPAPERSIZE=11x17 -dFirstPage=-2 -dLastPage=-2 "},
        {[](auto& o) { o.Resolution = 0; }, 0, " -r0 "},
        {[](auto& o) { o.Media = 8, o.OverrideDefaultMedia = true; }, 1,
         " -sPAPERSIZE=letter -dFIXEDMEDIA -dFirstPage=1 "},
        // An index outside the paper table adds no paper size and asks nothing.
        {[](auto& o) { o.Media = 10; }, 1, " -dTextAlphaBits=2 -dFirstPage=1 "},
        {[](auto& o) { o.Media = -1; }, 1, " -dTextAlphaBits=2 -dFirstPage=1 "},
    };
    const std::pair<int, const char*> devices[] = {{0, "bmpmono"}, {1, "bmpgray"}, {2, "bmp16"},
                                                   {3, "bmp256"},  {4, "bmp16m"},  {7, "bmp16m"},
                                                   {-1, "bmp16m"}};
    for (const auto& [depth, device] : devices)
        cases.push_back({[depth](auto& o) { o.ColourDepth = depth; }, 1,
                         QStringLiteral(" -dSAFER -sDEVICE=%1 -r75 ").arg(QLatin1String(device))});
    const char* papers[] = {"11x17", "a3", "a4", "a5", "b4", "b5", "ledger", "legal", "letter"};
    for (int media = 0; media < 9; ++media)
        cases.push_back(
            {[media](auto& o) { o.Media = media; }, 1,
             QStringLiteral(" -sPAPERSIZE=%1 -dFirstPage").arg(QLatin1String(papers[media]))});
    for (const Case& c : cases) {
        test::ScriptedServices services;
        options::Options o = test::FirstStartOptions();
        c.change(o);
        const QString line = RenderList(o, c.page, services).join(u' ');
        EXPECT_TRUE(line.contains(c.run)) << c.run.toStdString() << " in " << line.toStdString();
        EXPECT_TRUE(services.boxes.empty()) << line.toStdString();
    }
}

TEST(RenderArguments, CustomMediaWarnsOnceAddsNoPaperSizeAndKeepsFixedMedia) {
    test::ScriptedServices services;
    options::Options o = test::FirstStartOptions();
    o.Media = 9;
    o.OverrideDefaultMedia = true;
    const QStringList args = RenderList(o, 1, services);
    ASSERT_EQ(services.boxes.size(), 1u);
    EXPECT_EQ(services.boxes[0].prompt, QStringLiteral("Custom paper sizes not done yet!"));
    EXPECT_EQ(services.boxes[0].style, mb::OkOnly);
    EXPECT_EQ(services.boxes[0].title, kAppTitle);
    EXPECT_EQ(args.mid(7, 3), QStringList({"-dTextAlphaBits=2", "-dFIXEDMEDIA", "-dFirstPage=1"}));
}

TEST(RenderArguments, FileNamesStayWholeAndAreNeverReadAsSwitches) {
    test::ScriptedServices services;
    const QString temp = QStringLiteral("/scratch/my temp dir/KMW 1.tmp");
    const QString doc = QStringLiteral("/scratch/Meine Dokumente/Übersicht größe.ps");
    const QStringList args = RenderList(test::FirstStartOptions(), 1, services, temp, doc);
    ASSERT_EQ(args.size(), 13);
    EXPECT_EQ(args.mid(11), QStringList({"-sOutputFile=" + temp, doc}));

    // Names Ghostscript would take for a switch, an argument file, a device or a pipe.
    const std::pair<const char*, const char*> names[] = {
        {"-sOutputFile=x.ps", "./-sOutputFile=x.ps"},
        {"@args.txt", "./@args.txt"},
        {"%pipe%ls", "./%pipe%ls"},
        {"|lpr", "./|lpr"},
        {"docs/a-b.ps", "docs/a-b.ps"}};
    for (const auto& [name, passed] : names)
        EXPECT_EQ(ArgumentList(StartFragment(), QLatin1String(name), QLatin1String(name)).mid(3),
                  QStringList({QStringLiteral("-sOutputFile=") + QLatin1String(passed),
                               QLatin1String(passed)}))
            << name;
}
