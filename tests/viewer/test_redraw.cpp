// The redraw with the real Ghostscript library rendering real documents into a real page view,
// and its failure handling.
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

// Points the binding at other library candidates for one test.
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

QStringList Titles(const ScriptedServices& services) {
    QStringList titles;
    for (const auto& box : services.boxes)
        titles << box.title;
    return titles;
}

class RealDocument : public ::testing::TestWithParam<bool> {
protected:
    QString Document(const QString& name) {
        return GetParam() ? WriteTwoPagePdf(name + QStringLiteral(".pdf"))
                          : WriteTwoPagePostScript(name + QStringLiteral(".ps"));
    }
};

} // namespace

TEST_P(RealDocument, PagesOneAndTwoDifferAndPageThreeAsksToSeeTheMessages) {
    ViewerHost host;
    const QString doc = Document(QStringLiteral("render/two"));
    ASSERT_FALSE(doc.isEmpty());
    host.view->LoadFile(doc);
    const QImage page1 = host.view->Picture();
    ASSERT_EQ(page1.size(), kPage75);
    // The blue square of page 1, as the page view paints it.
    EXPECT_EQ(host.display->grab().toImage().pixelColor(52, 52), QColor(Qt::blue));
    EXPECT_EQ(host.statuses.last(), kDone);
    host.view->NextPage();
    EXPECT_NE(host.view->Picture(), page1);
    EXPECT_EQ(host.view->Picture().pixelColor(156, 52), QColor(Qt::red));
    host.options.Resolution = 150;
    host.view->Redraw();
    EXPECT_EQ(host.Page(), QSize(417, 208));
    EXPECT_TRUE(host.services.boxes.empty()) << host.services.Prompts().join(u'\n').toStdString();
    EXPECT_TRUE(LeftoverTempFiles().isEmpty()) << LeftoverTempFiles().join(u' ').toStdString();

    host.services.msgBoxAnswers = {mb::Yes};
    host.view->NextPage();
    EXPECT_EQ(host.view->lngCurrentPage(), 3);
    ASSERT_EQ(host.services.boxes.size(), 1u);
    EXPECT_EQ(host.services.boxes[0].prompt,
              QStringLiteral("It looks like an error occured within the PostScript conversion "
                             "program. Would you like to take a look at the messages?"));
    EXPECT_EQ(host.services.boxes[0].style, mb::YesNo | mb::Information);
    EXPECT_EQ(host.services.boxes[0].title, kConversionTitle);
    // Yes shows the real messages window, not modal.
    ASSERT_NE(host.messages.Existing(), nullptr);
    EXPECT_TRUE(host.messages.Existing()->isVisible());
    EXPECT_FALSE(host.messages.Existing()->isModal());
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_TRUE(host.display->isVisible());
    EXPECT_FALSE(host.hor->isEnabled() || host.ver->isEnabled());
    EXPECT_EQ(host.statuses.last(), kDone);
    EXPECT_FALSE(host.services.busy);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(PostScriptAndPdf, RealDocument, ::testing::Bool());

TEST(Redraw, PathsWithBlanksNonAsciiLettersAndPercentSignsRender) {
    ViewerHost host;
    const QString doc =
        WriteTwoPagePostScript(QStringLiteral("Meine Dokumente/Übersicht größe ß.ps"));
    const QString tempDir = ScratchDir() + QStringLiteral("/tmp/Temp mit Lücke 100%d");
    QDir().mkpath(tempDir);
    const TempDirScope temp(tempDir);
    host.view->LoadFile(doc);
    EXPECT_TRUE(host.services.boxes.empty()) << host.services.Prompts().join(u'\n').toStdString();
    EXPECT_EQ(host.Page(), kPage75);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());
}

