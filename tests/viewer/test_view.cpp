// The document state, the commands that change it and the scrolled viewport, with real renders
// in a real window.
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_test_host.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

TEST(Navigation, OpenClosesFirstCancelChangesNothingCloseEmptiesEverything) {
    ViewerHost host;
    const QString first = WriteTwoPagePostScript(QStringLiteral("nav/first.ps"));
    const QString second = WriteTwoPagePdf(QStringLiteral("nav/second.pdf"));
    host.view->LoadFile(first);
    EXPECT_EQ(host.statuses, QStringList({"Closed file", "Opened file " + first, kWaiting, kDone}));
    host.view->NextPage();
    host.captions.clear();
    host.statuses.clear();
    host.services.openAnswers = {second};
    host.view->OpenDocument();
    EXPECT_EQ(host.services.dialogTitles, QStringList({"Open"}));
    EXPECT_EQ(host.services.openFilters,
              QStringList({"GhostScript files (*.ps *.eps *.epi *.pdf *.prn)"}));
    EXPECT_EQ(host.view->strFile(), second);
    EXPECT_EQ(host.view->lngCurrentPage(), 1);
    EXPECT_EQ(host.captions, QStringList({kAppTitle, "Quillorn - " + second}));
    EXPECT_EQ(host.statuses.first(), QStringLiteral("Closed file"));

    // Cancel in the open dialog changes nothing.
    host.view->NextPage();
    const QImage shown = host.view->Picture();
    const QStringList statuses = host.statuses;
    host.view->OpenDocument();
    EXPECT_EQ(host.services.dialogTitles.size(), 2);
    EXPECT_EQ(host.view->lngCurrentPage(), 2);
    EXPECT_EQ(host.view->Picture(), shown);
    EXPECT_EQ(host.statuses, statuses);

    // Reloading by the view's own path, which closing empties on the way.
    host.view->LoadFile(host.view->strFile());
    EXPECT_EQ(host.view->strFile(), second);
    EXPECT_EQ(host.view->lngCurrentPage(), 1);

    host.view->CloseDocument();
    EXPECT_FALSE(host.view->blnFileOpen());
    EXPECT_TRUE(host.view->strFile().isEmpty());
    EXPECT_EQ(host.view->lngCurrentPage(), 0);
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_EQ(host.window.windowTitle(), kAppTitle);
    EXPECT_EQ(host.statuses.last(), QStringLiteral("Closed file"));
}

TEST(Navigation, PreviousHasNoLowerBoundAndGotoReadsTheWholePageRoundedDown) {
    ViewerHost host;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("nav/goto.ps")));
    host.view->PreviousPage();
    EXPECT_EQ(host.view->lngCurrentPage(), 0);
    EXPECT_EQ(host.statuses.count(kDone), 2);

    // Each answer, the page it leads to, and the redraws so far; the default offered is the
    // current page.
    const std::tuple<const char*, int, int> answers[] = {
        {"2.9", 2, 3},  {"3.9", 3, 4},    {"-2", -2, 5}, {"0", -2, 5},
        {"abc", -2, 5}, {"99999", -2, 5}, {"", -2, 5},   {"-2", -2, 6}};
    for (const auto& [answer, page, redraws] : answers) {
        const QString offered = QString::number(host.view->lngCurrentPage());
        host.services.inputAnswers = {QLatin1String(answer)};
        host.view->GotoPage();
        EXPECT_EQ(host.services.inputDefaults.last(), offered) << answer;
        EXPECT_EQ(host.view->lngCurrentPage(), page) << answer;
        EXPECT_EQ(host.statuses.count(kDone), redraws) << answer;
    }
    EXPECT_EQ(host.services.inputPrompts.last(), QStringLiteral("What page do you want to go to?"));
    EXPECT_EQ(host.services.inputTitles.last(), QStringLiteral("Page Number"));
}

TEST(Navigation, DroppingOneDocumentOpensIt) {
    ViewerHost host;
    const QString doc = WriteTwoPagePdf(QStringLiteral("drop/Über drop.PDF"));
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &mime, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(host.view, &enter);
        QDropEvent dropped(QPointF(20, 20), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(host.view, &dropped);
        return enter.isAccepted();
    };
    EXPECT_FALSE(drop({QUrl::fromLocalFile(doc), QUrl::fromLocalFile(doc)}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(WriteFile(QStringLiteral("drop/a.txt"), "x"))}));
    EXPECT_FALSE(drop({QUrl(QStringLiteral("http://127.0.0.1/a.ps"))}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(ScratchDir())}));
    EXPECT_FALSE(host.view->blnFileOpen());
    EXPECT_TRUE(drop({QUrl::fromLocalFile(doc)})); // by its extension in any case
    EXPECT_EQ(host.view->strFile(), doc);
}

TEST(Scrolling, BarsFollowThePageAgainstTheViewport) {
    ViewerHost host(QSize(600, 600));
    // The viewport fills the view less the bars, right of it and below it.
    EXPECT_EQ(host.container->geometry(), QRect(0, 0, host.view->width() - host.ver->width(),
                                                host.view->height() - host.hor->height()));
    EXPECT_EQ(QPoint(host.ver->x(), host.hor->y()),
              QPoint(host.container->width(), host.container->height()));
    // A smaller page disables both bars and sits at the top left.
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("scroll/wide.ps")));
    EXPECT_FALSE(host.hor->isEnabled() || host.ver->isEnabled());
    EXPECT_EQ(host.display->pos(), QPoint(0, 0));
    // A wider one at 300 dpi, 833 x 417 pixels, enables only the horizontal bar.
    host.options.Resolution = 300;
    host.view->Redraw();
    EXPECT_TRUE(host.hor->isEnabled() && !host.ver->isEnabled());
    host.hor->setValue(host.hor->maximum());
    // The page's right edge against the viewport's, also when a larger window narrows the range.
    for (const QSize& size : {QSize(600, 600), QSize(700, 600)}) {
        host.window.resize(size);
        host.Settle();
        EXPECT_EQ(host.display->geometry().right(), host.container->width() - 1);
    }
    host.window.resize(1200, 900);
    host.Settle();
    EXPECT_FALSE(host.hor->isEnabled() || host.ver->isEnabled());
    EXPECT_EQ(host.display->pos(), QPoint(0, 0));
}

TEST(Scrolling, ThumbAndWheelMoveThePageAndClearingKeepsTheOffsetForTheNextPage) {
    ViewerHost host(QSize(400, 300));
    host.options.Resolution = 300;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("scroll/keep.ps")));
    ASSERT_EQ(host.Page(), QSize(833, 417));
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

    host.hor->setValue(100);
    host.ver->setValue(60);
    host.view->CloseDocument();
    EXPECT_FALSE(host.hor->isEnabled() || host.ver->isEnabled());
    EXPECT_EQ(QPoint(host.hor->value(), host.ver->value()), QPoint(100, 60));
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("scroll/keep2.ps")));
    host.view->NextPage();
    EXPECT_EQ(host.Page(), QSize(833, 417));
    EXPECT_EQ(host.display->pos(), QPoint(-100, -60));
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
