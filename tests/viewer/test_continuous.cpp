// Continuous pages: the layout's arithmetic, the page service's order and cache over the real
// worker runner and library, and the continuous view going to a page.
#include "tests/viewer/viewer_host.h"
#include "viewer/continuous_view.h"
#include "viewer/core/page_cache.h"
#include "viewer/core/page_layout.h"
#include "viewer/core/page_service.h"
#include "viewer/thumbnails_panel.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include <set>

using namespace quillorn;
using namespace quillorn::test;
using viewer::PagePriority;

namespace {

// ---- the layout ----

struct LayoutCase {
    const char* name;
    std::vector<QSize> pages;
    int viewWidth;
    int scroll; // the view's top in the strip
    int viewHeight;
    int top;                   // index of the page at the top
    std::pair<int, int> shown; // first and last index in view
};

void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.name;
}

class Layout : public testing::TestWithParam<LayoutCase> {};

TEST_P(Layout, PageAtTheTopAndPagesInView) {
    const LayoutCase& c = GetParam();
    const viewer::PageLayout layout = viewer::stackPages(c.pages, c.viewWidth, 10);
    EXPECT_EQ(viewer::pageAt(layout, c.scroll), c.top);
    EXPECT_EQ(viewer::visiblePages(layout, c.scroll, c.viewHeight), c.shown);
    // Every page in the middle of the strip, none overlapping the next.
    for (std::size_t i = 0; i < layout.pages.size(); ++i) {
        const QRect& page = layout.pages[i];
        EXPECT_EQ(page.size(), c.pages[i]);
        EXPECT_LE(std::abs(page.left() + page.right() + 1 - layout.size.width()), 1);
        if (i + 1 < layout.pages.size()) {
            EXPECT_EQ(layout.pages[i + 1].top(), page.bottom() + 1 + 10);
        }
    }
    EXPECT_GE(layout.size.width(), c.viewWidth);
}

const std::vector<QSize> kThree = {{100, 200}, {100, 200}, {100, 200}};

