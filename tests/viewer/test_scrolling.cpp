// The viewport and its scroll bars, with real rendered pages in a real window.
#include "tests/viewer/viewer_test_host.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {
// The two-page document at 300 dpi: 833 x 417 pixels.
void ShowWidePage(ViewerHost& host, const QString& name) {
    host.options.Resolution = 300;
    host.view->LoadFile(WriteTwoPagePostScript(name));
    ASSERT_EQ(host.Page(), QSize(833, 417));
}
} // namespace

TEST(Scrolling, SmallPageDisablesBothBarsAtTheTopLeftOfTheViewport) {
    ViewerHost host(QSize(640, 480));
    // The viewport fills the view less the bars, right of it and below it.
    EXPECT_EQ(host.container->geometry(), QRect(0, 0, host.view->width() - host.ver->width(),
                                                host.view->height() - host.hor->height()));
    EXPECT_EQ(host.ver->x(), host.container->width());
    EXPECT_EQ(host.hor->y(), host.container->height());
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("scroll/small.ps")));
    EXPECT_EQ(host.Page(), kPage75);
    EXPECT_FALSE(host.hor->isEnabled() || host.ver->isEnabled());
    EXPECT_EQ(host.display->pos(), QPoint(0, 0));
}

TEST(Scrolling, WiderPageEnablesOnlyTheHorizontalBarAndEnlargingDisablesIt) {
    ViewerHost host(QSize(600, 600));
    ShowWidePage(host, QStringLiteral("scroll/wide.ps"));
    EXPECT_TRUE(host.hor->isEnabled());
    EXPECT_FALSE(host.ver->isEnabled());
    host.hor->setValue(host.hor->maximum());
    // The page's right edge against the viewport's.
    EXPECT_EQ(host.display->geometry().right(), host.container->width() - 1);
    // A larger window narrows the range; the value and the page follow.
    host.window.resize(700, 600);
    host.Settle();
    EXPECT_EQ(host.display->geometry().right(), host.container->width() - 1);
    host.window.resize(1200, 900);
    host.Settle();
    EXPECT_FALSE(host.hor->isEnabled() || host.ver->isEnabled());
    EXPECT_EQ(host.display->pos(), QPoint(0, 0));
}

TEST(Scrolling, ClearingKeepsTheOffsetForTheNextPageOfTheSameSize) {
    ViewerHost host(QSize(400, 300));
    ShowWidePage(host, QStringLiteral("scroll/keep.ps"));
    host.hor->setValue(100);
    host.ver->setValue(60);
    EXPECT_EQ(host.display->pos(), QPoint(-100, -60));
    host.view->CloseDocument();
    EXPECT_FALSE(host.hor->isEnabled() || host.ver->isEnabled());
    EXPECT_EQ(QPoint(host.hor->value(), host.ver->value()), QPoint(100, 60));
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("scroll/keep2.ps")));
    host.view->NextPage();
    EXPECT_EQ(host.Page(), QSize(833, 417));
    EXPECT_EQ(host.display->pos(), QPoint(-100, -60));
}

TEST(Scrolling, DraggingAThumbOrTurningTheWheelMovesThePage) {
    ViewerHost host(QSize(400, 300));
    ShowWidePage(host, QStringLiteral("scroll/drag.ps"));
    // Without tracking the value changes only on release; the page follows the thumb anyway.
    host.hor->setTracking(false);
    host.hor->setSliderDown(true);
    host.hor->setSliderPosition(120);
    EXPECT_EQ(host.display->x(), -120);
    host.hor->setSliderDown(false);

    const auto wheel = [&](QPoint angle) {
        QWheelEvent event(QPointF(10, 10), host.view->mapToGlobal(QPointF(10, 10)), QPoint(), angle,
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(host.container, &event);
    };
    const int step = QApplication::wheelScrollLines() * host.ver->singleStep();
    wheel(QPoint(0, -120));
    EXPECT_EQ(host.display->y(), -std::min(step, host.ver->maximum()));
    wheel(QPoint(-120, 0));
    EXPECT_EQ(host.display->x(), -std::min(120 + step, host.hor->maximum()));
}

TEST(Scrolling, MinimisedWindowIsNotLaidOutUntilRestored) {
    ViewerHost host(QSize(600, 400));
    const QSize before = host.container->size();
    host.window.showMinimized();
    host.Settle();
    if (!host.window.isMinimized())
        GTEST_SKIP() << "this platform does not minimise windows";
    host.window.resize(900, 700);
    host.Settle();
    EXPECT_EQ(host.container->size(), before);
    host.window.showNormal();
    host.Settle();
    EXPECT_EQ(host.container->width(), host.view->width() - host.ver->width());
}

// Neither may end the program: a view smaller than its bars, a page taller than 16 bits count.
TEST(Scrolling, ExtremeSizesKeepWorking) {
    ViewerHost host(QSize(400, 300));
    // 40000 points at 75 dpi: 41667 pixels.
    host.view->LoadFile(WriteSizedPostScript(QStringLiteral("scroll/tall.ps"), 72, 40000));
    ASSERT_EQ(host.Page().height(), 41667);
    host.ver->setValue(host.ver->maximum());
    EXPECT_EQ(host.display->geometry().bottom(), host.container->height() - 1);

    viewer::DocumentView tiny(host.services, host.options, host.messages);
    tiny.resize(5, 5); // smaller than its bars are thick
    tiny.show();
    host.Settle();
    tiny.LoadFile(WriteTwoPagePostScript(QStringLiteral("scroll/tiny.ps")));
    EXPECT_EQ(tiny.findChild<QWidget*>(QStringLiteral("picContainer"))->size(), QSize(0, 0));
    EXPECT_TRUE(tiny.findChild<QScrollBar*>(QStringLiteral("verScroll"))->isEnabled());
}
