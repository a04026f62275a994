// The viewport and its scroll bars, with real rendered pages in a real window.
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_test_host.h"

#include <QApplication>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {

// The two-page document rendered at 300 dpi: 833 x 417 pixels.
void ShowWidePage(ViewerHost& host, const QString& name) {
    host.options.Resolution = 300;
    host.view->LoadFile(WriteTwoPagePostScript(name));
    ASSERT_EQ(host.view->Picture().size(), QSize(833, 417));
}

} // namespace

TEST(Scrolling, ViewportFillsTheViewLessTheBars) {
    ViewerHost host(QSize(640, 480));
    const QRect area = host.view->rect();
    EXPECT_EQ(host.Container()->width(), area.width() - host.Ver()->width());
    EXPECT_EQ(host.Container()->height(), area.height() - host.Hor()->height());
    EXPECT_EQ(host.Ver()->geometry().left(), host.Container()->geometry().right() + 1);
    EXPECT_EQ(host.Hor()->geometry().top(), host.Container()->geometry().bottom() + 1);
    EXPECT_FALSE(host.Hor()->isEnabled());
    EXPECT_FALSE(host.Ver()->isEnabled());
}

TEST(Scrolling, SmallPageDisablesBothBarsAtTheTopLeft) {
    ViewerHost host(QSize(800, 600));
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("scroll/small.ps")));
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
    EXPECT_FALSE(host.Hor()->isEnabled());
    EXPECT_FALSE(host.Ver()->isEnabled());
    EXPECT_EQ(host.Display()->pos(), QPoint(0, 0));
}

TEST(Scrolling, WiderPageEnablesOnlyTheHorizontalBarAndEnlargingDisablesIt) {
    ViewerHost host(QSize(600, 600));
    ShowWidePage(host, QStringLiteral("scroll/wide.ps"));
    EXPECT_TRUE(host.Hor()->isEnabled());
    EXPECT_FALSE(host.Ver()->isEnabled());
    EXPECT_EQ(host.Hor()->maximum(), 833 - host.Container()->width());
    EXPECT_EQ(host.Ver()->maximum(), 0);

    host.Hor()->setValue(host.Hor()->maximum());
    EXPECT_EQ(host.Display()->x(), -host.Hor()->maximum());
    // Page's right edge against the viewport's right edge.
    EXPECT_EQ(host.Display()->geometry().right(), host.Container()->width() - 1);

    // A slightly larger window narrows the range; the value follows and so does the page.
    host.window.resize(700, 600);
    host.Settle();
    EXPECT_EQ(host.Hor()->value(), host.Hor()->maximum());
    EXPECT_EQ(host.Display()->x(), -host.Hor()->value());

    host.window.resize(1200, 900);
    host.Settle();
    EXPECT_FALSE(host.Hor()->isEnabled());
    EXPECT_FALSE(host.Ver()->isEnabled());
    EXPECT_EQ(host.Display()->pos(), QPoint(0, 0));
}

TEST(Scrolling, ClearingKeepsTheOffsetForTheNextPage) {
    ViewerHost host(QSize(400, 300));
    ShowWidePage(host, QStringLiteral("scroll/keep.ps"));
    ASSERT_TRUE(host.Hor()->isEnabled());
    ASSERT_TRUE(host.Ver()->isEnabled());
    host.Hor()->setValue(100);
    host.Ver()->setValue(60);
    EXPECT_EQ(host.Display()->pos(), QPoint(-100, -60));

    host.view->CloseDocument();
    EXPECT_FALSE(host.Hor()->isEnabled());
    EXPECT_FALSE(host.Ver()->isEnabled());
    EXPECT_EQ(host.Hor()->value(), 100);
    EXPECT_EQ(host.Ver()->value(), 60);
    EXPECT_TRUE(host.view->Picture().isNull());

    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("scroll/keep2.ps")));
    host.view->NextPage();
    EXPECT_EQ(host.view->Picture().size(), QSize(833, 417));
    EXPECT_EQ(host.Hor()->value(), 100);
    EXPECT_EQ(host.Ver()->value(), 60);
    EXPECT_EQ(host.Display()->pos(), QPoint(-100, -60));
}

