// The redraw with the real library rendering real documents into a real page view, and its
// failure handling.
#include "app/core/message_log.h"
#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_test_host.h"

#include <QDir>
#include <QEvent>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {

// Points the temporary directory elsewhere for one test.
struct TempDirScope {
    QByteArray previous = qgetenv("TMPDIR");
    explicit TempDirScope(const QString& dir) { qputenv("TMPDIR", QFile::encodeName(dir)); }
    ~TempDirScope() { qputenv("TMPDIR", previous); }
};

// Points the binding at other library candidates for one test.
struct LibraryScope {
    explicit LibraryScope(const QStringList& candidates) { gs::SetLibraryCandidates(candidates); }
    ~LibraryScope() { gs::SetLibraryCandidates({}); }
};

class RealDocument : public ::testing::TestWithParam<bool> {};

} // namespace

// Blanks, non-ASCII letters and percent signs in the document's and the temporary paths.
TEST_P(RealDocument, PagesOneAndTwoDifferAndPageThreeAsksToSeeTheMessages) {
    ViewerHost host;
    const QString doc = GetParam()
                            ? WriteTwoPagePdf(QStringLiteral("Meine Dokumente/Über ß.pdf"))
                            : WriteTwoPagePostScript(QStringLiteral("Meine Dokumente/Über ß.ps"));
    const QString tempDir = ScratchDir() + QStringLiteral("/tmp/Temp mit Lücke 100%d");
    QDir().mkpath(tempDir);
    const TempDirScope temp(tempDir);
    ASSERT_FALSE(doc.isEmpty());
    host.view->LoadFile(doc);
    ASSERT_EQ(host.Page(), kPage75);
    // The blue square of page 1 as the page view paints it, the red circle of page 2.
    EXPECT_EQ(host.display->grab().toImage().pixelColor(52, 52), QColor(Qt::blue));
    host.view->NextPage();
    EXPECT_EQ(host.Page(), kPage75);
    EXPECT_EQ(host.view->Picture().pixelColor(156, 52), QColor(Qt::red));
    EXPECT_EQ(host.services.Prompts(), QStringList());
    EXPECT_EQ(TempLeftovers(), QStringList());

    host.services.msgBoxAnswers = {mb::Yes};
    host.view->NextPage();
    EXPECT_EQ(host.view->lngCurrentPage(), 3);
    ASSERT_EQ(host.services.boxes.size(), 1u);
    EXPECT_EQ(host.services.boxes[0].prompt,
              QStringLiteral("It looks like an error occured within the PostScript conversion "
                             "program. Would you like to take a look at the messages?"));
    EXPECT_EQ(host.services.boxes[0].style, mb::YesNo | mb::Information);
    EXPECT_EQ(host.Titles(), QStringList{kConversionTitle});
    // Yes shows the real messages window, not modal.
    ASSERT_NE(host.messages.Existing(), nullptr);
    EXPECT_TRUE(host.messages.Existing()->isVisible() && !host.messages.Existing()->isModal());
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_FALSE(host.hor->isEnabled() || host.ver->isEnabled());
    EXPECT_EQ(host.statuses.last(), kDone);
    EXPECT_FALSE(host.services.busy);
    EXPECT_EQ(TempLeftovers(), QStringList());
}

INSTANTIATE_TEST_SUITE_P(PostScriptAndPdf, RealDocument, ::testing::Bool());

TEST(Redraw, WaitingTextAndBusyPointerAreOnScreenBeforeGhostscriptStarts) {
    ViewerHost host;
    // No status bar repaint here, which would paint the viewport along with it.
    QObject::disconnect(host.view, &viewer::DocumentView::statusText, nullptr, nullptr);
    QObject::connect(host.view, &viewer::DocumentView::statusText,
                     [&](const QString& text) { host.statuses << text; });
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } containerPaints;
    host.container->installEventFilter(&containerPaints);
    // Ghostscript's first words arrive while it runs, with no events serviced: look then.
    QString seen;
    SetMessageHandler([&](const QString&) {
        if (seen.isEmpty()) // painted, status, busy, page shown
            seen = QStringLiteral("%1|%2|%3|%4")
                       .arg(containerPaints.paints > 0)
                       .arg(host.statuses.last())
                       .arg(host.services.busy)
                       .arg(host.display->isVisible());
    });
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("paint/two.ps")));
    SetMessageHandler({});
    EXPECT_EQ(seen, "1|" + kWaiting + "|1|0");
}

