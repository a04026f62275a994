// The document state and the commands that change it, with real renders behind them.
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_test_host.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

TEST(Navigation, OpenClosesFirstCancelChangesNothingCloseEmptiesEverything) {
    ViewerHost host;
    const QString first = WriteTwoPagePostScript(QStringLiteral("nav/first.ps"));
    const QString second = WriteTwoPagePdf(QStringLiteral("nav/second.pdf"));
    host.view->LoadFile(first);
    EXPECT_EQ(host.statuses,
              QStringList({QStringLiteral("Closed file"), QStringLiteral("Opened file ") + first,
                           kWaiting, kDone}));
    host.view->NextPage();
    host.captions.clear();
    host.statuses.clear();
    host.services.openAnswers = {second};
    host.view->OpenDocument();
    EXPECT_EQ(host.services.dialogTitles, QStringList({QStringLiteral("Open")}));
    EXPECT_EQ(host.services.openFilters,
              QStringList({QStringLiteral("GhostScript files (*.ps *.eps *.epi *.pdf *.prn)")}));
    EXPECT_EQ(host.view->strFile(), second);
    EXPECT_EQ(host.view->lngCurrentPage(), 1);
    EXPECT_EQ(host.captions, QStringList({kAppTitle, QStringLiteral("Quillorn - ") + second}));
    EXPECT_EQ(host.statuses.first(), QStringLiteral("Closed file"));
    EXPECT_EQ(host.Page(), kPage75);

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

TEST(Navigation, WithoutDocumentOnlyCloseDoesAnything) {
    ViewerHost host;
    host.view->NextPage();
    host.view->PreviousPage();
    host.view->GotoPage();
    host.view->Redraw();
    EXPECT_EQ(host.view->lngCurrentPage(), 0);
    EXPECT_TRUE(host.services.inputPrompts.isEmpty());
    EXPECT_TRUE(host.statuses.isEmpty());
    EXPECT_EQ(host.services.busyCalls, 0);
    host.view->CloseDocument();
    EXPECT_EQ(host.captions, QStringList({kAppTitle}));
    EXPECT_EQ(host.statuses, QStringList({QStringLiteral("Closed file")}));
}

TEST(Navigation, PreviousHasNoLowerBoundAndGotoReadsTheWholePageRoundedDown) {
    ViewerHost host;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("nav/goto.ps")));
    host.view->PreviousPage();
    EXPECT_EQ(host.view->lngCurrentPage(), 0);
    EXPECT_EQ(host.statuses.count(kDone), 2);

    const auto goTo = [&](const char* answer) {
        host.services.inputAnswers = {QLatin1String(answer)};
        host.view->GotoPage();
    };
    goTo("2.9");
    EXPECT_EQ(host.view->lngCurrentPage(), 2);
    EXPECT_EQ(host.services.inputPrompts.last(), QStringLiteral("What page do you want to go to?"));
    EXPECT_EQ(host.services.inputTitles.last(), QStringLiteral("Page Number"));
    EXPECT_EQ(host.services.inputDefaults.last(), QStringLiteral("0"));
    EXPECT_EQ(host.Page(), kPage75);
    goTo("3.9");
    EXPECT_EQ(host.view->lngCurrentPage(), 3);
    EXPECT_TRUE(host.view->Picture().isNull());
    goTo("-2");
    EXPECT_EQ(host.view->lngCurrentPage(), -2);
    const int redraws = host.statuses.count(kDone);
    for (const char* answer : {"0", "abc", "99999", ""}) {
        goTo(answer);
        EXPECT_EQ(host.view->lngCurrentPage(), -2) << answer;
    }
    EXPECT_EQ(host.statuses.count(kDone), redraws);
    // OK on the offered default redraws the same page.
    goTo("-2");
    EXPECT_EQ(host.services.inputDefaults.last(), QStringLiteral("-2"));
    EXPECT_EQ(host.statuses.count(kDone), redraws + 1);
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
    EXPECT_EQ(host.Page(), kPage75);
}
