// The window-free rules of the viewer: page answers, the elapsed-time text, drops, and loading
// a rendered bitmap.
#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_test_host.h"
#include "viewer/core/document_files.h"
#include "viewer/core/page_bitmap.h"
#include "viewer/core/page_number.h"

#include <QFile>
#include <QImageReader>
#include <QtEndian>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::viewer;

TEST(PageAnswer, WholePartRoundedDown) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(PageFromAnswer(QStringLiteral("3.9"), c), qint16(3));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("-0.5"), c), qint16(-1));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("-2"), c), qint16(-2));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("0"), c), qint16(0));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("  7 "), c), qint16(7));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("1e2"), c), qint16(100));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("32767.9"), c), qint16(32767));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("-32768"), c), qint16(-32768));
}

TEST(PageAnswer, NotANumberOrOutOfRangeGivesNothing) {
    const QLocale c = QLocale::c();
    for (const char* answer :
         {"", "   ", "abc", "12abc", "99999", "32768", "-32768.5", "inf", "nan", "1,5", "&H10"})
        EXPECT_FALSE(PageFromAnswer(QString::fromLatin1(answer), c).has_value()) << answer;
}

TEST(PageAnswer, UserDecimalSeparatorAndPointBothRead) {
    const QLocale german(QLocale::German, QLocale::Germany);
    EXPECT_EQ(PageFromAnswer(QStringLiteral("2,7"), german), qint16(2));
    EXPECT_EQ(PageFromAnswer(QStringLiteral("2.7"), german), qint16(2));
    EXPECT_FALSE(PageFromAnswer(QStringLiteral("1.000"), german) == qint16(1000));
}

TEST(RedrawnStatus, GeneralNumberFormat) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(RedrawnText(1.5f, c), QStringLiteral("Redrawn, took 1.5 seconds"));
    EXPECT_EQ(RedrawnText(0.3671875f, c), QStringLiteral("Redrawn, took 0.3671875 seconds"));
    EXPECT_EQ(RedrawnText(2.0f, c), QStringLiteral("Redrawn, took 2 seconds"));
    EXPECT_EQ(RedrawnText(0.0f, c), QStringLiteral("Redrawn, took 0 seconds"));
    EXPECT_EQ(RedrawnText(1.0f / 3.0f, c), QStringLiteral("Redrawn, took 0.3333333 seconds"));
    EXPECT_EQ(RedrawnText(12345.5f, c), QStringLiteral("Redrawn, took 12345.5 seconds"));
    EXPECT_EQ(RedrawnText(1.5f, QLocale(QLocale::German, QLocale::Germany)),
              QStringLiteral("Redrawn, took 1,5 seconds"));
    EXPECT_EQ(RedrawnText(12345.5f, QLocale(QLocale::English, QLocale::UnitedStates)),
              QStringLiteral("Redrawn, took 12345.5 seconds"));
}

TEST(RedrawnStatus, ElapsedAcrossMidnight) {
    EXPECT_FLOAT_EQ(ElapsedSeconds(10.0f, 11.5f), 1.5f);
    EXPECT_FLOAT_EQ(ElapsedSeconds(86399.5f, 0.25f), 0.75f);
    EXPECT_FLOAT_EQ(ElapsedSeconds(5.0f, 5.0f), 0.0f);
}

TEST(DroppedFiles, OneLocalDocumentOnly) {
    const auto local = [](const char* p) { return QUrl::fromLocalFile(QString::fromUtf8(p)); };
    EXPECT_EQ(DroppedDocument({local("/d/a.ps")}), QStringLiteral("/d/a.ps"));
    EXPECT_EQ(DroppedDocument({local("/d/B.EPS")}), QStringLiteral("/d/B.EPS"));
    EXPECT_EQ(DroppedDocument({local("/d/Über c.pdf")}), QStringLiteral("/d/Über c.pdf"));
    EXPECT_FALSE(DroppedDocument({}));
    EXPECT_FALSE(DroppedDocument({local("/d/a.ps"), local("/d/b.ps")}));
    EXPECT_FALSE(DroppedDocument({local("/d/a.txt")}));
    EXPECT_FALSE(DroppedDocument({QUrl(QStringLiteral("http://127.0.0.1/a.ps"))}));
    EXPECT_FALSE(DroppedDocument({local(QFile::encodeName(test::ScratchDir()).constData())}));
}

