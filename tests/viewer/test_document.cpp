// The document controller over a real page view: real documents rendered by the real library,
// the page commands, the waiting and status texts, the scroll bars and the failure questions.
#include "tests/viewer/viewer_host.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QScopeGuard>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {
const QSize kPage75(208, 104); // the two-page document at 75 dpi: 200 x 100 points
class RealDocument : public ::testing::TestWithParam<bool> {};
} // namespace

// Blanks, non-ASCII letters and percent signs in the document's and the temporary paths. While
// Ghostscript runs, the view waits with its text and the busy pointer.
TEST_P(RealDocument, PagesShowWithThePredictedSizeAndAMissingPageAsksToSeeTheMessages) {
    ViewerHost host;
    const QString doc = GetParam()
                            ? writeTwoPagePdf(QStringLiteral("Meine Dokumente/Über ß.pdf"))
                            : writeTwoPagePostScript(QStringLiteral("Meine Dokumente/Über ß.ps"));
    const QString tempDir = scratchDir() + QStringLiteral("/tmp/Temp mit Lücke 100%d");
    QDir().mkpath(tempDir);
    const auto restore = qScopeGuard([old = qgetenv("TMPDIR")] { qputenv("TMPDIR", old); });
    qputenv("TMPDIR", QFile::encodeName(tempDir));
    const QImage empty = host.view->viewport()->grab().toImage();
    QString seen; // status, busy, page shown, text on the viewport; at Ghostscript's first words
    host.messages.onMessage = [&] {
        if (seen.isEmpty())
            seen = QStringLiteral("%1|%2|%3|%4")
                       .arg(host.statuses.last())
                       .arg(host.dialogs.busy)
                       .arg(host.view->widget()->isVisible())
                       .arg(host.view->viewport()->grab().toImage() != empty);
    };
    host.document.loadFile(doc);
    EXPECT_EQ(seen, viewer::kWaitingText + QStringLiteral("|1|0|1"));
    ASSERT_EQ(host.statuses.size(), 4);
    EXPECT_EQ(host.statuses.first(3),
              QStringList({QStringLiteral("Closed file"), QStringLiteral("Opened file ") + doc,
                           viewer::kWaitingText}));
    EXPECT_TRUE(kRedrawn.match(host.statuses[3]).hasMatch()) << host.statuses[3].toStdString();
    ASSERT_EQ(host.page(), kPage75);
    // The blue square of page 1 as the view paints it, the red circle of page 2.
    EXPECT_EQ(host.view->widget()->grab().toImage().pixelColor(52, 52), QColor(Qt::blue));
    host.document.nextPage();
    EXPECT_EQ(host.page(), kPage75);
    EXPECT_EQ(host.view->picture().pixelColor(156, 52), QColor(Qt::red));

    host.dialogs.answers = {Answer::Yes};
    host.document.nextPage();
    EXPECT_EQ(host.document.currentPage(), 3);
    ASSERT_EQ(host.dialogs.texts(),
              QStringList({QStringLiteral("It looks like an error occured within the PostScript "
                                          "conversion program. Would you like to take a look at "
                                          "the messages?")}));
    EXPECT_EQ(host.dialogs.titles(), QStringList({QStringLiteral("Error in conversion")}));
    EXPECT_EQ(host.dialogs.boxes[0].buttons, Buttons::YesNo);
    EXPECT_EQ(std::pair(host.messages.shown, host.messages.shownModal), std::pair(1, 0));
    EXPECT_TRUE(host.view->picture().isNull());
    EXPECT_FALSE(host.barsEnabled());
    EXPECT_TRUE(kRedrawn.match(host.statuses.last()).hasMatch());
    EXPECT_EQ(host.dialogs.busy, 0);
    EXPECT_EQ(tempLeftovers(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(PostScriptAndPdf, RealDocument, ::testing::Bool());

TEST(Redraw, PaperSizesAndLargePages) {
    ViewerHost host;
    host.options.media = options::kCustomMedia; // a warning every redraw, the document's own size
    host.document.loadFile(writeTwoPagePostScript(QStringLiteral("paper/two.ps")));
    host.document.redraw();
    EXPECT_EQ(host.dialogs.texts(),
              QStringList(2, QStringLiteral("Custom paper sizes not done yet!")));
    EXPECT_EQ(host.page(), kPage75);
    // A fixed A4 page at 600 dpi: more than Qt lets an image be by default.
    host.options.media = 2, host.options.overrideDefaultMedia = true, host.options.resolution = 600;
    host.document.redraw();
    EXPECT_EQ(host.dialogs.texts().size(), 2); // no warning for a paper size
    EXPECT_EQ(host.page(), QSize(4958, 7017)); // 595 x 842 points
    // A page too large to show is refused as soon as Ghostscript starts writing it.
    host.document.setBitmapLimitMb(8);
    host.document.redraw();
    EXPECT_TRUE(host.dialogs.texts().last().contains(
        QLatin1String("The page is too large to show at 600 dots per inch (4958 x 7017 pixels)")));
    EXPECT_TRUE(host.view->picture().isNull());
    EXPECT_EQ(tempLeftovers(), QStringList());
}

// A library that is not there: the redraw's one failure that is not the document's.
TEST(Redraw, AMissingLibraryReachesTheUnexpectedErrorBox) {
    ViewerHost host(QSize(800, 600), {scratchDir() + QStringLiteral("/nowhere/libgs-gone.so.10")});
    host.document.loadFile(writeTwoPagePostScript(QStringLiteral("missing/two.ps")));
    EXPECT_EQ(host.dialogs.titles(), QStringList({QStringLiteral("Error (please report)")}));
    const QString text = host.dialogs.texts().value(0);
    EXPECT_TRUE(text.startsWith(QStringLiteral("An unexpected error occured while redrawing: ")) &&
                text.contains(QStringLiteral("libgs-gone.so.10")))
        << text.toStdString();
    EXPECT_EQ(host.dialogs.busy, 0);
    EXPECT_EQ(tempLeftovers(), QStringList());
}

TEST(Navigation, PageCommandsOpenCancelCloseAndDrop) {
    ViewerHost host;
    const QString second = writeTwoPagePdf(QStringLiteral("nav/second.pdf"));
    host.document.loadFile(writeTwoPagePostScript(QStringLiteral("nav/first.ps")));
    host.document.previousPage();
    EXPECT_EQ(host.document.currentPage(), 0);
    EXPECT_EQ(host.statuses.filter(kRedrawn).size(), 2);
    // Each answer (the empty one is Cancel), the page it leads to and the redraws so far; the
    // current page is offered.
    const std::tuple<const char*, int, int> answers[] = {
        {"2.9", 2, 3},  {"3.9", 3, 4},    {"-2", -2, 5}, {"0", -2, 5},
        {"abc", -2, 5}, {"99999", -2, 5}, {"", -2, 5},   {"-2", -2, 6}};
    for (const auto& [answer, page, count] : answers) {
        const QString offered = QString::number(host.document.currentPage());
        host.dialogs.textAnswers = {QLatin1String(answer)};
        host.document.goToPage();
        EXPECT_EQ(host.dialogs.offered.last(), offered) << answer;
        EXPECT_EQ(host.document.currentPage(), page) << answer;
        EXPECT_EQ(host.statuses.filter(kRedrawn).size(), count) << answer;
    }
    EXPECT_EQ(host.dialogs.textPrompts.last(), QStringLiteral("What page do you want to go to?"));
    // Open closes the document first.
    host.captions.clear();
    host.dialogs.openAnswers = {second};
    host.document.openDocument();
    EXPECT_EQ(host.document.filePath(), second);
    EXPECT_EQ(host.document.currentPage(), 1);
    EXPECT_EQ(host.captions, QStringList({kAppTitle, QStringLiteral("Quillorn - ") + second}));
    // Cancel in the open dialog changes nothing.
    host.document.nextPage();
    const QImage shown = host.view->picture();
    const QStringList statuses = host.statuses;
    host.document.openDocument();
    EXPECT_EQ(host.dialogs.fileDialogTitles, QStringList(2, QStringLiteral("Open")));
    EXPECT_EQ(host.document.currentPage(), 2);
    EXPECT_EQ(host.view->picture(), shown);
    EXPECT_EQ(host.statuses, statuses);
    // Reloading by the document's own path, which closing empties on the way.
    host.document.loadFile(host.document.filePath());
    EXPECT_EQ(host.document.filePath(), second);
    host.document.closeDocument();
    EXPECT_TRUE(!host.document.isOpen() && host.document.filePath().isEmpty());
    EXPECT_TRUE(host.view->picture().isNull());
    EXPECT_EQ(host.captions.last(), kAppTitle);
    // Without a document the page commands do nothing.
    for (auto command :
         {&viewer::DocumentController::nextPage, &viewer::DocumentController::previousPage,
          &viewer::DocumentController::goToPage, &viewer::DocumentController::redraw})
        (host.document.*command)();
    EXPECT_EQ(host.document.currentPage(), 0);
    EXPECT_EQ(host.dialogs.textPrompts.size(), 8);
    EXPECT_EQ(host.statuses.last(), QStringLiteral("Closed file"));
    // One document dropped on the view is handed on to be opened.
    QStringList dropped;
    QObject::connect(host.view, &viewer::PageView::fileDropped,
                     [&](const QString& path) { dropped << path; });
    for (const QList<QUrl>& urls : {QList{QUrl::fromLocalFile(second), QUrl::fromLocalFile(second)},
                                    QList{QUrl::fromLocalFile(second)}}) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter({20, 20}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(host.view->viewport(), &enter);
        EXPECT_EQ(enter.isAccepted(), urls.size() == 1);
        QDropEvent drop({20, 20}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(host.view->viewport(), &drop);
    }
    EXPECT_EQ(dropped, QStringList({second}));
}

TEST(Scrolling, BarsFollowThePageAndCloseKeepsTheirOffsets) {
    ViewerHost host(QSize(600, 600));
    host.document.loadFile(writeTwoPagePostScript(QStringLiteral("scroll/small.ps")));
    EXPECT_FALSE(host.barsEnabled());
    // 40000 points tall at 75 dpi: more pixels than 16 bits count.
    host.document.loadFile(writeSizedPostScript(QStringLiteral("scroll/tall.ps"), 72, 40000));
    ASSERT_EQ(host.page(), QSize(75, 41667));
    EXPECT_TRUE(!host.hor()->isEnabled() && host.ver()->isEnabled());
    EXPECT_EQ(host.ver()->maximum(), 41667 - host.view->viewport()->height());
    // A wider page at 300 dpi, 833 x 417 pixels: the horizontal bar over the part not shown.
    host.options.resolution = 300;
    host.document.loadFile(writeTwoPagePostScript(QStringLiteral("scroll/wide.ps")));
    ASSERT_EQ(host.page(), QSize(833, 417));
    EXPECT_TRUE(host.hor()->isEnabled() && !host.ver()->isEnabled());
    EXPECT_EQ(host.hor()->maximum(), 833 - host.view->viewport()->width());
    host.hor()->setValue(100);
    host.document.closeDocument();
    EXPECT_FALSE(host.barsEnabled());
    EXPECT_EQ(host.hor()->value(), 100);
    host.document.loadFile(writeTwoPagePostScript(QStringLiteral("scroll/next.ps")));
    host.document.nextPage();
    EXPECT_EQ(host.view->widget()->pos(), QPoint(-100, 0));
    host.window.resize(1200, 900);
    ViewerHost::settle();
    EXPECT_FALSE(host.barsEnabled());
}
