// The document controller over a real page view: real documents rendered by the real library,
// the page commands, the waiting and status texts, the scroll bars and the failure questions.
#include "gs/document_info.h"
#include "tests/viewer/viewer_host.h"

#include <QDir>
#include <QScopeGuard>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {
const QSize kPage75(208, 104); // the two-page document at 75 dpi: 200 x 100 points
class RealDocument : public ::testing::TestWithParam<bool> {};
} // namespace

// Blanks, non-ASCII letters and percent signs in the document's and the temporary paths. While
// Ghostscript runs, the pointer is busy.
TEST_P(RealDocument, PagesShowWithThePredictedSizeUpToTheLastPage) {
    ViewerHost host;
    const QString doc = GetParam()
                            ? writeTwoPagePdf(QStringLiteral("Meine Dokumente/Über ß.pdf"))
                            : writeTwoPagePostScript(QStringLiteral("Meine Dokumente/Über ß.ps"));
    const QString tempDir = scratchDir() + QStringLiteral("/tmp/Temp mit Lücke 100%d");
    QDir().mkpath(tempDir);
    const auto restore = qScopeGuard([old = qgetenv("TMPDIR")] { qputenv("TMPDIR", old); });
    qputenv("TMPDIR", QFile::encodeName(tempDir));
    int busyWhileRunning = 0; // at Ghostscript's first words
    host.messages.onMessage = [&] {
        busyWhileRunning = std::max(busyWhileRunning, host.dialogs.busy);
    };
    host.loadFile(doc);
    EXPECT_EQ(busyWhileRunning, 1);
    ASSERT_EQ(host.page(), kPage75);
    // The blue square of page 1 as the view paints it, the red circle of page 2.
    EXPECT_EQ(host.view->widget()->grab().toImage().pixelColor(52, 52), QColor(Qt::blue));
    host.nextPage();
    EXPECT_EQ(host.page(), kPage75);
    EXPECT_EQ(host.view->picture().pixelColor(156, 52), QColor(Qt::red));

    // The number of pages is known from the file: Next ends on the last page.
    host.nextPage();
    EXPECT_EQ(host.shown, (QList<std::pair<qint32, int>>{{0, 0}, {1, 2}, {2, 2}}));
    EXPECT_TRUE(host.dialogs.boxes.empty());
    EXPECT_EQ(host.dialogs.busy, 0);
    EXPECT_EQ(tempLeftovers(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(PostScriptAndPdf, RealDocument, ::testing::Bool());

TEST(Redraw, PaperSizesAndLargePages) {
    ViewerHost host;
    host.options.media = options::Paper::Custom; // a warning every redraw, the document's own size
    host.loadFile(writeTwoPagePostScript(QStringLiteral("paper/two.ps")));
    host.redraw();
    EXPECT_EQ(host.dialogs.texts(),
              QStringList(2, QStringLiteral("Custom paper sizes not done yet")));
    EXPECT_EQ(host.page(), kPage75);
    // A fixed A4 page at 600 dpi: more than Qt lets an image be by default.
    host.options.media = options::Paper::A4, host.options.overrideDefaultMedia = true,
    host.options.resolution = 600;
    host.redraw();
    EXPECT_EQ(host.dialogs.texts().size(), 2); // no warning for a paper size
    EXPECT_EQ(host.page(), QSize(4958, 7017)); // 595 x 842 points
    // A page too large to show is refused as soon as Ghostscript starts writing it.
    host.document.setBitmapLimitMb(8);
    host.redraw();
    EXPECT_TRUE(host.dialogs.boxes.back().text.contains(
        QLatin1String("The page is too large to show at 600 dots per inch (4958 x 7017 pixels)")))
        << host.dialogs.texts().join(u'|').toStdString() << host.statuses.last().toStdString();
    EXPECT_TRUE(host.view->picture().isNull());
    EXPECT_EQ(tempLeftovers(), QStringList());
}

TEST(Navigation, PageCommandsReloadAndClose) {
    ViewerHost host;
    const QString second = writeTwoPagePdf(QStringLiteral("nav/second.pdf"));
    host.loadFile(writeTwoPagePostScript(QStringLiteral("nav/first.ps")));
    host.previousPage(); // on page 1: nothing
    EXPECT_EQ(host.document.currentPage(), 1);
    // Each answer (the empty one is Cancel) and the page it leads to; the current page is
    // offered. The document has two pages: others are refused with a message.
    const std::pair<const char*, int> answers[] = {
        {"2.9", 2}, {"-2", 2}, {"abc", 2}, {"", 2}, {"1", 1}};
    for (const auto& [answer, page] : answers) {
        const QString offered = QString::number(host.document.currentPage());
        host.dialogs.textAnswers = {QLatin1String(answer)};
        host.goToPage();
        EXPECT_EQ(host.dialogs.textOffers.last(), offered) << answer;
        EXPECT_EQ(host.document.currentPage(), page) << answer;
    }
    EXPECT_EQ(host.dialogs.texts(),
              QStringList{QStringLiteral("There is no page -2 in this document; it has 2 pages.")});
    // Reloading by the document's own path, which closing empties on the way.
    host.loadFile(second);
    host.loadFile(host.document.filePath());
    EXPECT_EQ(host.document.filePath(), second);
    host.document.closeDocument();
    EXPECT_TRUE(!host.document.isOpen() && host.document.filePath().isEmpty());
    EXPECT_TRUE(host.view->picture().isNull());
}

TEST(Scrolling, BarsFollowThePageAndANewDocumentOpensAtItsTopLeft) {
    ViewerHost host(QSize(600, 600));
    host.loadFile(writeTwoPagePostScript(QStringLiteral("scroll/small.ps")));
    EXPECT_FALSE(host.barsEnabled());
    QTest::keyClick(host.view, Qt::Key_PageDown); // a page that fits is at its bottom
    EXPECT_EQ(host.document.currentPage(), 2);
    // 40000 points tall at 75 dpi: more pixels than 16 bits count.
    host.loadFile(writeSizedPostScript(QStringLiteral("scroll/tall.ps"), 72, 40000));
    ASSERT_EQ(host.page(), QSize(75, 41667));
    EXPECT_TRUE(!host.hor()->isEnabled() && host.ver()->isEnabled());
    EXPECT_EQ(host.ver()->maximum(), 41667 - host.view->viewport()->height());
    // A wider page at 300 dpi, 833 x 417 pixels: the horizontal bar over the part not shown.
    host.options.resolution = 300;
    host.loadFile(writeTwoPagePostScript(QStringLiteral("scroll/wide.ps")));
    ASSERT_EQ(host.page(), QSize(833, 417));
    EXPECT_TRUE(host.hor()->isEnabled() && !host.ver()->isEnabled());
    EXPECT_EQ(host.hor()->maximum(), 833 - host.view->viewport()->width());
    host.hor()->setValue(100);
    host.document.closeDocument();
    EXPECT_FALSE(host.barsEnabled());
    EXPECT_EQ(host.hor()->value(), 100);
    host.loadFile(writeTwoPagePostScript(QStringLiteral("scroll/next.ps")));
    // At its left edge, not where the other one was scrolled to; not as tall as the view, it
    // stands in the middle of it.
    ViewerHost::settle();
    EXPECT_EQ(host.hor()->value(), host.hor()->minimum());
    EXPECT_LE(std::abs(host.view->widget()->geometry().center().y() -
                       host.view->viewport()->rect().center().y()),
              1);
    host.window.resize(1200, 900);
    ViewerHost::settle();
    EXPECT_FALSE(host.barsEnabled());
}

namespace {
// A PDF of 200 x 100 point pages, one for each letter of colourPages. The root of its page tree
// holds its resources ahead of its count, which a plain reading of the file does not get past:
// only Ghostscript can tell the number of pages.
QString writeHandMadePdf(const QString& relativePath, const QByteArray& letters) {
    QByteArrayList objects = {"<< /Type /Catalog /Pages 2 0 R >>", {}};
    QByteArray kids;
    for (const char letter : letters) {
        kids += QByteArray::number(objects.size() + 1) + " 0 R ";
        const QByteArray content = (letter == 'R'   ? "1 0 0"
                                    : letter == 'G' ? "0 1 0"
                                                    : "0 0 1") +
                                   QByteArray(" rg 0 0 200 100 re f");
        objects << "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 100] /Contents " +
                       QByteArray::number(objects.size() + 2) + " 0 R >>"
                << "<< /Length " + QByteArray::number(content.size()) + " >>\nstream\n" + content +
                       "\nendstream";
    }
    objects[1] = "<< /Type /Pages /Resources << /ProcSet [/PDF] >> /Count " +
                 QByteArray::number(letters.size()) + " /Kids [" + kids + "] >>";
    return writeFile(relativePath, pdfOfObjects(objects));
}
} // namespace

TEST(Pages, CountedWhereCheapOrByGhostscriptAndGoingPastTheEndSaysSo) {
    ViewerHost host;
    const QString pdf = writeHandMadePdf(QStringLiteral("count/hidden tree.pdf"), "RGB");
    ASSERT_FALSE(gs::cheapPageCount(pdf));
    host.loadFile(pdf);
    EXPECT_EQ(host.shown.last(), std::pair(1, 3));
    host.dialogs.textAnswers = {QStringLiteral("4")};
    host.goToPage();
    EXPECT_EQ(host.document.currentPage(), 1);
    // No page comments: the end shows itself when a page is asked for that Ghostscript lacks.
    host.loadFile(writeFile(QStringLiteral("count/plain.ps"),
                            "%!PS\n10 10 moveto 90 90 lineto stroke showpage\nshowpage\n"));
    host.nextPage();
    EXPECT_EQ(host.shown.last(), std::pair(2, 0));
    // The page past the end is not entered: the last one stays, and the count is known now.
    host.nextPage();
    EXPECT_EQ(host.shown.last(), std::pair(2, 2));
    EXPECT_EQ(
        host.dialogs.texts(),
        QStringList({QStringLiteral("There is no page 4 in this document; it has 3 pages."),
                     QStringLiteral("There is no page 3 in this document; it has 2 pages.")}));
    host.nextPage(); // nothing more to go to
    EXPECT_EQ(host.dialogs.texts().size(), 2);
    EXPECT_EQ(tempLeftovers(), QStringList());
}

// Documents that decide for themselves which pages they make, so that Ghostscript's page range
// misses: each page a run over the whole document makes is shown in turn, and no other.
TEST(Pages, DocumentsThatChooseTheirOwnPagesShowEveryPageGhostscriptMakes) {
    const QByteArray twoUp = colourPages(
        "RGB",
        "/NupDict 5 dict def NupDict begin /n 0 def /realshow systemdict /showpage get def end\n"
        "/showpage { NupDict begin /n n 1 add def n 2 mod 0 eq { realshow } if end } bind def\n",
        "NupDict /n get 2 mod 1 eq { NupDict /realshow get exec } if\n");
    const QByteArray byPageCount =
        "%!PS\n<< /PageSize [200 100] >> setpagedevice\n/cols [[1 0 0] [0 1 0] [0 0 1]] def\n"
        "3 { currentpagedevice /PageCount get cols exch 3 mod get aload pop setrgbcolor\n"
        "    0 0 200 100 rectfill showpage } repeat\n";
    const struct {
        const char* name;
        QByteArray document;
        QByteArray pages;
        QStringList messages;
    } documents[] = {
        {"two-up",
         twoUp,
         "GB",
         {QStringLiteral("There is no page 3 in this document; it has 2 pages.")}},
        {"page count", byPageCount, "RGB", {}},
        {"two copies", colourPages("RGB", "/#copies 2 def\n"), "RRGGBB", {}},
    };
    for (const auto& [name, document, pages, messages] : documents) {
        SCOPED_TRACE(name);
        ViewerHost host;
        host.loadFile(writeFile(
            QStringLiteral("own pages/") + QLatin1String(name) + QStringLiteral(".ps"), document));
        QByteArray seen;
        for (qint32 page = 0; page != host.document.currentPage() && seen.size() < 10;) {
            page = host.document.currentPage();
            seen += colourLetter(host.view->picture());
            host.nextPage();
        }
        EXPECT_EQ(seen, pages);
        EXPECT_EQ(host.document.pageCount(), pages.size());
        EXPECT_EQ(host.dialogs.texts(), messages);
        host.document.closeDocument(); // the pages kept for it go with it
        EXPECT_EQ(tempLeftovers(), QStringList());
    }
}

TEST(Redraw, AnEncryptedPdfAsksForItsPasswordUntilOneWorks) {
    const QString pdf = writeEncryptedPdf(QStringLiteral("locked/two.pdf"));
    ViewerHost host;
    host.dialogs.passwordAnswers = {QStringLiteral("wrong"), QStringLiteral("user")};
    host.loadFile(pdf);
    ASSERT_EQ(host.dialogs.passwordPrompts.size(), 2);
    EXPECT_TRUE(host.dialogs.passwordPrompts[1].startsWith(QLatin1String("The password did not")));
    EXPECT_EQ(host.page(), kPage75);
    host.nextPage(); // the password is kept for the document
    EXPECT_EQ(host.view->picture().pixelColor(156, 52), QColor(Qt::red));
    EXPECT_EQ(host.dialogs.passwordPrompts.size(), 2);
    EXPECT_TRUE(host.dialogs.boxes.empty());
    // Ghostscript 10.0 dies of a wrong password instead of saying so (the crashing stand-in
    // plays it): it is asked for again, and after Cancel nothing is left waiting on the screen.
    host.runner.setLibraryCandidates({QStringLiteral(CRASHING_GS)});
    host.options.resolution = 80; // not the page rendered ahead
    host.redraw();
    host.runner.setLibraryCandidates({});
    EXPECT_EQ(host.dialogs.passwordPrompts.size(), 3);
    EXPECT_TRUE(host.dialogs.passwordPrompts.last().startsWith(QLatin1String("The password did")));
    EXPECT_NE(host.statuses.last(), viewer::DocumentController::waitingText());
    const QImage shot = host.view->viewport()->grab().toImage();
    QImage plain(shot.size(), shot.format());
    plain.fill(shot.pixel(0, 0));
    EXPECT_EQ(shot, plain); // no waiting text
    host.dialogs.boxes.clear();
    // Cancel: the usual question, with what Ghostscript said.
    host.loadFile(pdf);
    EXPECT_EQ(host.dialogs.passwordPrompts.size(), 4);
    ASSERT_EQ(host.dialogs.titles(), QStringList({QStringLiteral("Error in conversion")}));
    EXPECT_EQ(host.dialogs.boxes[0].details,
              QStringLiteral("This file requires a password for access"));
}

// Next pressed twice while page 2 is drawn: page 4 is drawn in its place, and nothing between.
TEST(Redraw, ANewerRequestTakesTheRunningOnesPlace) {
    ViewerHost host;
    host.loadFile(writeFile(QStringLiteral("newer/four.ps"), colourPages("RGBY")));
    int pressed = 0;
    host.messages.onMessage = [&] {
        for (; pressed < 2; ++pressed)
            host.document.nextPage();
    };
    host.nextPage();
    EXPECT_EQ(host.shown.mid(2), (QList<std::pair<qint32, int>>{{4, 4}}));
    EXPECT_EQ(colourLetter(host.view->picture()), 'Y');
}

// Written again in place, then replaced by a rename as editors save: the page is drawn anew on
// the same page and scroll position, and the file is still watched after its replacement.
TEST(Reload, AChangedFileIsRedrawnWhereItWas) {
    ViewerHost host;
    host.options.resolution = 600; // a page larger than the view
    const QString doc = writeFile(QStringLiteral("reload/doc.ps"), colourPages("RG"));
    host.loadFile(doc);
    host.nextPage();
    host.hor()->setValue(100);
    writeFile(doc, colourPages("RB"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return colourLetter(host.view->picture()) == 'B'; }, 30000));
    EXPECT_EQ(host.document.currentPage(), 2);
    EXPECT_EQ(host.hor()->value(), 100);
    const QString replacement = writeFile(QStringLiteral("reload/doc.ps.new"), colourPages("RYK"));
    ASSERT_EQ(std::rename(QFile::encodeName(replacement), QFile::encodeName(doc)), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return colourLetter(host.view->picture()) == 'Y'; }, 30000));
    EXPECT_EQ(host.document.pageCount(), 3);
    writeFile(doc, colourPages("RK"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return colourLetter(host.view->picture()) == 'K'; }, 30000));
    EXPECT_TRUE(host.dialogs.boxes.empty());
}