namespace {
QString RenderBitmap(const QString& device, const QString& name) {
    const QString doc = test::WriteTwoPagePostScript(QStringLiteral("bitmaps/two.ps"));
    const QString bmp = test::ScratchDir() + QStringLiteral("/bitmaps/") + name;
    gs::RunGhostscript({QStringLiteral("gs"), QStringLiteral("-dNOPAUSE"),
                        QStringLiteral("-dBATCH"), QStringLiteral("-dSAFER"),
                        QStringLiteral("-sDEVICE=") + device, QStringLiteral("-r600"),
                        QStringLiteral("-dFirstPage=1"), QStringLiteral("-dLastPage=1"),
                        QStringLiteral("-sOutputFile=") + bmp, doc});
    return bmp;
}
} // namespace

TEST(PageBitmapLoading, TrueColourAndOtherDepthsLoadWithinTheLimit) {
    // 200 x 100 points at 600 dpi.
    const QSize size(1667, 833);
    for (const char* device : {"bmp16m", "bmpgray", "bmpmono", "bmp16", "bmp256"}) {
        const QString bmp =
            RenderBitmap(QLatin1String(device), QLatin1String(device) + QStringLiteral(".bmp"));
        const std::optional<QImage> page = LoadPageBitmap(bmp);
        ASSERT_TRUE(page) << device;
        EXPECT_EQ(page->size(), size) << device;
        // The blue square of page 1, 20 to 80 points from the lower left corner.
        const QColor inside = page->pixelColor(50 * 600 / 72, 833 - 50 * 600 / 72);
        const QColor outside = page->pixelColor(5, 5);
        EXPECT_EQ(outside, QColor(Qt::white)) << device;
        EXPECT_NE(inside, outside) << device;
        if (QLatin1String(device) == QLatin1String("bmp16m")) {
            EXPECT_EQ(inside, QColor(Qt::blue));
        }
    }
    // Refused when it would not fit a one-megabyte limit, by either way of loading.
    EXPECT_FALSE(
        LoadPageBitmap(RenderBitmap(QStringLiteral("bmp16m"), QStringLiteral("big.bmp")), 1));
    EXPECT_FALSE(
        LoadPageBitmap(RenderBitmap(QStringLiteral("bmpgray"), QStringLiteral("big gray.bmp")), 1));
    // Qt's own limit is left as it was.
    EXPECT_EQ(QImageReader::allocationLimit(), 128);
}

TEST(PageBitmapLoading, IncompleteOrForeignFilesHoldNoPicture) {
    for (const char* device : {"bmp16m", "bmpgray"}) {
        const QString bmp = RenderBitmap(QLatin1String(device), QStringLiteral("cut.bmp"));
        QFile file(bmp);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        file.close();
        // Ghostscript stopped short: header only, half the rows, one byte missing.
        EXPECT_FALSE(
            LoadPageBitmap(test::WriteFile(QStringLiteral("bitmaps/header.bmp"), bytes.left(60))))
            << device;
        EXPECT_FALSE(LoadPageBitmap(
            test::WriteFile(QStringLiteral("bitmaps/half.bmp"), bytes.left(bytes.size() / 2))))
            << device;
        EXPECT_FALSE(LoadPageBitmap(
            test::WriteFile(QStringLiteral("bitmaps/one short.bmp"), bytes.chopped(1))))
            << device;
        EXPECT_TRUE(LoadPageBitmap(test::WriteFile(QStringLiteral("bitmaps/copy.bmp"), bytes)))
            << device;
        // A header that promises an absurd page.
        QByteArray huge = bytes;
        qToLittleEndian<qint32>(1 << 30, huge.data() + 18);
        EXPECT_FALSE(LoadPageBitmap(test::WriteFile(QStringLiteral("bitmaps/huge.bmp"), huge)))
            << device;
    }
    EXPECT_FALSE(LoadPageBitmap(test::WriteFile(QStringLiteral("bitmaps/empty.bmp"), {})));
    EXPECT_FALSE(LoadPageBitmap(
        test::WriteFile(QStringLiteral("bitmaps/garbage.bmp"), QByteArray(5000, 'x'))));
    EXPECT_FALSE(LoadPageBitmap(test::ScratchDir() + QStringLiteral("/bitmaps/missing.bmp")));
    EXPECT_FALSE(LoadPageBitmap(QString()));
}
