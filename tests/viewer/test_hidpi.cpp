// The page view on a screen with two device pixels to a logical one: the page is drawn at twice
// the resolution and shown at its logical size, as sharp as the screen allows.
#include "tests/viewer/viewer_host.h"

#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {
// Qt reads it when the application is made, which is after static initialisation.
const bool kScaled = qputenv("QT_SCALE_FACTOR", "2");
} // namespace

TEST(HighDpi, PagesAreDrawnForTheDevicePixelsAndShownAtTheirLogicalSize) {
    ASSERT_TRUE(kScaled);
    ViewerHost host;
    ASSERT_EQ(host.view->devicePixelRatioF(), 2.0);
    host.loadFile(writeTwoPagePostScript(QStringLiteral("hidpi/two.ps")));
    const QImage page = host.view->picture();
    EXPECT_EQ(page.size(), QSize(417, 208)); // 200 x 100 points at 150 dpi
    EXPECT_EQ(page.devicePixelRatio(), 2.0);
    EXPECT_EQ(host.view->widget()->size(), QSize(209, 104)); // as large as at 75 dpi
    // The blue square where it is at 75 dpi, drawn with every device pixel.
    const QImage painted = host.view->widget()->grab().toImage();
    EXPECT_EQ(painted.size(), QSize(418, 208));
    EXPECT_EQ(painted.pixelColor(104, 104), QColor(Qt::blue));
}