INSTANTIATE_TEST_SUITE_P(
    Pages, Layout,
    testing::Values(
        // Pages from y 10..209, 220..419, 430..629.
        LayoutCase{"AtTheStart", kThree, 300, 0, 150, 0, {0, 0}},
        LayoutCase{"InsideTheSecondPage", kThree, 300, 300, 150, 1, {1, 2}},
        LayoutCase{"InTheGapThePageBelow", kThree, 300, 212, 100, 1, {1, 1}},
        LayoutCase{"OnAPageTopLine", kThree, 300, 220, 500, 1, {1, 2}},
        LayoutCase{"ThePagesBottomLineIsStillIt", kThree, 300, 209, 5, 0, {0, 0}},
        LayoutCase{"PastTheEndTheLastPage", kThree, 300, 700, 100, 2, {0, -1}},
        LayoutCase{
            "NarrowViewTheWidestPageSetsTheWidth", {{100, 50}, {400, 50}}, 200, 0, 1000, 0, {0, 1}},
        LayoutCase{"NoPages", {}, 300, 0, 100, -1, {0, -1}}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

struct ZoomCase {
    const char* name;
    double from, to; // resolutions
    QPoint scroll;   // before
    QPoint anchor;   // in the view
};

void PrintTo(const ZoomCase& c, std::ostream* os) {
    *os << c.name;
}

class ZoomAbout : public testing::TestWithParam<ZoomCase> {};

// The point of a page under the anchor is the same point of the same page after the zoom.
TEST_P(ZoomAbout, ThePointUnderTheAnchorStays) {
    const ZoomCase& c = GetParam();
    const QSizeF letter(612, 792);
    const auto layoutAt = [&](double resolution) {
        return viewer::stackPages(std::vector<QSize>(5, viewer::pagePixels(letter, resolution)),
                                  800, 10);
    };
    const viewer::PageLayout before = layoutAt(c.from), after = layoutAt(c.to);
    const QPoint scroll = viewer::scrollAfterZoom(before, after, c.scroll, c.anchor);
    const QPoint was = c.scroll + c.anchor, is = scroll + c.anchor;
    const int page = viewer::pageAt(before, was.y());
    ASSERT_EQ(viewer::pageAt(after, is.y()), page);
    const QRect& from = before.pages[std::size_t(page)];
    const QRect& to = after.pages[std::size_t(page)];
    EXPECT_NEAR(double(was.x() - from.left()) / from.width(),
                double(is.x() - to.left()) / to.width(), 0.01);
    EXPECT_NEAR(double(was.y() - from.top()) / from.height(),
                double(is.y() - to.top()) / to.height(), 0.01);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, ZoomAbout,
    testing::Values(ZoomCase{"InOnThirdPage", 72, 144, {0, 1700}, {300, 200}},
                    ZoomCase{"OutOnFirstPageCorner", 150, 75, {100, 0}, {150, 40}},
                    ZoomCase{"InAtTheViewTop", 100, 120, {0, 900}, {0, 0}}),
    [](const testing::TestParamInfo<ZoomCase>& info) { return std::string(info.param.name); });

// ---- the page service ----

// The service over the real worker runner, recording what it answers.
struct ServiceHost {
    explicit ServiceHost(const QString& path, int pages,
                         qint64 cacheBytes = viewer::PageService::kDefaultCacheBytes)
        : service(runner, options, nullptr, cacheBytes) {
        viewer::PageDocument document;
        document.input = path;
        document.stamp = "1";
        document.pageCount = pages;
        service.setDocument(document);
        QObject::connect(&service, &viewer::PageService::pageReady, &service,
                         [this](qint32 page, int, const QImage& picture) {
                             answered.push_back(page);
                             letters[page] = colourLetter(picture);
                             sizes[page] = picture.size();
                         });
        QObject::connect(&service, &viewer::PageService::pageFailed, &service,
                         [this](qint32 page) { failed.push_back(page); });
    }
    bool idle() const { return service.isIdle(); }

    options::Options options = firstStartOptions();
    gs::WorkerRunner runner;
    viewer::PageService service;
    std::vector<qint32> answered;
    std::vector<qint32> failed;
    std::map<qint32, char> letters;
    std::map<qint32, QSize> sizes;
};

TEST(PageService, AVisiblePageIsDrawnWhileBackgroundWorkTakesEveryWorker) {
    // A run that is to end on page 1, 2 or 3 never ends: those drawn in the background hold
    // every worker until they give way.
    ServiceHost host(writeFile(QStringLiteral("service/endless.ps"),
                               colourPages("RGBY", "/LastPage where { /LastPage get 4 lt "
                                                   "{ /pg { {} loop } def } if } if\n")),
                     4);
    for (qint32 page = 1; page <= 3; ++page)
        host.service.request(page, 36, PagePriority::Thumbnail);
    // Shared out among the workers from the event loop.
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.service.queued() == 0; }));
    ASSERT_EQ(host.service.running(), std::min(2, host.service.workers()));
    host.service.request(4, 36, PagePriority::Visible);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !host.answered.empty(); }, 30000));
    EXPECT_EQ(host.answered, std::vector<qint32>{4});
    EXPECT_EQ(host.letters[4], 'Y');
    EXPECT_TRUE(host.failed.empty());
}

TEST(PageService, ACancelledRequestIsNeverAnsweredAndTheCacheKeepsItsBound) {
    const QString doc = writeFile(QStringLiteral("service/six.ps"), colourPages("RGBYKR"));
    // 200 x 100 points at 72 dpi: 80 000 bytes a page; room for three.
    const qint64 bound = 3 * 200 * 100 * 4 + 100;
    ServiceHost host(doc, 6, bound);
    for (qint32 page = 1; page <= 6; ++page)
        host.service.request(page, 72, PagePriority::Visible);
    // One running, one still queued: neither reaches the view.
    host.service.cancel(2, 72);
    host.service.cancel(6, 72);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.idle(); }, 30000));
    EXPECT_EQ(std::set<qint32>(host.answered.begin(), host.answered.end()),
              (std::set<qint32>{1, 3, 4, 5}));
    EXPECT_EQ(host.letters, (std::map<qint32, char>{{1, 'R'}, {3, 'B'}, {4, 'Y'}, {5, 'K'}}));
    EXPECT_LE(host.service.cache().bytes(), bound);
    EXPECT_GE(host.service.cache().size(), 1);
}