TEST(Scrolling, DraggingTheThumbMovesThePageWhileItMoves) {
    ViewerHost host(QSize(400, 300));
    ShowWidePage(host, QStringLiteral("scroll/drag.ps"));
    // Without tracking the value changes only on release; the page must follow the thumb anyway.
    host.Hor()->setTracking(false);
    host.Ver()->setTracking(false);
    host.Hor()->setSliderDown(true);
    host.Hor()->setSliderPosition(50);
    EXPECT_EQ(host.Display()->x(), -50);
    host.Hor()->setSliderPosition(120);
    EXPECT_EQ(host.Display()->x(), -120);
    host.Hor()->setSliderDown(false);
    EXPECT_EQ(host.Hor()->value(), 120);
    host.Ver()->setSliderDown(true);
    host.Ver()->setSliderPosition(30);
    EXPECT_EQ(host.Display()->y(), -30);
    host.Ver()->setSliderDown(false);
}

TEST(Scrolling, MouseWheelMovesTheBars) {
    ViewerHost host(QSize(400, 300));
    ShowWidePage(host, QStringLiteral("scroll/wheel.ps"));
    const auto wheel = [&](QPoint angle) {
        const QPointF at(10, 10);
        QWheelEvent event(at, host.view->mapToGlobal(at), QPoint(), angle, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(host.Container(), &event);
    };
    const int step = QApplication::wheelScrollLines() * host.Ver()->singleStep();
    wheel(QPoint(0, -120));
    EXPECT_EQ(host.Ver()->value(), std::min(step, host.Ver()->maximum()));
    EXPECT_EQ(host.Display()->y(), -host.Ver()->value());
    wheel(QPoint(0, 120));
    EXPECT_EQ(host.Ver()->value(), 0);
    wheel(QPoint(-120, 0));
    EXPECT_EQ(host.Hor()->value(), std::min(step, host.Hor()->maximum()));
    EXPECT_EQ(host.Display()->x(), -host.Hor()->value());
    // Far past the end stops at the end.
    for (int i = 0; i < 50; ++i)
        wheel(QPoint(0, -120));
    EXPECT_EQ(host.Ver()->value(), host.Ver()->maximum());
}

TEST(Scrolling, MinimisedWindowIsNotLaidOutUntilRestored) {
    ViewerHost host(QSize(600, 400));
    const QSize before = host.Container()->size();
    host.window.showMinimized();
    host.Settle();
    if (!host.window.isMinimized())
        GTEST_SKIP() << "this platform does not minimise windows";
    host.window.resize(900, 700);
    host.Settle();
    EXPECT_EQ(host.Container()->size(), before);
    host.window.showNormal();
    host.Settle();
    EXPECT_GT(host.Container()->width(), before.width());
    EXPECT_EQ(host.Container()->width(), host.view->width() - host.Ver()->width());
}

TEST(Scrolling, TinyViewKeepsSizesAtZero) {
    ViewerHost host;
    // The view as a window of its own, smaller than its scroll bars are thick.
    viewer::DocumentView view(host.services, host.options, host.messages);
    view.resize(5, 5);
    view.show();
    host.Settle();
    view.LoadFile(WriteTwoPagePostScript(QStringLiteral("scroll/tiny.ps")));
    QWidget* container = view.findChild<QWidget*>(QStringLiteral("picContainer"));
    auto* hor = view.findChild<QScrollBar*>(QStringLiteral("horScroll"));
    auto* ver = view.findChild<QScrollBar*>(QStringLiteral("verScroll"));
    ASSERT_LT(view.width(), ver->width());
    EXPECT_EQ(container->size(), QSize(0, 0));
    EXPECT_GE(hor->width(), 0);
    EXPECT_GE(ver->height(), 0);
    EXPECT_TRUE(hor->isEnabled());
    EXPECT_TRUE(ver->isEnabled());
    EXPECT_EQ(hor->maximum(), 208);
    EXPECT_EQ(ver->maximum(), 104);
}

TEST(Scrolling, PageFarTallerThanSixteenBitsScrollsToItsEnd) {
    ViewerHost host(QSize(400, 300));
    // 40000 points at 75 dpi: 41667 pixels high.
    host.view->LoadFile(WriteSizedPostScript(QStringLiteral("scroll/tall.ps"), 72, 40000));
    ASSERT_EQ(host.view->Picture().height(), 41667);
    EXPECT_TRUE(host.Ver()->isEnabled());
    EXPECT_EQ(host.Ver()->maximum(), 41667 - host.Container()->height());
    EXPECT_GT(host.Ver()->maximum(), 32767);
    host.Ver()->setValue(host.Ver()->maximum());
    EXPECT_EQ(host.Display()->geometry().bottom(), host.Container()->height() - 1);
}
