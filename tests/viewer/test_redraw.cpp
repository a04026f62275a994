// The redraw against the real Ghostscript library rendering real documents into a real page
// view, and its failure handling.
#include "app/core/message_log.h"
#include "gs/gsapi_binding.h"
#include "tests/support/test_env.h"
#include "tests/viewer/viewer_test_host.h"

#include <QDir>
#include <QEvent>
#include <QLocale>
#include <QScrollBar>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::test;

namespace {

const QString kWaiting = QStringLiteral("Please wait, redrawing...");
const QString kDone = QStringLiteral("Redrawn, took 0.5 seconds");

// Restores the default library candidates after a test that pointed the binding elsewhere.
struct LibraryScope {
    explicit LibraryScope(const QStringList& candidates) { gs::SetLibraryCandidates(candidates); }
    ~LibraryScope() { gs::SetLibraryCandidates({}); }
};

// Points the temporary directory elsewhere for one test.
struct TempDirScope {
    QByteArray previous = qgetenv("TMPDIR");
    explicit TempDirScope(const QString& dir) { qputenv("TMPDIR", QFile::encodeName(dir)); }
    ~TempDirScope() { qputenv("TMPDIR", previous); }
};

enum class Kind { PostScript, Pdf };

class RealDocument : public ::testing::TestWithParam<Kind> {
protected:
    QString Document(const QString& name) {
        return GetParam() == Kind::PostScript ? WriteTwoPagePostScript(name + QStringLiteral(".ps"))
                                              : WriteTwoPagePdf(name + QStringLiteral(".pdf"));
    }
};

} // namespace

TEST_P(RealDocument, PagesOneAndTwoDifferAtThePredictedSize) {
    ViewerHost host;
    const QString doc = Document(QStringLiteral("render/two"));
    ASSERT_FALSE(doc.isEmpty());
    host.view->LoadFile(doc);
    EXPECT_TRUE(host.services.boxes.empty()) << host.services.Prompts().join(u'\n').toStdString();
    const QImage page1 = host.view->Picture();
    // 200 x 100 points at 75 dpi.
    ASSERT_EQ(page1.size(), QSize(208, 104));
    EXPECT_TRUE(host.Display()->isVisible());
    EXPECT_EQ(host.Display()->size(), QSize(208, 104));
    EXPECT_EQ(host.statuses.last(), kDone);
    // The blue square of page 1 sits in its lower left part.
    EXPECT_EQ(page1.pixelColor(52, 104 - 52), QColor(Qt::blue));
    // And that is what the page view paints.
    const QImage painted = host.Display()->grab().toImage();
    EXPECT_EQ(painted.pixelColor(52, 104 - 52), QColor(Qt::blue));
    EXPECT_EQ(painted.pixelColor(150, 20), QColor(Qt::white));

    host.view->NextPage();
    const QImage page2 = host.view->Picture();
    ASSERT_EQ(page2.size(), QSize(208, 104));
    EXPECT_NE(page1, page2);
    EXPECT_EQ(page2.pixelColor(156, 52), QColor(Qt::red));

    host.options.Resolution = 150;
    host.view->Redraw();
    EXPECT_EQ(host.view->Picture().size(), QSize(417, 208));
    EXPECT_TRUE(host.services.boxes.empty());
    EXPECT_FALSE(host.services.busy);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty()) << LeftoverTempFiles().join(u' ').toStdString();
}

TEST_P(RealDocument, PageBeyondTheEndAsksToSeeTheMessages) {
    ViewerHost host;
    host.view->LoadFile(Document(QStringLiteral("render/beyond")));
    host.view->NextPage();
    host.services.msgBoxAnswers = {mb::Yes};
    host.view->NextPage();
    EXPECT_EQ(host.view->lngCurrentPage(), 3);
    ASSERT_EQ(host.services.boxes.size(), 1u);
    const auto& box = host.services.boxes[0];
    EXPECT_EQ(box.prompt, QStringLiteral("It looks like an error occured within the PostScript "
                                         "conversion program. Would you like to take a look at "
                                         "the messages?"));
    EXPECT_EQ(box.style, mb::YesNo | mb::Information);
    EXPECT_EQ(box.title, kConversionTitle);
    // Yes shows the real messages window, which holds what Ghostscript said.
    ASSERT_NE(host.messages.Existing(), nullptr);
    EXPECT_TRUE(host.messages.Existing()->isVisible());
    EXPECT_FALSE(host.messages.Existing()->isModal());
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_TRUE(host.Display()->isVisible());
    EXPECT_FALSE(host.Hor()->isEnabled());
    EXPECT_FALSE(host.Ver()->isEnabled());
    EXPECT_EQ(host.statuses.last(), kDone);
    EXPECT_FALSE(host.services.busy);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());

    // The opposite command leads back.
    host.view->PreviousPage();
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
}

INSTANTIATE_TEST_SUITE_P(Viewer, RealDocument, ::testing::Values(Kind::PostScript, Kind::Pdf));

