// The page view's own commands over real pages from the real library: keys and the wheel
// through a two-page document, the bounding box drawn over the page, and a zoom's preview.
#include "tests/viewer/viewer_host.h"

#include <QTest>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {
bool hasColour(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}
} // namespace

// At 300 dpi the page is 833 x 417 pixels, taller than the view: keys scroll it and turn the
// page at its edges, the wheel too; the turned-to page opens at its top or bottom.
TEST(PageKeys, KeysAndWheelScrollAndTurnPagesAtTheEdges) {
    ViewerHost host(QSize(500, 200));
    host.options.resolution = 300;
    host.loadFile(writeTwoPagePostScript(QStringLiteral("keys/two.ps")));
    QScrollBar* bar = host.ver();
    const int bottom = bar->maximum(), step = bar->pageStep();
    ASSERT_GT(bottom, step);
    enum Input { Key, Wheel };
    const int top = 0;
    const struct {
        Input input;
        int key; // or the wheel's angle
        Qt::KeyboardModifiers modifiers;
        int page, value;
    } rows[] = {
        {Key, Qt::Key_Down, {}, 1, 20},
        {Key, Qt::Key_PageDown, {}, 1, 20 + step},
        {Key, Qt::Key_End, {}, 1, bottom},
        {Key, Qt::Key_Down, {}, 1, bottom}, // only a page's worth past the edge turns it
        {Key, Qt::Key_PageDown, {}, 2, top},
        {Key, Qt::Key_Space, Qt::ShiftModifier, 1, bottom},
        {Key, Qt::Key_Space, {}, 2, top},
        {Key, Qt::Key_PageUp, {}, 1, bottom},
        {Key, Qt::Key_Up, {}, 1, bottom - 20},
        {Wheel, -120, {}, 1, bottom},
        {Wheel, -120, {}, 2, top},
        {Wheel, 120, {}, 1, bottom},
        {Key, Qt::Key_Home, {}, 1, top},
        {Key, Qt::Key_PageUp, {}, 1, top}, // there is no page before the first
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.input == Key ? "key " : "wheel ") << row.key);
        host.drawn([&] {
            if (row.input == Key) {
                QTest::keyClick(host.view, Qt::Key(row.key), row.modifiers);
            } else {
                const QPointF at = host.view->viewport()->rect().center();
                QWheelEvent wheel(at, host.view->viewport()->mapToGlobal(at), {}, {0, row.key},
                                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(host.view->viewport(), &wheel);
            }
        });
        EXPECT_EQ(host.document.currentPage(), row.page);
        EXPECT_EQ(bar->value(), row.value);
    }
}

// The box of 20 10 180 80 points at 144 dpi on a page of 200 x 100: pixels 40 to 360 across,
// 40 to 180 down. A document without a box gets no rectangle.
TEST(PageOverlay, TheBoundingBoxIsDrawnWhereTheCommentSays) {
    ViewerHost host;
    host.options.resolution = 144;
    const QByteArray page = "<< /PageSize [200 100] >> setpagedevice showpage\n";
    host.view->setBoundingBoxShown(true);
    host.loadFile(writeFile(QStringLiteral("box/boxed.ps"),
                            "%!PS-Adobe-3.0\n%%BoundingBox: 20 10 180 80\n" + page));
    ASSERT_EQ(host.page(), QSize(400, 200));
    const QImage shot = host.view->widget()->grab().toImage();
    for (const QPoint edge : {QPoint(40, 110), QPoint(360, 110), QPoint(200, 40), QPoint(200, 180)})
        EXPECT_EQ(shot.pixelColor(edge), QColor(Qt::red)) << edge.x() << "," << edge.y();
    for (const QPoint off : {QPoint(39, 110), QPoint(41, 110), QPoint(200, 110), QPoint(361, 110),
                             QPoint(200, 39), QPoint(200, 181)})
        EXPECT_EQ(shot.pixelColor(off), QColor(Qt::white)) << off.x() << "," << off.y();
    host.view->setBoundingBoxShown(false);
    EXPECT_FALSE(hasColour(host.view->widget()->grab().toImage(), Qt::red));
    host.view->setBoundingBoxShown(true);
    host.loadFile(writeFile(QStringLiteral("box/plain.ps"), "%!PS\n" + page));
    ASSERT_EQ(host.page(), QSize(400, 200));
    EXPECT_FALSE(hasColour(host.view->widget()->grab().toImage(), Qt::red));
}

