// The window-free rules of the viewer: the Ghostscript argument list element by element, page
// answers, the elapsed-time text, and loading a rendered bitmap.
#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_test_host.h"
#include "viewer/core/gs_arguments.h"
#include "viewer/core/page_bitmap.h"
#include "viewer/core/page_number.h"

#include <QImageReader>
#include <QtEndian>
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
    struct Case {
        std::function<void(options::Options&)> change;
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

// Blanks stay in one element; names Ghostscript would take for a switch, an argument file, a
// device or a pipe are passed as paths.
TEST(RenderArguments, FileNamesStayWholeAndAreNeverReadAsSwitches) {
    test::ScriptedServices services;
    const QString temp = QStringLiteral("/scratch/my temp dir/KMW 1.tmp");
    const QString doc = QStringLiteral("/scratch/Meine Dokumente/Übersicht größe.ps");
    const QStringList args = RenderList(test::FirstStartOptions(), 1, services, temp, doc);
    ASSERT_EQ(args.size(), 13);
    EXPECT_EQ(args.mid(11), QStringList({"-sOutputFile=" + temp, doc}));
    for (const char* name : {"-sOutputFile=x.ps", "@args.txt", "%pipe%ls", "|lpr", "docs/a-b.ps"}) {
        const QString passed = QLatin1String(name[0] == 'd' ? "" : "./") + QLatin1String(name);
        EXPECT_EQ(ArgumentList(StartFragment(), QLatin1String(name), QLatin1String(name)).mid(3),
                  QStringList({"-sOutputFile=" + passed, passed}))
            << name;
    }
}

TEST(PageRules, GotoTakesTheWholePartRoundedDownWithinSixteenBits) {
    // The answers the navigation test does not give.
    const std::pair<const char*, int> pages[] = {
        {"-0.5", -1}, {"  7 ", 7}, {"1e2", 100}, {"32767.9", 32767}, {"-32768", -32768}};
    for (const auto& [answer, page] : pages)
        EXPECT_EQ(PageFromAnswer(QLatin1String(answer), QLocale::c()), qint16(page)) << answer;
    for (const char* answer : {"12abc", "32768", "-32768.5", "inf", "nan", "1,5", "&H10"})
        EXPECT_FALSE(PageFromAnswer(QLatin1String(answer), QLocale::c())) << answer;
    // The user's decimal separator and the point both read; a point never groups thousands.
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(PageFromAnswer(QStringLiteral("2,7"), german), qint16(2));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("1.000"), german), qint16(1));
}

TEST(PageRules, RedrawnTextInTheGeneralNumberFormat) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const std::pair<float, const char*> cases[] = {
        {1.5f, "1.5"}, {0.3671875f, "0.3671875"}, {2.0f, "2"}, {1.0f / 3.0f, "0.3333333"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(RedrawnText(seconds, us),
                  QStringLiteral("Redrawn, took %1 seconds").arg(QLatin1String(text)));
    const QLocale previous; // the user's decimal separator
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = RedrawnText(1.5f);
    QLocale::setDefault(previous);
    EXPECT_EQ(german, QStringLiteral("Redrawn, took 1,5 seconds"));
    EXPECT_FLOAT_EQ(ElapsedSeconds(86399.5f, 0.25f), 0.75f); // across midnight
}

// Page 1 of the two-page document at 600 dpi in every depth, written by the real library.
TEST(PageBitmap, EveryDepthLoadsButCutOrOversizedFilesHoldNoPicture) {
    const QString doc = test::WriteTwoPagePostScript(QStringLiteral("bitmaps/two.ps"));
    for (const char* device : {"bmp16m", "bmpgray", "bmpmono", "bmp16", "bmp256"}) {
        const QString bmp = QStringLiteral("%1/bitmaps/%2.bmp").arg(test::ScratchDir(), device);
        gs::RunGhostscript({"gs", "-dNOPAUSE", "-dBATCH", "-dSAFER",
                            "-sDEVICE=" + QLatin1String(device), "-r600", "-dLastPage=1",
                            "-sOutputFile=" + bmp, doc});
        const std::optional<QImage> page = LoadPageBitmap(bmp);
        ASSERT_TRUE(page) << device;
        EXPECT_EQ(page->size(), QSize(1667, 833)) << device; // 200 x 100 points
        // The blue square of page 1 on white paper.
        EXPECT_EQ(page->pixelColor(5, 5), QColor(Qt::white)) << device;
        EXPECT_NE(page->pixelColor(416, 417), QColor(Qt::white)) << device;

        const QByteArray bytes = test::ReadFile(bmp);
        QByteArray huge = bytes;
        qToLittleEndian<qint32>(1 << 30, huge.data() + 18);
        // Ghostscript stopped after the header or one byte short; a header promising a huge page.
        for (const QByteArray& cut : {bytes.left(60), bytes.chopped(1), huge})
            EXPECT_FALSE(LoadPageBitmap(test::WriteFile(QStringLiteral("bitmaps/cut.bmp"), cut)))
                << device;
        // Over a limit of one megabyte once decoded.
        EXPECT_FALSE(LoadPageBitmap(bmp, 1)) << device;
    }
    EXPECT_EQ(QImageReader::allocationLimit(), 128); // Qt's own limit is left as it was
    for (const QByteArray& junk : {QByteArray(), QByteArray(5000, 'x')})
        EXPECT_FALSE(LoadPageBitmap(test::WriteFile(QStringLiteral("bitmaps/junk.bmp"), junk)));
    EXPECT_FALSE(LoadPageBitmap(test::ScratchDir() + QStringLiteral("/bitmaps/missing.bmp")));
}
