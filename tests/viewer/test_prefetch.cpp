// Pages rendered ahead of need: the next page is shown without running Ghostscript, a changed
// setting or file never shows a stale page, and the page asked for never waits for one ahead.
#include "tests/viewer/viewer_host.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {

// Three pages of 200 x 100 points: blue, red and green squares.
QByteArray threePages(const char* thirdPage = "0 1 0 setrgbcolor 20 20 60 60 rectfill showpage\n") {
    return QByteArray("%!PS-Adobe-3.0\n%%Pages: 3\n<< /PageSize [200 100] >> setpagedevice\n"
                      "%%Page: 1 1\n0 0 1 setrgbcolor 20 20 60 60 rectfill showpage\n"
                      "%%Page: 2 2\n1 0 0 setrgbcolor 20 20 60 60 rectfill showpage\n"
                      "%%Page: 3 3\n") +
           thirdPage;
}

QColor middle(const ViewerHost& host) {
    return host.view->picture().pixelColor(52, 52);
}

} // namespace

TEST(Prefetch, TheNextPageIsReadyAndOnlyForTheSettingsAndFileItWasMadeFor) {
    ViewerHost host;
    const QString doc = writeFile(QStringLiteral("ahead/three.ps"), threePages());
    host.document.loadFile(doc);
    // Idle: page 2 is rendered in the background, and nothing of it is in the log yet.
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.document.cache().size() == 1; }));
    const qsizetype blocks = host.messages.log.count(QLatin1String("GPL Ghostscript 10"));
    host.document.nextPage();
    EXPECT_TRUE(host.statuses.last().startsWith(QLatin1String("Redrawn from the cache, took ")));
    EXPECT_EQ(middle(host), QColor(Qt::red));
    EXPECT_EQ(host.messages.log.count(QLatin1String("GPL Ghostscript 10")), blocks + 1);

    // Pages 3 and 1 come next; a new resolution makes them useless.
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.document.cache().size() == 3; }));
    host.options.resolution = 150;
    host.document.nextPage();
    EXPECT_TRUE(host.statuses.last().startsWith(QLatin1String("Redrawn, took ")));
    EXPECT_EQ(host.page(), QSize(417, 208));

    // A file rewritten on disk: page 2 is drawn from the new file, not from the old one.
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.document.cache().size() == 1; }));
    writeFile(doc, threePages().replace("1 0 0 setrgbcolor", "0 0 0 setrgbcolor"));
    host.document.previousPage();
    EXPECT_TRUE(host.statuses.last().startsWith(QLatin1String("Redrawn, took ")));
    EXPECT_EQ(middle(host), QColor(Qt::black));
}

TEST(Prefetch, ThePageAskedForDoesNotWaitForAPageAhead) {
    ViewerHost host;
    // Page 3 never ends when it is the page asked for (the rest of the document is read all the
    // same): a render of it ahead must give way to the page the user asks for.
    host.document.loadFile(writeFile(QStringLiteral("ahead/endless.ps"),
                                     threePages("/LastPage where { /LastPage get 3 eq { {} loop } "
                                                "if } if showpage\n")));
    host.document.nextPage();
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.runner.isRunningInBackground(); }));
    QTest::qWait(200);
    host.document.previousPage();
    EXPECT_EQ(middle(host), QColor(Qt::blue));
    EXPECT_TRUE(host.dialogs.boxes.empty());
    host.document.closeDocument();
    EXPECT_FALSE(host.runner.isRunningInBackground());
}