TEST(PageService, BackgroundPagesDrawnTogetherEachAnswerForItsOwnPage) {
    ServiceHost host(writeFile(QStringLiteral("service/seven.ps"), colourPages("RGBYKGB")), 7);
    // Small pictures with anti-aliasing are drawn finer without it and scaled down.
    host.options.textAlpha = host.options.graphicsAlpha = 4;
    ASSERT_TRUE(viewer::isSupersampled(18, host.options));
    // The current page first, as the thumbnails ask.
    for (const qint32 page : {5, 1, 2, 3, 4, 6, 7})
        host.service.request(page, 18, PagePriority::Thumbnail);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.idle() && host.answered.size() == 7; }, 30000));
    EXPECT_EQ(host.letters,
              (std::map<qint32, char>{
                  {1, 'R'}, {2, 'G'}, {3, 'B'}, {4, 'Y'}, {5, 'K'}, {6, 'G'}, {7, 'B'}}));
    // 200 x 100 points at 18 dpi, as a picture drawn at that resolution would be.
    for (const auto& [page, size] : host.sizes)
        EXPECT_EQ(size, QSize(50, 25)) << "page " << page;
    EXPECT_TRUE(host.failed.empty());
}

TEST(PageCache, RoomForAPictureIsMadeBeforeItComesTheOldestGoingFirst) {
    const QImage picture(100, 100, QImage::Format_RGB32);
    constexpr qint64 kPicture = 40000;
    viewer::PageCache cache(10, 3 * kPicture);
    for (const char* key : {"1", "2", "3"})
        cache.insert({QLatin1String(key), picture, QString(), false});
    cache.makeRoom(2 * kPicture);
    EXPECT_EQ(cache.size(), 1);
    EXPECT_TRUE(cache.contains(QStringLiteral("3")));
    cache.makeRoom(4 * kPicture); // larger than the cache: it is not kept, nothing goes for it
    EXPECT_EQ(cache.size(), 1);
}

// ---- the thumbnails ----

// Each page's thumbnail is its own picture with its number under it, whole; a click asks for the
// page.
TEST(Thumbnails, EveryPageDrawnWithItsNumberUnderItAndAClickAsksForIt) {
    // Letter pages, coloured at their bottom left.
    ServiceHost host(writeFile(QStringLiteral("service/thumbs.ps"),
                               colourPages("RGB", "<< /PageSize [612 792] >> setpagedevice\n")),
                     3);
    viewer::ThumbnailsPanel panel(host.service);
    panel.resize(200, 600);
    panel.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.answered.size() == 3; }, 30000));
    QCoreApplication::processEvents(); // the icons set and laid out
    const int label = panel.fontMetrics().height();
    QRect above;
    for (int row = 0; row < panel.count(); ++row) {
        SCOPED_TRACE(row);
        QListWidgetItem* item = panel.item(row);
        const QRect rect = panel.visualItemRect(item);
        EXPECT_GE(rect.height(), panel.iconSize().height() + label);
        EXPECT_FALSE(rect.intersects(above));
        above = rect;
        const QImage icon = item->icon().pixmap(panel.iconSize()).toImage();
        EXPECT_EQ(colourLetter(icon, QPoint(4, icon.height() - 4)), "RGB"[row]);
    }
    QSignalSpy chosen(&panel, &viewer::ThumbnailsPanel::pageChosen);
    QTest::mouseClick(panel.viewport(), Qt::LeftButton, {},
                      panel.visualItemRect(panel.item(1)).center());
    ASSERT_EQ(chosen.count(), 1);
    EXPECT_EQ(chosen.at(0).at(0).toInt(), 2);
}

// ---- the continuous view ----

TEST(ContinuousView, GoToShowsThePagesTopAtTheTopOfTheView) {
    ViewerHost host(QSize(400, 300));
    viewer::PageService service(host.runner, host.options);
    viewer::ContinuousView continuous(service, host.options);
    viewer::ContinuousView* view = &continuous;
    view->setDocument(&host.document);
    view->resize(400, 300);
    view->show();
    host.loadFile(writeFile(QStringLiteral("continuous/eight.ps"), colourPages("RGBYKRGB")));
    ASSERT_TRUE(view->canShow());
    host.dialogs.textAnswers.push_back(QStringLiteral("6"));
    const std::optional<qint32> page = host.document.askPage();
    ASSERT_EQ(page, 6);
    view->scrollToPage(*page);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->viewDrawn(); }, 30000));
    EXPECT_EQ(view->pageAtTop(), 6);
    EXPECT_EQ(host.shown.last().first, 6); // the status bar follows
    const QImage shot = view->viewport()->grab().toImage();
    const QRect top = view->layout().pages[5].translated(-view->horizontalScrollBar()->value(),
                                                         -view->verticalScrollBar()->value());
    EXPECT_EQ(top.top(), viewer::kPageGap);
    EXPECT_EQ(colourLetter(shot, top.topLeft() + QPoint(top.width() / 2, 3)), 'R');
}

} // namespace