TEST(Redraw, PaperSizesAndLargePages) {
    ViewerHost host;
    host.options.Media = 9; // custom: a warning every redraw, and the document's own size
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("paper/two.ps")));
    host.view->Redraw();
    EXPECT_EQ(host.services.Prompts(),
              QStringList(2, QStringLiteral("Custom paper sizes not done yet!")));
    EXPECT_EQ(host.Page(), kPage75);

    // A fixed A4 page at 600 dpi: more than Qt lets an image be by default.
    host.services.boxes.clear();
    host.options.Media = 2;
    host.options.OverrideDefaultMedia = true;
    host.options.Resolution = 600;
    host.view->Redraw();
    EXPECT_EQ(host.services.Prompts(), QStringList());
    EXPECT_EQ(host.Page(), QSize(4958, 7017)); // 595 x 842 points
    // A page too large to load asks instead.
    host.view->SetBitmapLimitMb(8);
    host.view->Redraw();
    EXPECT_EQ(host.Titles(), QStringList({kConversionTitle}));
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_EQ(TempLeftovers(), QStringList());
}

// A missing library and a missing temporary directory stand in for any step that fails.
TEST(RedrawFailures, EachFailedStepIsNamedAndEachAnswerDoesItsPart) {
    ViewerHost host;
    const LibraryScope missing({ScratchDir() + QStringLiteral("/nowhere/libgs-missing.so.10")});
    host.services.msgBoxAnswers = {mb::Ignore, mb::No};
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("missing/two.ps")));
    ASSERT_EQ(host.Titles(), QStringList({kUnexpectedTitle, kConversionTitle}));
    const QString unexpected = host.services.boxes[0].prompt;
    EXPECT_TRUE(unexpected.startsWith("An unexpected error occured while redrawing: "));
    EXPECT_TRUE(unexpected.contains("libgs-missing.so.10") && unexpected.endsWith(" (48)"));
    EXPECT_EQ(host.services.boxes[0].style, mb::AbortRetryIgnore | mb::Exclamation);
    EXPECT_EQ(host.statuses.last(), kDone);

    // Abort leaves the waiting state, though neither the busy pointer nor the file.
    host.services.msgBoxAnswers = {mb::Abort};
    host.view->Redraw();
    EXPECT_EQ(host.services.boxes.size(), 3u);
    EXPECT_EQ(host.statuses.last(), kWaiting);
    EXPECT_FALSE(host.display->isVisible() || host.services.busy);
    EXPECT_EQ(TempLeftovers(), QStringList());

    // The user puts the library back before answering Retry.
    host.services.onMsgBox = [](const ScriptedServices::Box&) { gs::SetLibraryCandidates({}); };
    host.services.msgBoxAnswers = {mb::Retry};
    host.view->Redraw();
    EXPECT_EQ(host.services.boxes.size(), 4u);
    EXPECT_EQ(host.Page(), kPage75);
    EXPECT_TRUE(host.display->isVisible());

    // Ignore after the temporary file could not be made runs nothing.
    const TempDirScope temp(ScratchDir() + QStringLiteral("/tmp/not there"));
    host.services.boxes.clear();
    host.services.onMsgBox = nullptr;
    host.services.msgBoxAnswers = {mb::Ignore, mb::Ignore, mb::No};
    host.view->Redraw();
    EXPECT_EQ(host.Titles(), QStringList({kUnexpectedTitle, kUnexpectedTitle, kConversionTitle}));
    EXPECT_TRUE(host.services.boxes[0].prompt.endsWith(QStringLiteral(" (75)")));
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_EQ(host.statuses.last(), kDone);
}
