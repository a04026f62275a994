// Pages rendered ahead of need: the next page is shown without running Ghostscript, a changed
// setting or file never shows a stale page, and the page asked for never waits for one ahead.
#include "tests/viewer/viewer_host.h"

#include <QFile>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

TEST(Prefetch, TheNextPageIsReadyAndOnlyForTheSettingsAndFileItWasMadeFor) {
    ViewerHost host;
    const QString doc = writeFile(QStringLiteral("ahead/three.ps"), colourPages("BRG"));
    host.loadFile(doc);
    // Idle: page 2 is rendered in the background, and nothing of it is in the log yet.
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.document.cache().size() == 1; }));
    const qsizetype blocks = host.messages.log.count(QLatin1String("GPL Ghostscript 10"));
    host.nextPage();
    EXPECT_TRUE(host.statuses.last().startsWith(QLatin1String("Redrawn from the cache, took ")));
    EXPECT_EQ(colourLetter(host.view->picture()), 'R');
    EXPECT_EQ(host.messages.log.count(QLatin1String("GPL Ghostscript 10")), blocks + 1);

    // Pages 3 and 1 come next; a new resolution makes them useless.
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.document.cache().size() == 3; }));
    host.options.resolution = 150;
    host.nextPage();
    EXPECT_TRUE(host.statuses.last().startsWith(QLatin1String("Redrawn, took ")));
    EXPECT_EQ(host.page(), QSize(417, 208));

    // A file rewritten on disk: page 2 is drawn from the new file, not from the old one.
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.document.cache().size() == 1; }));
    writeFile(doc, colourPages("BKG"));
    host.previousPage();
    EXPECT_TRUE(host.statuses.last().startsWith(QLatin1String("Redrawn, took ")));
    EXPECT_EQ(colourLetter(host.view->picture()), 'K');
}

TEST(Prefetch, ThePageAskedForDoesNotWaitForAPageAhead) {
    ViewerHost host;
    // A run that is to end on page 3 never ends: a render of it ahead must give way to the page
    // the user asks for.
    host.loadFile(writeFile(
        QStringLiteral("ahead/endless.ps"),
        colourPages("BRG",
                    "/LastPage where { /LastPage get 3 eq { /pg { {} loop } def } if } if\n")));
    host.nextPage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.document.isRenderingAhead(); }));
    QTest::qWait(200);
    host.previousPage();
    EXPECT_EQ(colourLetter(host.view->picture()), 'B');
    EXPECT_TRUE(host.dialogs.boxes.empty());
    host.document.closeDocument();
    EXPECT_FALSE(host.document.isRenderingAhead());
}

TEST(Prefetch, ThePageAskedForWhileItIsDrawnAheadIsTakenFromThatRunNotBegunAgain) {
    ViewerHost host;
    host.options.safer = false; // the document writes and looks for files
    const QString began = scratchDir() + QStringLiteral("/ahead/began");
    const QString gate = scratchDir() + QStringLiteral("/ahead/gate");
    QFile::remove(began);
    QFile::remove(gate);
    // A run of page 2 notes that it began, then waits.
    const QByteArray waits = "/LastPage where { /LastPage get 2 eq { (" + began.toUtf8() +
                             ") (a) file dup (x) writestring closefile { (" + gate.toUtf8() +
                             ") status { pop pop pop pop exit } if } loop } if } if\n";
    host.loadFile(writeFile(QStringLiteral("ahead/gated.ps"), colourPages("BRG", waits)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(began); }));
    ASSERT_TRUE(host.document.isRenderingAhead());
    // The gate opens once the page is asked for.
    QTimer::singleShot(200, &host.window, [&] { writeFile(QStringLiteral("ahead/gate"), "1"); });
    host.nextPage();
    EXPECT_EQ(colourLetter(host.view->picture()), 'R');
    EXPECT_EQ(readFile(began), "x");
    EXPECT_TRUE(host.dialogs.boxes.empty());
}

// A page asked to be drawn ahead (a search's likely hit) is, with the pages around the shown one
// not drawn ahead.
TEST(Prefetch, APageWantedSoonIsDrawnAheadAloneAndShownFromTheCache) {
    ViewerHost host;
    host.document.setPrefetch(false);
    host.loadFile(writeFile(QStringLiteral("ahead/four.ps"), colourPages("BRGY")));
    host.document.drawAhead(4);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.document.cache().size() == 1; }));
    QTest::qWait(100); // the idle moment in which page 2 would start
    EXPECT_FALSE(host.document.isRenderingAhead());
    host.drawn([&] { host.document.showPage(4); });
    EXPECT_TRUE(host.statuses.last().startsWith(QLatin1String("Redrawn from the cache, took ")));
    EXPECT_EQ(colourLetter(host.view->picture()), 'Y');
}

TEST(Prefetch, NothingRunsAheadAfterAStoppedOrFailedPage) {
    ViewerHost host;
    // Page 1 never ends: after the user's Stop the document is not run again in the background.
    const QByteArray endless = colourPages("BRG", "/pg { {} loop } def\n");
    QTimer::singleShot(500, &host.window, [&] { host.document.stop(); });
    host.loadFile(writeFile(QStringLiteral("ahead/stopped.ps"), endless));
    EXPECT_EQ(host.statuses.last(), QStringLiteral("Redraw stopped"));
    QTest::qWait(300); // the idle moment in which a page ahead would start
    EXPECT_FALSE(host.document.isRenderingAhead());
    EXPECT_FALSE(host.runner.isRunning());
}