TEST(Redraw, WaitingTextAndBusyPointerAreOnScreenBeforeGhostscriptStarts) {
    ViewerHost host;
    // No status bar repaint here, which would paint the viewport along with it: the view must
    // paint its waiting text by itself.
    QObject::disconnect(host.view, &viewer::DocumentView::statusText, nullptr, nullptr);
    QStringList statuses;
    QObject::connect(host.view, &viewer::DocumentView::statusText,
                     [&](const QString& text) { statuses << text; });
    struct PaintCounter : QObject {
        int paints = 0;
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint ? 1 : 0;
            return false;
        }
    } containerPaints;
    host.container->installEventFilter(&containerPaints);
    // Ghostscript's first words arrive while it runs, with no events serviced: look then.
    QStringList seen;
    SetMessageHandler([&](const QString&) {
        if (seen.isEmpty())
            seen << QString::number(containerPaints.paints > 0) << statuses.last()
                 << QString::number(host.services.busy)
                 << QString::number(host.display->isVisible());
    });
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("paint/two.ps")));
    SetMessageHandler({});
    // Painted, status, busy, page shown.
    EXPECT_EQ(seen.join(u'|').toStdString(), "1|" + kWaiting.toStdString() + "|1|0");
    EXPECT_EQ(statuses.last(), kDone);
    EXPECT_FALSE(host.services.busy);
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
    EXPECT_TRUE(host.services.boxes.empty());
    EXPECT_EQ(host.Page(), QSize(4958, 7017)); // 595 x 842 points
    // A page too large to load asks instead.
    host.view->SetBitmapLimitMb(8);
    host.view->Redraw();
    EXPECT_EQ(Titles(host.services), QStringList({kConversionTitle}));
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_EQ(host.statuses.last(), kDone);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());
}

// The library stands in for any step that fails: Ignore, Abort and Retry.
TEST(RedrawFailures, MissingLibraryIsNamedAndEachAnswerDoesItsPart) {
    ViewerHost host;
    const LibraryScope missing({ScratchDir() + QStringLiteral("/nowhere/libgs-missing.so.10")});
    host.services.msgBoxAnswers = {mb::Ignore, mb::No};
    host.view->LoadFile(WriteTwoPagePostScript(QStringLiteral("missing/two.ps")));
    ASSERT_EQ(Titles(host.services), QStringList({kUnexpectedTitle, kConversionTitle}));
    const auto& unexpected = host.services.boxes[0];
    EXPECT_TRUE(unexpected.prompt.startsWith(
        QStringLiteral("An unexpected error occured while redrawing: ")));
    EXPECT_TRUE(unexpected.prompt.contains(QStringLiteral("libgs-missing.so.10")));
    EXPECT_TRUE(unexpected.prompt.endsWith(QStringLiteral(" (48)")));
    EXPECT_EQ(unexpected.style, mb::AbortRetryIgnore | mb::Exclamation);
    EXPECT_EQ(host.statuses.last(), kDone);

    // Abort leaves the waiting state, though neither the busy pointer nor the file.
    host.services.msgBoxAnswers = {mb::Abort};
    host.view->Redraw();
    EXPECT_EQ(host.services.boxes.size(), 3u);
    EXPECT_EQ(host.statuses.last(), kWaiting);
    EXPECT_FALSE(host.display->isVisible());
    EXPECT_FALSE(host.services.busy);
    EXPECT_TRUE(LeftoverTempFiles().isEmpty());

    // The user puts the library back before answering Retry.
    host.services.onMsgBox = [](const ScriptedServices::Box&) { gs::SetLibraryCandidates({}); };
    host.services.msgBoxAnswers = {mb::Retry};
    host.view->Redraw();
    EXPECT_EQ(host.services.boxes.size(), 4u);
    EXPECT_EQ(host.Page(), kPage75);
    EXPECT_TRUE(host.display->isVisible());
}

TEST(RedrawFailures, NoTemporaryDirectoryIsReportedAndIgnoreRunsNothing) {
    ViewerHost host;
    const QString doc = WriteTwoPagePostScript(QStringLiteral("notemp/two.ps"));
    const TempDirScope temp(ScratchDir() + QStringLiteral("/tmp/not there"));
    host.services.msgBoxAnswers = {mb::Ignore, mb::Ignore, mb::No};
    host.view->LoadFile(doc);
    EXPECT_EQ(Titles(host.services),
              QStringList({kUnexpectedTitle, kUnexpectedTitle, kConversionTitle}));
    EXPECT_TRUE(host.services.boxes[0].prompt.endsWith(QStringLiteral(" (75)")));
    EXPECT_TRUE(host.view->Picture().isNull());
    EXPECT_EQ(host.statuses.last(), kDone);
}
