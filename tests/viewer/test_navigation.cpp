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

namespace {
const QString kDone = QStringLiteral("Redrawn, took 0.5 seconds");
const QString kWaiting = QStringLiteral("Please wait, redrawing...");
} // namespace

TEST(Navigation, LoadFileSetsStateCaptionAndStatusThenRedraws) {
    ViewerHost host;
    const QString doc = WriteTwoPagePostScript(QStringLiteral("nav/one.ps"));
    host.view->LoadFile(doc);
    EXPECT_TRUE(host.view->blnFileOpen());
    EXPECT_EQ(host.view->strFile(), doc);
    EXPECT_EQ(host.view->lngCurrentPage(), 1);
    EXPECT_EQ(host.captions, QStringList({kAppTitle, QStringLiteral("Quillorn - ") + doc}));
    EXPECT_EQ(host.statuses, QStringList({QStringLiteral("Closed file"),
                                          QStringLiteral("Opened file ") + doc, kWaiting, kDone}));
    EXPECT_EQ(host.window.windowTitle(), QStringLiteral("Quillorn - ") + doc);
}

TEST(Navigation, OpeningWhileOpenClosesFirst) {
    ViewerHost host;
    const QString first = WriteTwoPagePostScript(QStringLiteral("nav/first.ps"));
    const QString second = WriteTwoPagePdf(QStringLiteral("nav/second.pdf"));
    host.view->LoadFile(first);
    host.view->NextPage();
    EXPECT_EQ(host.view->lngCurrentPage(), 2);
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
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
}

TEST(Navigation, ReloadingTheOpenDocumentByItsOwnPath) {
    ViewerHost host;
    const QString doc = WriteTwoPagePostScript(QStringLiteral("nav/reload.ps"));
    host.view->LoadFile(doc);
    host.view->NextPage();
    // The path passed is the view's own, which closing empties on the way.
    host.view->LoadFile(host.view->strFile());
    EXPECT_EQ(host.view->strFile(), doc);
    EXPECT_EQ(host.view->lngCurrentPage(), 1);
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
}

TEST(Navigation, CancelInTheOpenDialogChangesNothing) {
    ViewerHost host;
    const QString doc = WriteTwoPagePostScript(QStringLiteral("nav/cancel.ps"));
    host.view->LoadFile(doc);
    host.view->NextPage();
    const QImage shown = host.view->Picture();
    const QStringList statuses = host.statuses;
    host.view->OpenDocument(); // no answer scripted: Cancel
    EXPECT_EQ(host.services.dialogTitles.size(), 1);
    EXPECT_EQ(host.view->strFile(), doc);
    EXPECT_EQ(host.view->lngCurrentPage(), 2);
    EXPECT_EQ(host.view->Picture(), shown);
    EXPECT_EQ(host.statuses, statuses);
}

TEST(Navigation, CommandsWithoutDocumentDoNothingButCloseStillReports) {
    ViewerHost host;
    host.view->NextPage();
    host.view->PreviousPage();
    host.view->GotoPage();
    EXPECT_EQ(host.view->lngCurrentPage(), 0);
    EXPECT_TRUE(host.services.inputPrompts.isEmpty());
    EXPECT_TRUE(host.statuses.isEmpty());
    EXPECT_EQ(host.services.busyCalls, 0);
    host.view->CloseDocument();
    EXPECT_EQ(host.captions, QStringList({kAppTitle}));
    EXPECT_EQ(host.statuses, QStringList({QStringLiteral("Closed file")}));
}

TEST(Navigation, CloseEmptiesTheStateAndTheView) {
    ViewerHost host;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("nav/close.ps")));
    host.view->CloseDocument();
    EXPECT_FALSE(host.view->blnFileOpen());
    EXPECT_TRUE(host.view->strFile().isEmpty());
    EXPECT_EQ(host.view->lngCurrentPage(), 0);
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_EQ(host.window.windowTitle(), kAppTitle);
    EXPECT_EQ(host.statuses.last(), QStringLiteral("Closed file"));
}

TEST(Navigation, PreviousOnPageOneAsksForPageZero) {
    ViewerHost host;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("nav/prev.ps")));
    const int redrawsBefore = host.statuses.count(kDone);
    host.view->PreviousPage();
    EXPECT_EQ(host.view->lngCurrentPage(), 0);
    EXPECT_EQ(host.statuses.count(kDone), redrawsBefore + 1);
    host.view->PreviousPage();
    EXPECT_EQ(host.view->lngCurrentPage(), -1);
    host.view->NextPage();
    host.view->NextPage();
    EXPECT_EQ(host.view->lngCurrentPage(), 1);
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
}

TEST(Navigation, GotoReadsTheWholePageRoundedDown) {
    ViewerHost host;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("nav/goto.ps")));
    const auto goTo = [&](const QString& answer) {
        host.services.inputAnswers = {answer};
        host.view->GotoPage();
    };
    goTo(QStringLiteral("2.9"));
    EXPECT_EQ(host.view->lngCurrentPage(), 2);
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
    EXPECT_EQ(host.services.inputPrompts.last(), QStringLiteral("What page do you want to go to?"));
    EXPECT_EQ(host.services.inputDefaults.last(), QStringLiteral("1"));

    goTo(QStringLiteral("3.9"));
    EXPECT_EQ(host.view->lngCurrentPage(), 3);
    EXPECT_EQ(host.services.inputDefaults.last(), QStringLiteral("2"));
    EXPECT_TRUE(host.view->Picture().isNull());

    goTo(QStringLiteral("-2"));
    EXPECT_EQ(host.view->lngCurrentPage(), -2);

    // These change nothing and do not redraw.
    const int redraws = host.statuses.count(kDone);
    for (const char* answer : {"0", "abc", "99999", "", "-40000"}) {
        goTo(QString::fromLatin1(answer));
        EXPECT_EQ(host.view->lngCurrentPage(), -2) << answer;
    }
    EXPECT_EQ(host.statuses.count(kDone), redraws);
    EXPECT_TRUE(host.view->blnFileOpen());

    // Accepting the offered default redraws the same page.
    host.services.inputAnswers = {};
    goTo(QStringLiteral("-2"));
    EXPECT_EQ(host.services.inputDefaults.last(), QStringLiteral("-2"));
    EXPECT_EQ(host.statuses.count(kDone), redraws + 1);
}

TEST(Navigation, DroppingOneDocumentOpensIt) {
    ViewerHost host;
    const QString doc = WriteTwoPagePdf(QStringLiteral("drop/Über drop.pdf"));
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at(20, 20);
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(host.view, &enter);
        const bool accepted = enter.isAccepted();
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(host.view, &dropped);
        return accepted;
    };
    EXPECT_FALSE(drop({QUrl::fromLocalFile(doc), QUrl::fromLocalFile(doc)}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(WriteFile(QStringLiteral("drop/a.txt"), "x"))}));
    EXPECT_FALSE(host.view->blnFileOpen());
    EXPECT_TRUE(drop({QUrl::fromLocalFile(doc)}));
    EXPECT_EQ(host.view->strFile(), doc);
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
}