TEST(Redraw, PathsWithBlanksAndNonAsciiLettersRender) {
    ViewerHost host;
    const QString doc =
        WriteTwoPagePostScript(QStringLiteral("Meine Dokumente/Übersicht größe ß.ps"));
    const QString tempDir = ScratchDir() + QStringLiteral("/tmp/Temp mit Lücke 100%d");
    QDir().mkpath(tempDir);
    const TempDirScope temp(tempDir);
    host.view->LoadFile(doc);
    EXPECT_TRUE(host.services.boxes.empty()) << host.services.Prompts().join(u'\n').toStdString();
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
    EXPECT_EQ(host.captions.last(), QStringLiteral("Quillorn - ") + doc);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());
}

TEST(Redraw, WaitingTextStatusAndPointerArePaintedBeforeGhostscriptStarts) {
    ViewerHost host;
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } containerPaints, statusPaints;
    host.Container()->installEventFilter(&containerPaints);
    host.panel1->installEventFilter(&statusPaints);
    // The waiting text must be on screen by itself, not only because the status bar repaints.
    int containerPaintsBeforeStatus = -1;
    QObject::disconnect(host.view, &viewer::DocumentView::statusText, host.panel1, nullptr);
    QObject::connect(host.view, &viewer::DocumentView::statusText, host.panel1,
                     [&](const QString& text) {
                         if (text == kWaiting && containerPaintsBeforeStatus < 0)
                             containerPaintsBeforeStatus = containerPaints.paints;
                         host.statuses << text;
                         host.panel1->setText(text);
                         host.panel1->repaint();
                     });

    struct Seen {
        bool captured = false;
        int containerPaints = 0, statusPaints = 0;
        QString status;
        bool busy = false, pictureHidden = false;
    } seen;
    // Ghostscript's first words arrive while it runs: look at the screen then.
    SetMessageHandler([&](const QString&) {
        if (seen.captured)
            return;
        seen = {true,
                containerPaints.paints,
                statusPaints.paints,
                host.panel1->text(),
                host.services.busy,
                !host.Display()->isVisible()};
    });
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("paint/two.ps")));
    SetMessageHandler({});

    ASSERT_TRUE(seen.captured);
    EXPECT_GT(containerPaintsBeforeStatus, 0);
    EXPECT_GT(seen.containerPaints, 0);
    EXPECT_GT(seen.statusPaints, 0);
    EXPECT_EQ(seen.status, kWaiting);
    EXPECT_TRUE(seen.busy);
    EXPECT_TRUE(seen.pictureHidden);
    // Afterwards the waiting text is gone and the page is shown.
    EXPECT_EQ(host.statuses.last(), kDone);
    EXPECT_FALSE(host.services.busy);
}

TEST(Redraw, NoDocumentChangesNothing) {
    ViewerHost host;
    host.view->Redraw();
    EXPECT_TRUE(host.statuses.isEmpty());
    EXPECT_EQ(host.services.busyCalls, 0);
    EXPECT_TRUE(host.services.boxes.empty());
    EXPECT_TRUE(host.view->Picture().isNull());
}

TEST(Redraw, CustomPaperSizeWarnsOnceEveryRedrawAndStillRenders) {
    ViewerHost host;
    host.options.Media = 9;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("custom/two.ps")));
    host.view->Redraw();
    ASSERT_EQ(host.services.boxes.size(), 2u);
    for (const auto& box : host.services.boxes)
        EXPECT_EQ(box.prompt, QStringLiteral("Custom paper sizes not done yet!"));
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
}

TEST(Redraw, FixedMediaRendersAtThePaperSize) {
    ViewerHost host;
    host.options.Media = 8; // letter: 612 x 792 points
    host.options.OverrideDefaultMedia = true;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("fixed/two.ps")));
    EXPECT_EQ(host.view->Picture().size(), QSize(638, 825));
}

TEST(Redraw, ElapsedTimeUsesTheUserDecimalSeparator) {
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    ViewerHost host;
    host.services.clockStep = 0.25f;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("locale/two.ps")));
    const QString status = host.statuses.last();
    QLocale::setDefault(previous);
    EXPECT_EQ(status, QStringLiteral("Redrawn, took 0,25 seconds"));
}

TEST(Redraw, LargePagesDisplayAndOversizedOnesAskInstead) {
    ViewerHost host;
    // An A4 page at 600 dpi is larger than Qt lets an image be by default.
    host.options.Media = 2;
    host.options.OverrideDefaultMedia = true;
    host.options.Resolution = 600;
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("large/two.ps")));
    EXPECT_TRUE(host.services.boxes.empty());
    // 595 x 842 points at 600 dpi.
    EXPECT_EQ(host.view->Picture().size(), QSize(4958, 7017));

    host.options.Resolution = 300;
    host.view->SetBitmapLimitMb(8);
    host.view->Redraw();
    ASSERT_EQ(host.services.boxes.size(), 1u);
    EXPECT_EQ(host.services.boxes[0].title, kConversionTitle);
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_EQ(host.statuses.last(), kDone);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());
}

