// quillorn-thumbnailer as a file browser runs it: "-s SIZE INPUT OUTPUT", real documents in a
// scratch folder. A thumbnail is whole or absent: nothing is left behind by a document that
// cannot make one, and none takes much longer than the time limit.
#include "app/core/thumbnail.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QProcess>
#include <QUrl>
#include <gtest/gtest.h>

using namespace quillorn::test;

namespace {

struct Case {
    const char* name;
    const char* file;
    QByteArray document;
    bool gzip;
    bool made;
    QSize size; // of a thumbnail made at 128 pixels
};

const QByteArray kPicture = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 100 100 300 200\n"
                            "0 0 1 setrgbcolor 100 100 200 100 rectfill\n";

const Case kCases[] = {
    {"Eps", "picture.eps", kPicture, false, true, QSize(128, 64)},
    {"GzippedEps", "picture.eps.gz", kPicture, true, true, QSize(128, 64)},
    {"Garbage", "garbage.ps", QByteArray(4000, '\x9c'), false, false, {}},
    {"Runaway", "loop.ps", "%!PS\n{} loop\n", false, false, {}},
    {"HugePage",
     "huge.ps",
     "%!PS\n<< /PageSize [1000000 1000000] >> setpagedevice 0 0 moveto showpage\n",
     false,
     false,
     {}},
};

class Thumbnailer : public ::testing::TestWithParam<Case> {};

TEST_P(Thumbnailer, WritesAWholeThumbnailOrNothing) {
    const Case& c = GetParam();
    const QString dir = scratchDir() + QStringLiteral("/thumbnails/") + QLatin1String(c.name);
    QDir().mkpath(dir);
    const QString input =
        writeFile(dir + u'/' + QLatin1String(c.file), c.gzip ? gzipped(c.document) : c.document);
    const QString output = dir + QStringLiteral("/thumbnail.png");
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    // As file browsers pass it: a URI, its blank escaped.
    process.start(QStringLiteral(QUILLORN_THUMBNAILER),
                  {QStringLiteral("-s"), QStringLiteral("128"),
                   QUrl::fromLocalFile(input).toString(QUrl::FullyEncoded), output});
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_LT(clock.elapsed(), quillorn::app::kThumbnailMilliseconds + 5000);
    EXPECT_EQ(process.exitCode() == 0, c.made) << process.readAllStandardError().toStdString();
    const QStringList left =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    if (c.made) {
        const QImage thumbnail(output, "PNG");
        EXPECT_EQ(thumbnail.size(), c.size);
        EXPECT_EQ(thumbnail.pixelColor(64, 32), QColor(Qt::blue));
        EXPECT_EQ(left.size(), 2) << left.join(u' ').toStdString();
    } else {
        EXPECT_EQ(left, QStringList{QLatin1String(c.file)});
    }
    EXPECT_EQ(tempLeftovers(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(Documents, Thumbnailer, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
