// The window-free rules of the viewer: page answers, the elapsed-time text, and loading a
// rendered bitmap.
#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_test_host.h"
#include "viewer/core/page_bitmap.h"
#include "viewer/core/page_number.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::viewer;

TEST(PageRules, GotoTakesTheWholePartRoundedDownWithinSixteenBits) {
    const QLocale c = QLocale::c();
    // The answers the navigation test does not give.
    const std::pair<const char*, int> pages[] = {
        {"-0.5", -1}, {"  7 ", 7}, {"1e2", 100}, {"32767.9", 32767}, {"-32768", -32768}};
    for (const auto& [answer, page] : pages)
        EXPECT_EQ(PageFromAnswer(QLatin1String(answer), c), qint16(page)) << answer;
    for (const char* answer : {"12abc", "32768", "-32768.5", "inf", "nan", "1,5", "&H10"})
        EXPECT_FALSE(PageFromAnswer(QLatin1String(answer), c)) << answer;
    // The user's decimal separator and the point both read; a point never groups thousands.
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(PageFromAnswer(QStringLiteral("2,7"), german), qint16(2));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("1.000"), german), qint16(1));
}

TEST(PageRules, RedrawnTextInTheGeneralNumberFormat) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const std::pair<float, const char*> cases[] = {{1.5f, "1.5"},
                                                   {0.3671875f, "0.3671875"},
                                                   {2.0f, "2"},
                                                   {1.0f / 3.0f, "0.3333333"},
                                                   {12345.5f, "12345.5"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(RedrawnText(seconds, us),
                  QStringLiteral("Redrawn, took %1 seconds").arg(QLatin1String(text)));
    // The user's decimal separator.
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = RedrawnText(1.5f);
    QLocale::setDefault(previous);
    EXPECT_EQ(german, QStringLiteral("Redrawn, took 1,5 seconds"));
    EXPECT_FLOAT_EQ(ElapsedSeconds(86399.5f, 0.25f), 0.75f); // across midnight
}

namespace {
// Page 1 of the two-page document at 600 dpi, written by the real library.
QString RenderBitmap(const char* device) {
    const QString doc = test::WriteTwoPagePostScript(QStringLiteral("bitmaps/two.ps"));
    const QString bmp =
        test::ScratchDir() + QStringLiteral("/bitmaps/%1.bmp").arg(QLatin1String(device));
    gs::RunGhostscript({QStringLiteral("gs"), QStringLiteral("-dNOPAUSE"),
                        QStringLiteral("-dBATCH"), QStringLiteral("-dSAFER"),
                        QStringLiteral("-sDEVICE=") + QLatin1String(device),
                        QStringLiteral("-r600"), QStringLiteral("-dLastPage=1"),
                        QStringLiteral("-sOutputFile=") + bmp, doc});
    return bmp;
}
} // namespace

TEST(PageBitmap, EveryDepthLoadsButCutOrOversizedFilesHoldNoPicture) {
    for (const char* device : {"bmp16m", "bmpgray", "bmpmono", "bmp16", "bmp256"}) {
        const QString bmp = RenderBitmap(device);
        const std::optional<QImage> page = LoadPageBitmap(bmp);
        ASSERT_TRUE(page) << device;
        EXPECT_EQ(page->size(), QSize(1667, 833)) << device; // 200 x 100 points
        // The blue square of page 1 on white paper.
        EXPECT_EQ(page->pixelColor(5, 5), QColor(Qt::white)) << device;
        EXPECT_NE(page->pixelColor(416, 417), QColor(Qt::white)) << device;

        QFile file(bmp);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QByteArray huge = bytes;
        qToLittleEndian<qint32>(1 << 30, huge.data() + 18);
        // Ghostscript stopped after the header or one byte short; a header promising a huge page.
        for (const QByteArray& cut : {bytes.left(60), bytes.chopped(1), huge})
            EXPECT_FALSE(LoadPageBitmap(test::WriteFile(QStringLiteral("bitmaps/cut.bmp"), cut)))
                << device;
        // Over a limit of one megabyte once decoded.
        EXPECT_FALSE(LoadPageBitmap(bmp, 1)) << device;
    }
    EXPECT_EQ(LoadPageBitmap(RenderBitmap("bmp16m"))->pixelColor(416, 417), QColor(Qt::blue));
    EXPECT_EQ(QImageReader::allocationLimit(), 128); // Qt's own limit is left as it was
    for (const QByteArray& junk : {QByteArray(), QByteArray(5000, 'x')})
        EXPECT_FALSE(LoadPageBitmap(test::WriteFile(QStringLiteral("bitmaps/junk.bmp"), junk)));
    EXPECT_FALSE(LoadPageBitmap(test::ScratchDir() + QStringLiteral("/bitmaps/missing.bmp")));
}