TEST(RedrawFailures, MissingLibraryIsNamedAndIgnoreLeadsToTheConversionPrompt) {
    ViewerHost host;
    const LibraryScope missing({ScratchDir() + QStringLiteral("/nowhere/libgs-missing.so.10")});
    host.services.msgBoxAnswers = {mb::Ignore, mb::No};
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("missing/two.ps")));
    ASSERT_EQ(host.services.boxes.size(), 2u);
    const auto& unexpected = host.services.boxes[0];
    EXPECT_TRUE(unexpected.prompt.startsWith(
        QStringLiteral("An unexpected error occured while redrawing: ")));
    EXPECT_TRUE(unexpected.prompt.contains(QStringLiteral("libgs-missing.so.10")))
        << unexpected.prompt.toStdString();
    EXPECT_TRUE(unexpected.prompt.endsWith(QStringLiteral(" (48)")));
    EXPECT_EQ(unexpected.style, mb::AbortRetryIgnore | mb::Exclamation);
    EXPECT_EQ(unexpected.title, kUnexpectedTitle);
    EXPECT_EQ(host.services.boxes[1].title, kConversionTitle);
    EXPECT_EQ(host.statuses.last(), kDone);
    EXPECT_FALSE(host.services.busy);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());
}

TEST(RedrawFailures, AbortLeavesTheWaitingStateButNoFileAndNoBusyPointer) {
    ViewerHost host;
    const LibraryScope missing({ScratchDir() + QStringLiteral("/nowhere/libgs.so.10")});
    host.services.msgBoxAnswers = {mb::Abort};
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("abort/two.ps")));
    EXPECT_EQ(host.services.boxes.size(), 1u);
    EXPECT_EQ(host.statuses.last(), kWaiting);
    EXPECT_FALSE(host.Display()->isVisible());
    EXPECT_FALSE(host.services.busy);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());
    // The view itself keeps working.
    gs::SetLibraryCandidates({});
    host.view->Redraw();
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
    EXPECT_TRUE(host.Display()->isVisible());
}

TEST(RedrawFailures, RetryRunsTheFailedStepAgain) {
    ViewerHost host;
    const LibraryScope missing({ScratchDir() + QStringLiteral("/nowhere/libgs.so.10")});
    // The user puts the library back before answering Retry.
    host.services.onMsgBox = [](const ScriptedServices::Box&) { gs::SetLibraryCandidates({}); };
    host.services.msgBoxAnswers = {mb::Retry};
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("retry/two.ps")));
    EXPECT_EQ(host.services.boxes.size(), 1u);
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
    EXPECT_EQ(host.statuses.last(), kDone);
}

TEST(RedrawFailures, LibraryWithoutItsEntryPointsGivesCode453) {
    ViewerHost host;
    const LibraryScope broken({QStringLiteral(BROKEN_GS)});
    host.services.msgBoxAnswers = {mb::Ignore, mb::No};
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("broken/two.ps")));
    ASSERT_GE(host.services.boxes.size(), 1u);
    EXPECT_TRUE(host.services.boxes[0].prompt.endsWith(QStringLiteral(" (453)")))
        << host.services.boxes[0].prompt.toStdString();
}

TEST(RedrawFailures, NoTemporaryDirectory) {
    ViewerHost host;
    const QString dir = ScratchDir() + QStringLiteral("/tmp/not yet there");
    const TempDirScope temp(dir);
    // Retry once the directory exists.
    host.services.onMsgBox = [&](const ScriptedServices::Box&) { QDir().mkpath(dir); };
    host.services.msgBoxAnswers = {mb::Retry};
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("notemp/two.ps")));
    ASSERT_EQ(host.services.boxes.size(), 1u);
    EXPECT_TRUE(host.services.boxes[0].prompt.endsWith(QStringLiteral(" (75)")));
    EXPECT_EQ(host.view->Picture().size(), QSize(208, 104));
    QDir(dir).removeRecursively();

    // Ignore goes on without a file: Ghostscript is not run, the load fails.
    host.services.onMsgBox = nullptr;
    host.services.boxes.clear();
    host.services.msgBoxAnswers = {mb::Ignore, mb::Ignore, mb::No};
    host.view->Redraw();
    ASSERT_EQ(host.services.boxes.size(), 3u);
    EXPECT_EQ(host.services.boxes[1].title, kUnexpectedTitle);
    EXPECT_EQ(host.services.boxes[2].title, kConversionTitle);
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_EQ(host.statuses.last(), kDone);
}

TEST(RedrawFailures, GarbageDocumentEndsInTheConversionPrompt) {
    ViewerHost host;
    const QString doc = WriteFile(QStringLiteral("garbage/not really.ps"),
                                  QByteArray("%!PS\n/nosuchoperator 12 }} showpage\n"));
    host.view->LoadFile(doc);
    EXPECT_EQ(CountBoxes(host.services, kConversionTitle), 1);
    host.view->LoadFile(ScratchDir() + QStringLiteral("/garbage/does not exist.ps"));
    EXPECT_EQ(CountBoxes(host.services, kConversionTitle), 2);
    EXPECT_TRUE(host.view->blnFileOpen());
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());
}