// Turned by the Orientation option, the box turns with the page: it lies on the edges of what the
// document drew inside it (x 40 to 180, y 40 to 360 on the 200 x 400 picture).
TEST(PageOverlay, TheBoxTurnsWithThePage) {
    ViewerHost host;
    host.options.resolution = 144;
    host.options.orientation = options::Orientation::Landscape;
    host.view->setBoundingBoxShown(true);
    host.loadFile(
        writeFile(QStringLiteral("box/turned.ps"),
                  "%!PS-Adobe-3.0\n%%BoundingBox: 20 10 180 80\n<< /PageSize [200 100] >> "
                  "setpagedevice 0 0 1 setrgbcolor 20 10 160 70 rectfill showpage\n"));
    ASSERT_EQ(host.page(), QSize(200, 400));
    const QImage shot = host.view->widget()->grab().toImage();
    for (const QPoint edge : {QPoint(40, 200), QPoint(180, 200), QPoint(110, 40), QPoint(110, 360)})
        EXPECT_EQ(shot.pixelColor(edge), QColor(Qt::red)) << edge.x() << "," << edge.y();
    for (const QPoint in : {QPoint(42, 200), QPoint(178, 200), QPoint(110, 42), QPoint(110, 358)})
        EXPECT_EQ(shot.pixelColor(in), QColor(Qt::blue)) << in.x() << "," << in.y();
}

// An EPS picture is cropped to its box of 160 x 70 points: the box lies on the picture's edges.
TEST(PageOverlay, TheBoxOfACroppedEpsLiesOnThePicture) {
    ViewerHost host;
    host.options.resolution = 144;
    host.view->setBoundingBoxShown(true);
    host.loadFile(writeFile(QStringLiteral("box/cropped.eps"),
                            "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 20 10 180 80\n"
                            "0 0 1 setrgbcolor 20 10 160 70 rectfill showpage\n"));
    ASSERT_EQ(host.page(), QSize(320, 140));
    const QImage shot = host.view->widget()->grab().toImage();
    EXPECT_EQ(shot.pixelColor(0, 70), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(160, 0), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(40, 70), QColor(Qt::blue));
}

// While Ghostscript draws the page at 150 dpi, the view shows the 75 dpi page twice its size
// instead of the waiting text; a zoom that is stopped leaves the view empty.
TEST(ZoomPreview, TheOldPageScaledUntilTheNewOneArrives) {
    ViewerHost host;
    host.loadFile(writeTwoPagePostScript(QStringLiteral("preview/two.ps")));
    ASSERT_EQ(host.page(), QSize(208, 104));
    QString seen; // picture shown, its size, the blue square at twice its place
    host.messages.onMessage = [&] {
        if (seen.isEmpty()) {
            QWidget* picture = host.view->widget();
            seen = QStringLiteral("%1|%2x%3|%4")
                       .arg(picture->isVisible())
                       .arg(picture->width())
                       .arg(picture->height())
                       .arg(picture->grab().toImage().pixelColor(104, 104).name());
        }
    };
    host.options.resolution = 150;
    host.view->showZoomPreview(150);
    host.redraw();
    EXPECT_EQ(seen, QStringLiteral("1|416x208|#0000ff"));
    EXPECT_EQ(host.page(), QSize(417, 208));

    host.messages.onMessage = [&] { host.document.stop(); };
    host.options.resolution = 300;
    host.view->showZoomPreview(300);
    host.redraw();
    EXPECT_EQ(host.statuses.last(), QStringLiteral("Redraw stopped"));
    EXPECT_TRUE(host.view->picture().isNull());
    EXPECT_FALSE(hasColour(host.view->widget()->grab().toImage(), Qt::blue));
}
