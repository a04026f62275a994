// The real start, main window and splash, driven in-process with real widgets, the real
// conversion dialog and the real library; ScriptedDialogs stands in for the user's answers.
#include "app/core/command_line.h"
#include "app/main_window.h"
#include "app/messages_window.h"
#include "app/print_into_dialog.h"
#include "app/qt_user_dialogs.h"
#include "app/splash_screen.h"
#include "app/startup.h"
#include "base/settings_store.h"
#include "base/version.h"
#include "convert/convert_dialog.h"
#include "gs/api.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"
#include "viewer/continuous_view.h"
#include "viewer/core/document_controller.h"
#include "viewer/page_view.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

using namespace quillorn;
using namespace quillorn::app;

namespace {

// The start's standard input: a file holding the bytes (a redirected `< file`), or /dev/null.
struct Input {
    explicit Input(const QByteArray& bytes = {}) {
        static int n = 0;
        const QString path = test::writeFile(QStringLiteral("stdin/%1").arg(++n), bytes);
        fd = ::open(bytes.isEmpty() ? "/dev/null" : QFile::encodeName(path).constData(), O_RDONLY);
    }
    ~Input() { ::close(fd); }
    Input(const Input&) = delete;
    Input& operator=(const Input&) = delete;
    int fd;
};

bool anyWindowVisible() {
    return std::ranges::any_of(QApplication::topLevelWidgets(), &QWidget::isVisible);
}

// A click beside the texts of the splash or the About box.
void clickFrame(QWidget* splash) {
    QTest::mouseClick(splash->findChild<QWidget*>(QStringLiteral("splashFrame")), Qt::LeftButton,
                      {}, QPoint(4, 4));
}

// One start; `events` records status texts, modal windows and message boxes in order. Splash
// and About are clicked away; the conversion dialog's proposed output goes to `output`, then
// `atConvert` runs; every dialog still open is cancelled.
struct Session {
    test::ScriptedDialogs dialogs;
    QStringList events;
    QString output;
    std::function<void(QDialog&)> atConvert = [](QDialog&) {};
    std::function<void(const QString&)> onStatus = [](const QString&) {}; // after recording
    std::unique_ptr<Startup> startup;
    QTimer modalWatch;
    QPointer<QWidget> lastModal; // a new dialog may reuse a closed one's address

    Session() {
        dialogs.onBox = [this](const auto& box) { events << QStringLiteral("box: ") + box.text; };
        modalWatch.callOnTimeout([this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != lastModal)
                atModal(lastModal = modal);
        });
        modalWatch.start(10);
    }
    ~Session() {
        if (window())
            window()->close();
    }
    // The exit code when the start ended the program, nothing when the main window runs.
    std::optional<int> run(const QStringList& arguments, const Input& input = Input()) {
        QByteArrayList bytes;
        for (const QString& argument : arguments)
            bytes << QFile::encodeName(argument);
        return runBytes(bytes, input);
    }
    std::optional<int> runBytes(const QByteArrayList& arguments, const Input& input = Input()) {
        startup = std::make_unique<Startup>(
            dialogs, arguments, input.fd, StartupHooks{[this](MainWindow& w) {
                QObject::connect(&w, &MainWindow::statusShown, &w, [this](const QString& text) {
                    events << text;
                    onStatus(text);
                });
            }});
        const std::optional<int> code = startup->run();
        // The start goes on after the splash: run as far as its end, as the program would.
        EXPECT_TRUE(QTest::qWaitFor(
            [this] { return !window() || !window()->isVisible() || !window()->isStarting(); },
            20000));
        return code;
    }
    MainWindow* window() const { return startup ? startup->mainWindow() : nullptr; }
    // Turns the event loop until the page asked for is drawn (or its failure told).
    void drawn() const {
        EXPECT_TRUE(
            QTest::qWaitFor([this] { return !window() || !window()->isRendering(); }, 60000));
    }
    QAction* action(const char* name) const {
        return window()->findChild<QAction*>(QLatin1String(name));
    }
    viewer::PageView* view() const { return window()->findChild<viewer::PageView*>(); }
    QImage page() const { return view()->picture(); }
    void atModal(QWidget* w) {
        const QString name = w->objectName();
        if (name == QLatin1String("splash") || name == QLatin1String("aboutBox")) {
            events << name;
            clickFrame(w);
            return;
        }
        events << QStringLiteral("modal: ") + w->windowTitle();
        auto* dialog = qobject_cast<QDialog*>(w);
        if (name == QLatin1String("convertDialog")) {
            output = w->findChild<QLineEdit*>(QStringLiteral("outputEdit"))->text();
            atConvert(*dialog);
        }
        if (auto* cancel = w->findChild<QPushButton*>(QStringLiteral("cancelButton")))
            cancel->click();
        else if (dialog && dialog->isVisible())
            dialog->reject();
    }
    QString joined() const { return events.join(u'|'); }
    // Converts to `path` from the conversion dialog, up to the conversion's end.
    static void convertTo(QDialog& dialog, const QString& path) {
        dialog.findChild<QLineEdit*>(QStringLiteral("outputEdit"))->setText(path);
        dialog.findChild<QPushButton*>(QStringLiteral("convertButton"))->click();
        EXPECT_TRUE(QTest::qWaitFor(
            [&dialog] { return !qobject_cast<convert::ConvertDialog*>(&dialog)->isConverting(); },
            60000));
    }
};

QString document() {
    return test::writeTwoPagePostScript(QStringLiteral("docs/two pages.ps"));
}

QString setting(const char* section, const char* key) {
    return SettingsStore().value(QLatin1String(section), QLatin1String(key));
}
void store(const char* section, const char* key, const char* value) {
    SettingsStore().setValue(QLatin1String(section), QLatin1String(key), QLatin1String(value));
}

class Start : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(SettingsStore().fileName()); }
};
using Window = Start;

} // namespace

// Only the conversion dialog shows, for exactly the job's bytes, and proposes the output among
// the user's documents (else at home) under the job's title, never in the folder the program
// was started from.
TEST_F(Start, PrintJobShowsOnlyTheDialogForItsBytesUnderItsTitle) {
    const QString home = QDir::homePath(), documents = home + QStringLiteral("/Documents");
    const QStringList before = test::tempLeftovers();
    QByteArray job = "%!PS-Adobe-3.0\n%%Title: (Annual/Report)\n";
    for (int i = 0; i < 5 * 1024 * 1024; ++i)
        job += char((i * 131) ^ (i >> 9)); // binary, NUL bytes and line ends included
    for (const bool hasDocuments : {false, true}) {
        if (hasDocuments)
            QDir().mkpath(documents);
        Session s;
        QByteArray seen;
        s.atConvert = [&](QDialog&) {
            EXPECT_EQ(test::tempLeftovers().size(), before.size() + 1);
            for (const QString& name : test::tempLeftovers())
                if (!before.contains(name))
                    seen = test::readFile(QDir::temp().filePath(name));
        };
        // A command line does not matter when a job arrives.
        EXPECT_EQ(s.run({QStringLiteral("/VIEW:whatever.ps")}, Input(job)), 0);
        EXPECT_EQ(s.joined(), QStringLiteral("modal: Convert"));
        EXPECT_TRUE(seen == job);
        EXPECT_EQ(s.output,
                  (hasDocuments ? documents : home) + QStringLiteral("/Annual-Report.pdf"));
        EXPECT_TRUE(s.window() == nullptr && !anyWindowVisible());
    }
    QDir(documents).removeRecursively();
    EXPECT_EQ(test::tempLeftovers(), before);
}

// The job tries to read a file outside itself and prints what it found into the log.
TEST_F(Start, PrintJobConvertsToPdfWithTheStoredSaferChoice) {
    const QString secret = test::writeFile(QStringLiteral("private/secret.txt"), "TOPSECRET42");
    const QByteArray job = "%!PS\n{ (" + QFile::encodeName(secret) +
                           ") (r) file 64 string readstring pop (LEAKED:) print print flush }"
                           " stopped pop 72 72 moveto 100 100 rlineto stroke showpage\n";
    const QString pdf = test::scratchDir() + QStringLiteral("/printed job.pdf");
    for (const bool safer : {true, false}) { // nothing stored: "Safer" defaults to True
        if (!safer)
            store("Options", "Safer", "False");
        Session s;
        QString log;
        s.atConvert = [&](QDialog& dialog) {
            QFile::remove(pdf);
            Session::convertTo(dialog, pdf);
            log = s.startup->messages().log();
        };
        EXPECT_EQ(s.run({}, Input(job)), 0);
        EXPECT_TRUE(test::readFile(pdf).startsWith("%PDF")) << log.toStdString();
        EXPECT_EQ(log.contains(QLatin1String("LEAKED:TOPSECRET42")), !safer) << log.toStdString();
    }
}

// An encrypted PDF is converted with its password: asked for when the conversion starts alone,
// taken from the viewer when the document is open there.
class EncryptedPdf : public Start, public ::testing::WithParamInterface<bool> {};

TEST_P(EncryptedPdf, ConvertsWithItsPasswordAskedOnce) {
    const QString pdf = test::writeEncryptedPdf(QStringLiteral("locked/two.pdf"));
    const QString output = test::scratchDir() + QStringLiteral("/locked/open.pdf");
    QFile::remove(output);
    Session s;
    s.dialogs.passwordAnswers = {QStringLiteral("user")};
    s.atConvert = [&output](QDialog& dialog) { Session::convertTo(dialog, output); };
    if (GetParam()) {
        s.run({});
        s.window()->loadFile(pdf);
        s.drawn();
        s.action("convertAction")->trigger();
    } else {
        EXPECT_EQ(s.run({QStringLiteral("/CONVERT:") + pdf}), 0);
    }
    EXPECT_TRUE(test::readFile(output).startsWith("%PDF"));
    EXPECT_EQ(s.dialogs.passwordPrompts.size(), 1);
}

INSTANTIATE_TEST_SUITE_P(Conversions, EncryptedPdf, ::testing::Bool(), [](const auto& info) {
    return std::string(info.param ? "OfTheOpenDocument" : "Alone");
});

TEST_F(Start, ConvertSwitchShowsOnlyTheDialogAndLeavesTheStore) {
    store("DisplaySettings", "Resolution", "150");
    const QByteArray storeBefore = test::readFile(SettingsStore().fileName());
    const QString doc = test::writeFile(QStringLiteral("a:b/x.ps"), test::twoPagePostScript());
    Session s;
    EXPECT_EQ(s.run({QStringLiteral("/CONVERT:") + doc}), 0);
    EXPECT_EQ(s.output, doc.chopped(3) + QStringLiteral(".pdf"));
    EXPECT_TRUE(s.window() == nullptr && !anyWindowVisible());
    EXPECT_EQ(test::readFile(SettingsStore().fileName()), storeBefore);
    EXPECT_EQ(s.startup->options().resolution, 150); // read for the conversion
    // Without a path nothing is proposed: the missing input is reported instead.
    Session none;
    EXPECT_EQ(none.run({QStringLiteral("/CONVERT:")}), 1);
    EXPECT_EQ(none.joined(), QStringLiteral("box: Cannot read the file to convert: no path follows "
                                            "/CONVERT:"));
}

// Every other command line opens the main window. Qt decodes bytes that are no text with losses;
// the start opens such a file itself through a private link, and proposes conversions beside it
// under a name that is text. "/VIEW:" opens its path as it stands, even empty or quoted (and
// fails to render); a folder and other switches are reported first.
TEST_F(Start, EveryOtherCommandLineOpensTheMainWindow) {
    const QByteArray folder = QFile::encodeName(test::scratchDir()) + "/bytes";
    const QByteArray name = folder + "/caf\xe9 page.ps";
    ASSERT_TRUE(QDir().mkpath(QFile::decodeName(folder)));
    QFile file;
    ASSERT_TRUE(file.open(::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
                          QIODevice::WriteOnly, QFile::AutoCloseHandle));
    file.write(test::twoPagePostScript());
    file.close();
    // Qt cannot name this file to remove it with the scratch directory.
    const auto removeFile = qScopeGuard([&] { ::unlink(name.constData()); });
    const QStringList before = test::tempLeftovers();
    const QByteArray quoted = '"' + QFile::encodeName(document()) + '"';
    const std::pair<QByteArrayList, std::optional<QByteArray>> lines[] = {
        {{name}, name},
        {("/view:" + name).split(' '), name}, // lower case, split in two at the blank
        {{"/VIEW:"}, QByteArray()},
        {{"/VIEW:" + quoted}, quoted},
        {{QFile::encodeName(test::scratchDir())}, std::nullopt},
        {{"/VIEWER:a"}, std::nullopt},
        {{}, std::nullopt}};
    for (const auto& [arguments, opened] : lines) {
        const std::string line = arguments.join(' ').toStdString();
        Session s;
        EXPECT_EQ(s.runBytes(arguments), std::nullopt);
        s.drawn();
        ASSERT_NE(s.window(), nullptr);
        EXPECT_TRUE(s.window()->isVisible());
        EXPECT_EQ(s.window()->isDocumentOpen(), opened.has_value()) << line;
        const QImage page = s.page();
        if (opened == name) { // page 1 at the stored 75 dpi, the options loaded before the render
            ASSERT_EQ(page.size(), QSize(208, 104)) << line;
            EXPECT_EQ(page.pixelColor(52, 52), QColor(Qt::blue));
            EXPECT_EQ(page.pixelColor(156, 52), QColor(Qt::white));
        } else {
            EXPECT_TRUE(page.isNull()) << line;
            EXPECT_EQ(s.window()->filePath(), QFile::decodeName(opened.value_or(QByteArray())));
        }
        const bool quiet = opened || arguments.isEmpty();
        EXPECT_EQ(s.events.first().startsWith(QLatin1String("box: Invalid command line")), !quiet)
            << line;
    }
    Session s;
    EXPECT_EQ(s.runBytes({"/CONVERT:" + name}), 0);
    EXPECT_EQ(s.output, QFile::decodeName(folder) + QStringLiteral("/caf_ page.pdf"));
    s.startup.reset();
    EXPECT_EQ(test::tempLeftovers(), before); // the private links went with the run
}

// Without a document the document commands ask nothing and draw nothing. Exit closes every
// other window and writes only what changed: the resolution, and no placement for an unmoved
// window.
TEST_F(Window, CommandsWithoutADocumentDoNothingAndExitWritesOnlyWhatChanged) {
    Session s;
    s.run({});
    const qsizetype before = s.events.size();
    for (const char* name :
         {"convertAction", "pageSetupAction", "printAction", "copyAction", "fullScreenAction",
          "nextPageAction", "previousPageAction", "goToPageAction", "redrawAction"})
        s.action(name)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(s.events.size(), before) << s.joined().toStdString();
    EXPECT_TRUE(s.dialogs.textPrompts.isEmpty() && s.dialogs.printRequests.empty());
    EXPECT_TRUE(s.dialogs.clipboardImages.empty() && s.dialogs.pageSetupRequests.empty());
    s.action("zoomInAction")->trigger();
    s.action("showMessagesAction")->trigger();
    MessagesWindow& messages = s.startup->messages();
    QWidget other;
    other.show();
    s.action("exitAction")->trigger();
    EXPECT_TRUE(!s.window()->isVisible() && !other.isVisible());
    EXPECT_EQ(messages.window(), nullptr);
    EXPECT_EQ(setting("DisplaySettings", "Resolution"), QStringLiteral("84"));
    EXPECT_EQ(setting("Options", "Safer") + setting("Settings", "MainWidth"), QString());
}

TEST_F(Window, PlacementRestoreMinimisedAndMaximised) {
    QRect moved;
    for (const bool minimised : {false, true}) {
        Session s;
        s.run({});
        s.window()->setGeometry(minimised ? QRect(10, 20, 300, 200) : QRect(120, 90, 500, 380));
        moved = minimised ? moved : s.window()->frameGeometry();
        s.action("zoomOutAction")->trigger();
        if (minimised)
            s.window()->showMinimized();
        s.window()->close();
    }
    // Closed minimised: the options were saved, the placement was not.
    EXPECT_EQ(setting("DisplaySettings", "Resolution"), QStringLiteral("57"));
    {
        Session s; // closed maximised: the normal frame is kept
        s.run({});
        EXPECT_EQ(s.window()->frameGeometry(), moved);
        s.window()->showMaximized();
    }
    EXPECT_EQ(setting("Settings", "MainMaximized"), QStringLiteral("True"));
    Session s;
    s.run({});
    EXPECT_TRUE(s.window()->isMaximized());
    s.window()->showNormal();
    EXPECT_EQ(s.window()->frameGeometry(), moved);
}

// An oversized store is set aside with a message and the defaults are used; a folder where the
// store's file should be makes the write fail, and the user hears of it once.
TEST_F(Start, StoreProblemsAreReportedOnce) {
    const QString file = SettingsStore::userFileName();
    test::writeFile(file, "[DisplaySettings]\nResolution=150\n" + QByteArray(1100000, '#'));
    Session s;
    s.run({});
    ASSERT_FALSE(s.events.isEmpty());
    EXPECT_TRUE(s.events.first().startsWith(QStringLiteral("box: The settings file ") + file +
                                            QStringLiteral(" is larger than 1 MB")))
        << s.events.first().toStdString();
    EXPECT_EQ(s.startup->options().resolution, 75);
    s.action("zoomInAction")->trigger();
    ASSERT_TRUE(QDir().mkpath(file));
    const std::size_t before = s.dialogs.boxes.size();
    s.window()->close();
    s.window()->close();
    QDir(file).removeRecursively();
    ASSERT_EQ(s.dialogs.boxes.size(), before + 1);
    EXPECT_EQ(s.dialogs.boxes.back().text,
              QStringLiteral("The settings could not be saved to %1: it is not a file.").arg(file));
}

// The last four documents, newest first and each once, across a restart; one that is gone is
// taken off with a message. The open dialog starts where it was left, and offers every file.
TEST_F(Window, RecentFilesAndTheOpenFolderSurviveARestart) {
    QStringList docs;
    for (int i = 1; i <= 5; ++i)
        docs << test::writeTwoPagePostScript(QStringLiteral("recent/doc%1.ps").arg(i));
    const auto recentTexts = [](const Session& s) {
        QStringList texts;
        for (int i = 1; i <= 4; ++i)
            if (QAction* recent = s.action(("recentFile" + QByteArray::number(i)).constData()))
                texts << (recent->isVisible() ? recent->text() : QString());
        return texts.join(u'|');
    };
    {
        Session s;
        s.run({});
        EXPECT_EQ(recentTexts(s), QStringLiteral("|||"));
        s.dialogs.openAnswers = {docs[0]};
        s.action("openAction")->trigger();
        const QStringList later = docs.mid(1) << docs[1]; // the second again: back on top
        for (const QString& doc : later)
            s.window()->loadFile(doc);
    }
    Session s;
    s.run({});
    EXPECT_EQ(recentTexts(s), QStringLiteral("&1 doc2.ps|&2 doc5.ps|&3 doc4.ps|&4 doc3.ps"));
    QFile::remove(docs[2]);
    s.action("recentFile4")->trigger();
    ASSERT_FALSE(s.dialogs.boxes.empty());
    EXPECT_TRUE(s.dialogs.boxes.back().text.startsWith(docs[2] + QStringLiteral(" no longer")));
    EXPECT_FALSE(s.window()->isDocumentOpen());
    EXPECT_TRUE(recentTexts(s).endsWith(u'|'));
    s.action("recentFile2")->trigger();
    EXPECT_EQ(s.window()->filePath(), docs[4]);
    s.action("openAction")->trigger(); // cancelled
    EXPECT_EQ(s.dialogs.openDirectories, QStringList{QFileInfo(docs[0]).absolutePath()});
}

// Ends like Exit: the render of a page that never ends is stopped, the window closes and the
// options are saved.
TEST_F(Window, ATerminationSignalStopsTheRenderAndEndsAsExitDoes) {
    const QString endless = test::writeFile(QStringLiteral("docs/endless.ps"), "%!PS\n{} loop\n");
    Session s;
    s.onStatus = [&s](const QString& text) {
        if (text == QLatin1String("Ready"))
            s.action("zoomInAction")->trigger();
        if (text == QLatin1String("Please wait, redrawing..."))
            std::raise(SIGTERM);
    };
    s.run({QStringLiteral("/VIEW:") + endless});
    EXPECT_TRUE(QTest::qWaitFor([&s] { return !s.window()->isVisible(); }, 20000));
    EXPECT_EQ(setting("DisplaySettings", "Resolution"), QStringLiteral("84"));
}

// A key held by two commands does neither, and one a command holds never reaches the page view.
TEST_F(Window, NoTwoCommandsShareAKey) {
    Session s;
    s.run({});
    s.window()->loadFile(document()); // a recent file's entry takes part too
    QList<QKeySequence> taken{Qt::Key_Up,       Qt::Key_Down,  Qt::Key_PageUp,
                              Qt::Key_PageDown, Qt::Key_Space, Qt::SHIFT | Qt::Key_Space};
    for (const QAction* action : s.window()->findChildren<QAction*>()) {
        for (const QKeySequence& key : action->shortcuts()) {
            EXPECT_FALSE(taken.contains(key))
                << action->objectName().toStdString() << " " << key.toString().toStdString();
            taken << key;
        }
    }
}

// A dropped document opens and Copy takes the page shown, nothing after a failed render; Fit
// Width draws the page as wide as the view.
TEST_F(Window, ADroppedDocumentOpensFitsAndCopies) {
    Session s;
    s.run({});
    MainWindow* w = s.window();
    viewer::PageView* view = s.view();
    QMimeData data;
    const QString doc = document();
    data.setUrls({QUrl::fromLocalFile(doc)});
    QDragEnterEvent enter({20, 20}, Qt::CopyAction, &data, Qt::LeftButton, {});
    QDropEvent drop({20, 20}, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &enter);
    QApplication::sendEvent(view->viewport(), &drop);
    s.drawn();
    EXPECT_EQ(w->filePath(), doc);
    const QImage page = s.page();
    ASSERT_FALSE(page.isNull());
    s.action("copyAction")->trigger();
    ASSERT_EQ(s.dialogs.clipboardImages.size(), 1u);
    EXPECT_EQ(s.dialogs.clipboardImages[0], page);

    const int width = view->viewport()->width();
    s.action("fitWidthAction")->trigger();
    s.drawn();
    EXPECT_TRUE(s.page().width() <= width && s.page().width() > width - 4) << s.page().width();

    w->loadFile(test::scratchDir() + QStringLiteral("/missing.ps"));
    s.drawn();
    ASSERT_TRUE(s.page().isNull());
    s.action("copyAction")->trigger();
    EXPECT_EQ(s.dialogs.clipboardImages.size(), 1u);
}

// Ctrl+F finds in the bar under the page and Escape there closes the bar; a drag over a line of
// text and Copy put its words on the clipboard, Select All the page's.
TEST_F(Window, FindThenSelectAndCopyText) {
    Session s;
    const QString doc = test::writeFile(
        QStringLiteral("docs/words.ps"),
        "%!PS\n<< /PageSize [300 200] >> setpagedevice /Helvetica findfont 20 scalefont setfont\n"
        "20 150 moveto (alpha beta) show 20 100 moveto (gamma needle) show showpage\n");
    s.run({doc});
    s.drawn();
    s.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(s.window()));
    QTest::keyClick(s.view(), Qt::Key_F, Qt::ControlModifier);
    auto* bar = s.window()->findChild<QWidget*>(QStringLiteral("findBar"));
    auto* edit = bar->findChild<QLineEdit*>(QStringLiteral("findEdit"));
    ASSERT_TRUE(bar->isVisible());
    QTest::keyClicks(edit, QStringLiteral("Needle"));
    auto* status = bar->findChild<QLabel*>(QStringLiteral("findStatus"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return status->text() == QStringLiteral("1 of 1"); }));
    QTest::keyClick(edit, Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());

    // The page is 300 x 200 points: the first line's baseline 50 points from its top.
    auto* picture = s.view()->findChild<QWidget*>(QStringLiteral("pagePicture"));
    const double scale = s.page().deviceIndependentSize().width() / 300.0;
    const auto at = [scale](double x, double y) {
        return QPointF(x, y).operator*=(scale).toPoint();
    };
    // The text was read for the search: the first drag selects.
    QTest::mousePress(picture, Qt::LeftButton, {}, at(10, 45));
    QTest::mouseMove(picture, at(200, 45));
    QTest::mouseRelease(picture, Qt::LeftButton, {}, at(200, 45));
    s.action("copyAction")->trigger();
    ASSERT_FALSE(s.dialogs.clipboardTexts.isEmpty());
    EXPECT_EQ(s.dialogs.clipboardTexts.last(), QStringLiteral("alpha beta"));
    s.action("selectAllAction")->trigger();
    s.action("copyAction")->trigger();
    EXPECT_EQ(s.dialogs.clipboardTexts.last(), QStringLiteral("alpha beta\ngamma needle"));
    EXPECT_TRUE(s.dialogs.clipboardImages.empty());
}

// In the continuous view the hits are marked on every page in view, and the next hit, on a page
// below the view, is brought into the view's middle; a drag there selects text.
TEST_F(Window, FindInTheContinuousViewMarksThePagesInViewAndScrollsToTheNext) {
    store("View", "Continuous", "1");
    Session s;
    QByteArray ps = "%!PS-Adobe-3.0\n%%Pages: 3\n%%EndProlog\n";
    for (const char* words : {"needle one", "nothing", "needle three"})
        ps += QByteArray("%%Page: x x\n<< /PageSize [300 600] >> setpagedevice /Helvetica findfont "
                         "20 scalefont setfont 20 500 moveto (") +
              words + ") show showpage\n";
    s.run({test::writeFile(QStringLiteral("docs/three.ps"), ps + "%%EOF\n")});
    s.drawn();
    auto* view = s.window()->findChild<viewer::ContinuousView*>();
    ASSERT_TRUE(view && view->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->viewDrawn(); }));
    s.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(s.window()));
    QTest::keyClick(view, Qt::Key_F, Qt::ControlModifier);
    auto* bar = s.window()->findChild<QWidget*>(QStringLiteral("findBar"));
    auto* edit = bar->findChild<QLineEdit*>(QStringLiteral("findEdit"));
    auto* status = bar->findChild<QLabel*>(QStringLiteral("findStatus"));
    ASSERT_TRUE(bar->isVisible());
    QTest::keyClicks(edit, QStringLiteral("needle"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == QStringLiteral("1 of 2"); }));
    // The current hit's colour (over white paper) lies on page 1, near its top.
    const auto marked = [&](const QColor& colour) {
        const QImage shot = view->viewport()->grab().toImage();
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (shot.pixelColor(x, y) == colour)
                    return QPoint(x, y);
        return QPoint(-1, -1);
    };
    // Where a point of the view lies in the strip of pages.
    const auto inStrip = [view](QPoint point) {
        return point +
               QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    };
    const QPoint first = marked(QColor(255, 170, 60));
    ASSERT_GE(first.y(), 0);
    EXPECT_TRUE(view->layout().pages[0].contains(inStrip(first)));
    QTest::keyClick(edit, Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return status->text() == QStringLiteral("2 of 2"); }));

    // Page 3 is drawn where the view went, its hit marked in the view.
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->viewDrawn(); }));
    const QPoint third = marked(QColor(255, 170, 60));
    ASSERT_GE(third.y(), 0);
    EXPECT_TRUE(view->layout().pages[2].contains(inStrip(third)));

    // A drag along page 3's line selects its words, and Copy takes them.
    const QRect page = view->layout().pages[2];
    const double scale = page.width() / 300.0;
    const auto at = [&](double x, double y) {
        return page.topLeft() + (QPointF(x, y) * scale).toPoint() -
               QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    };
    QTest::mousePress(view->viewport(), Qt::LeftButton, {}, at(10, 95));
    QTest::mouseMove(view->viewport(), at(280, 95));
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, {}, at(280, 95));
    s.action("copyAction")->trigger();
    ASSERT_FALSE(s.dialogs.clipboardTexts.isEmpty());
    EXPECT_EQ(s.dialogs.clipboardTexts.last(), QStringLiteral("needle three"));
}

// In the continuous view the pointer is a hand over a PDF's link, and a click brings its page up.
TEST_F(Window, ALinkInTheContinuousViewGoesToItsPage) {
    store("View", "Continuous", "1");
    QByteArray ps = "%!PS\n";
    for (int page = 1; page <= 3; ++page) {
        ps += "<< /PageSize [300 600] >> setpagedevice\n";
        if (page == 1)
            ps += "[/Rect [20 500 120 540] /Border [0 0 0] /Page 3 /View [/XYZ null null null] "
                  "/Subtype /Link /ANN pdfmark\n";
        ps += "showpage\n";
    }
    const QString pdf = test::scratchDir() + QStringLiteral("/docs/linked.pdf");
    gs::Binding().run({QStringLiteral("gs"), QStringLiteral("-dNOPAUSE"), QStringLiteral("-dBATCH"),
                       QStringLiteral("-dSAFER"), QStringLiteral("-sDEVICE=pdfwrite"),
                       QStringLiteral("-sOutputFile=") + pdf,
                       test::writeFile(QStringLiteral("docs/linked.ps"), ps)},
                      {});
    Session s;
    s.run({pdf});
    s.drawn();
    auto* view = s.window()->findChild<viewer::ContinuousView*>();
    ASSERT_TRUE(view && view->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->viewDrawn(); }));
    // The link's middle, 70 x 80 points from the top-left corner of page 1.
    const QRect page = view->layout().pages[0];
    const QPoint scroll(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
    const QPoint middle =
        page.topLeft() + (QPointF(70, 80) * (page.width() / 300.0)).toPoint() - scroll;
    // The links are read in the background.
    ASSERT_TRUE(QTest::qWaitFor([&] {
        QTest::mouseMove(view->viewport(), middle);
        return view->viewport()->cursor().shape() == Qt::PointingHandCursor;
    }));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, middle);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->pageAtTop() == 3; }));
}

// F2 shows the page view alone on the screen and F2 or Escape leave. While a page is drawn
// Escape stops the drawing first and the window stays full screen.
TEST_F(Window, FullScreenOnAndOffEscapeStopsADrawingFirst) {
    Session s;
    s.run({});
    MainWindow* w = s.window();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    viewer::PageView* view = s.view();
    ASSERT_EQ(QApplication::focusWidget(), view); // where the keys go
    QTest::keyClick(view, Qt::Key_F2);            // nothing without a document
    EXPECT_FALSE(w->isFullScreen());
    w->loadFile(document());
    s.drawn();
    for (const Qt::Key leave : {Qt::Key_F2, Qt::Key_Escape}) {
        QTest::keyClick(view, Qt::Key_F2);
        EXPECT_TRUE(w->isFullScreen());
        // The layout follows as events: the page view alone fills the window.
        EXPECT_TRUE(QTest::qWaitFor([&] { return view->geometry() == w->rect(); }));
        QTest::keyClick(view, leave);
        EXPECT_FALSE(w->isFullScreen());
        EXPECT_TRUE(w->menuBar()->isVisible() && w->statusBar()->isVisible());
    }
    QTest::keyClick(view, Qt::Key_F2);
    QTest::keyClick(view, Qt::Key_F9); // the page keys still work
    s.drawn();
    EXPECT_EQ(view->picture().pixelColor(156, 52), QColor(Qt::red));
    QTimer::singleShot(500, w, [view] { QTest::keyClick(view, Qt::Key_Escape); });
    w->loadFile(test::writeFile(QStringLiteral("docs/endless.ps"), "%!PS\n{} loop\n"));
    s.drawn();
    EXPECT_EQ(w->statusText(), QStringLiteral("Redraw stopped"));
    EXPECT_TRUE(w->isFullScreen());
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(w->isFullScreen());
}

// After a menu was opened and closed by keys, the first Escape stops a drawing.
TEST_F(Window, AfterAMenuTheFirstEscapeStopsADrawing) {
    Session s;
    s.run({});
    MainWindow* w = s.window();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w));
    QTest::keyClick(w, Qt::Key_F, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() != nullptr; }));
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
    ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activePopupWidget() == nullptr; }));
    bool pressed = false;
    s.onStatus = [w, &pressed](const QString& text) {
        if (text == QLatin1String("Please wait, redrawing...") && !std::exchange(pressed, true))
            QTimer::singleShot(
                0, w, [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape); });
    };
    w->loadFile(test::writeFile(QStringLiteral("docs/endless.ps"), "%!PS\n{} loop\n"));
    s.drawn();
    EXPECT_EQ(w->statusText(), QStringLiteral("Redraw stopped"));
}

// Another orientation chosen from the menu turns the page shown.
TEST_F(Window, OrientationFromTheMenuTurnsThePage) {
    Session s;
    s.run({});
    s.window()->loadFile(document());
    s.drawn();
    ASSERT_EQ(s.page().size(), QSize(208, 104));
    s.action("orientation1")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&s] { return s.page().size() == QSize(104, 208); }, 30000));
}

namespace {
struct SplashChoice {
    const char* name;
    const char* stored; // "Settings"/"ShowSplash", nothing when not stored
    bool noSplashFlag;
    bool splashShown;
};
class SplashChoices : public ::testing::TestWithParam<SplashChoice> {
protected:
    void SetUp() override { QFile::remove(SettingsStore().fileName()); }
};
} // namespace

// The first page is drawn while the splash shows, and the start-up's question comes after it;
// the option (kept across starts) and "--no-splash" leave the splash out.
TEST_P(SplashChoices, TheFirstPageIsDrawnWhileTheSplashShows) {
    const SplashChoice& row = GetParam();
    if (row.stored)
        store("Settings", "ShowSplash", row.stored);
    Session s;
    std::optional<bool> splashAtRender;
    s.onStatus = [&s, &splashAtRender](const QString& text) {
        const auto* splash = s.window()->findChild<QWidget*>(QStringLiteral("splash"));
        if (text == QLatin1String("Please wait, redrawing...") && !splashAtRender)
            splashAtRender = splash && splash->isVisible();
    };
    QStringList arguments{document()};
    if (row.noSplashFlag)
        arguments.prepend(QStringLiteral("--no-splash"));
    EXPECT_EQ(s.run(arguments), std::nullopt);
    s.drawn();
    EXPECT_FALSE(s.page().isNull());
    EXPECT_EQ(s.events.contains(QStringLiteral("splash")), row.splashShown)
        << s.joined().toStdString();
    EXPECT_EQ(splashAtRender, row.splashShown);
    const auto first = [&s](const char* start) {
        return std::ranges::find_if(s.events,
                                    [start](const QString& event) {
                                        return event.startsWith(QLatin1String(start));
                                    }) -
               s.events.begin();
    };
    EXPECT_LT(first("Redrawn"), first("box: PostScript files")) << s.joined().toStdString();
    QAction* option = s.action("showSplashAction");
    const bool optionOn = option->isChecked();
    EXPECT_EQ(optionOn, QByteArray(row.stored) != "False");
    option->trigger();
    s.window()->close();
    EXPECT_EQ(setting("Settings", "ShowSplash"),
              optionOn ? QStringLiteral("False") : QStringLiteral("True"));
}

INSTANTIATE_TEST_SUITE_P(Start, SplashChoices,
                         ::testing::Values(SplashChoice{"ByDefault", nullptr, false, true},
                                           SplashChoice{"StoredOff", "False", false, false},
                                           SplashChoice{"Flag", nullptr, true, false},
                                           SplashChoice{"FlagOverStoredOn", "True", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {
struct Comfort {
    const char* name;
    std::function<void(Session&)> act;   // on page 1 of the two-page document, the page shown
    std::function<void(Session&)> check; // once the page asked for is drawn
};
class Comforts : public ::testing::TestWithParam<Comfort> {
protected:
    void SetUp() override { QFile::remove(SettingsStore().fileName()); }
};

void key(Session& s, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(s.view(), Qt::Key(key), modifiers);
}
bool pageColour(Session& s, QPoint at, Qt::GlobalColor colour) {
    return s.page().pixelColor(at) == QColor(colour);
}
} // namespace

// The keys and boxes readers expect, on a shown page.
TEST_P(Comforts, ReadersKeysAndZoom) {
    Session s;
    s.run({QStringLiteral("--no-splash"), document()});
    s.drawn();
    s.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(s.window()));
    ASSERT_FALSE(s.page().isNull());
    GetParam().act(s);
    s.drawn();
    GetParam().check(s);
}

INSTANTIATE_TEST_SUITE_P(
    Window, Comforts,
    ::testing::Values(
        Comfort{"EndShowsTheLastPage", [](Session& s) { key(s, Qt::Key_End); },
                [](Session& s) {
                    EXPECT_TRUE(pageColour(s, {156, 52}, Qt::red));
                }},
        Comfort{"HomeShowsTheFirstPage",
                [](Session& s) {
                    key(s, Qt::Key_F9);
                    s.drawn();
                    key(s, Qt::Key_Home);
                },
                [](Session& s) {
                    EXPECT_TRUE(pageColour(s, {52, 52}, Qt::blue));
                }},
        Comfort{"FitWidthKey", [](Session& s) { key(s, Qt::Key_1, Qt::ControlModifier); },
                [](Session& s) {
                    const int width = s.view()->viewport()->width();
                    EXPECT_TRUE(s.page().width() <= width && s.page().width() > width - 4);
                }},
        Comfort{"FitPageKey", [](Session& s) { key(s, Qt::Key_2, Qt::ControlModifier); },
                [](Session& s) {
                    const QSize view = s.view()->viewport()->size();
                    EXPECT_TRUE(s.page().width() <= view.width() &&
                                s.page().height() <= view.height());
                    EXPECT_TRUE(s.page().width() > view.width() - 4 ||
                                s.page().height() > view.height() - 4);
                }},
        // 200 % is twice the screen's dots per inch: a page of 200 points is 400 / 72 inches.
        Comfort{"TypedZoom",
                [](Session& s) {
                    auto* box = s.window()->findChild<QComboBox*>(QStringLiteral("zoomBox"));
                    box->lineEdit()->selectAll();
                    QTest::keyClicks(box->lineEdit(), QStringLiteral("200 %"));
                    QTest::keyClick(box->lineEdit(), Qt::Key_Return);
                },
                [](Session& s) {
                    const double dpi = s.view()->screen()->logicalDotsPerInch();
                    EXPECT_NEAR(s.page().width(), 2 * dpi * 200 / 72, 2);
                    auto* box = s.window()->findChild<QComboBox*>(QStringLiteral("zoomBox"));
                    EXPECT_EQ(box->currentText(), QStringLiteral("200%"));
                }},
        // The page fit to the whole screen; Space on, Backspace back, Escape out as it was.
        Comfort{"Presentation", [](Session& s) { key(s, Qt::Key_F5); },
                [](Session& s) {
                    ASSERT_TRUE(s.window()->isFullScreen());
                    EXPECT_TRUE(QTest::qWaitFor([&s] {
                        s.drawn();
                        const QSize view = s.view()->viewport()->size();
                        return s.view()->geometry() == s.window()->rect() &&
                               s.page().width() > view.width() - 4 &&
                               s.page().width() <= view.width();
                    }));
                    key(s, Qt::Key_Space);
                    s.drawn();
                    const QSize page = s.page().size(); // page 2's red circle, fit still
                    EXPECT_TRUE(page.width() > 400 &&
                                pageColour(s, {page.width() * 3 / 4, page.height() / 2}, Qt::red));
                    key(s, Qt::Key_Backspace);
                    s.drawn();
                    EXPECT_EQ(s.window()->findChild<viewer::DocumentController*>()->currentPage(),
                              1);
                    key(s, Qt::Key_Escape);
                    s.drawn();
                    EXPECT_FALSE(s.window()->isFullScreen());
                    EXPECT_EQ(s.page().size(), QSize(208, 104));
                }},
        // Only what is shown is inverted: the page copied is the page as drawn.
        Comfort{"InvertColours", [](Session& s) { s.action("invertColoursAction")->trigger(); },
                [](Session& s) {
                    const QImage shown = s.view()->widget()->grab().toImage();
                    EXPECT_EQ(shown.pixelColor(52, 52), QColor(Qt::yellow));
                    s.action("copyAction")->trigger();
                    ASSERT_EQ(s.dialogs.clipboardImages.size(), 1u);
                    EXPECT_EQ(s.dialogs.clipboardImages[0].pixelColor(52, 52), QColor(Qt::blue));
                    s.window()->close();
                    EXPECT_EQ(setting("Settings", "InvertColours"), QStringLiteral("True"));
                }}),
    [](const auto& info) { return std::string(info.param.name); });

// The splash closes itself; the About box closes on Return or a click beside its texts only,
// and is still open past two seconds when left alone.
TEST(Splash, ClosesItselfAfterTwoSecondsTheAboutBoxOnlyWhenAsked) {
    // Shows the window modally, `during` acting on it once it is up; true when it closed before
    // limitMs (otherwise the test closes it).
    const auto closedWithin = [](SplashScreen& w, int limitMs,
                                 const std::function<void()>& during) {
        bool timedOut = false;
        QTimer::singleShot(limitMs, &w, [&] {
            timedOut = true;
            w.done(0);
        });
        QTimer::singleShot(50, &w, during);
        w.exec();
        return !timedOut;
    };
    SplashScreen splash(SplashScreen::Role::Splash);
    EXPECT_TRUE(closedWithin(splash, 8000, [] {}));
    for (const int close : {0, 1, 2}) { // left alone, Return, a click on the frame
        SplashScreen about(SplashScreen::Role::About);
        const auto clickTextsThenClose = [&] {
            for (QLabel* label : about.findChildren<QLabel*>())
                QTest::mouseClick(label, Qt::LeftButton);
            if (close == 1)
                QTest::keyClick(&about, Qt::Key_Return);
            else if (close == 2)
                clickFrame(&about);
        };
        EXPECT_EQ(closedWithin(about, 2600, clickTextsThenClose), close != 0) << close;
    }
}

// The commands the window offers are ones the program understands, and they can be copied.
TEST(PrintInto, CommandsAreCopyableAndUnderstood) {
    PrintIntoDialog dialog;
    const auto fields = dialog.findChildren<QLineEdit*>(QStringLiteral("commandField"));
    ASSERT_EQ(fields.size(), 4);
    for (const QLineEdit* field : fields) {
        const QString line = field->text();
        EXPECT_TRUE(field->isReadOnly()) << line.toStdString();
        if (line.endsWith(QLatin1String("| quillorn")))
            continue;
        ASSERT_TRUE(line.startsWith(QLatin1String("quillorn "))) << line.toStdString();
        const Road road = decideRoad(false, line.mid(9).toUtf8().split(' '), {}).road;
        EXPECT_TRUE(road == Road::View || road == Road::Convert) << line.toStdString();
    }
}

// Only a print queue counts as the printer, page ranges only when the range was chosen, and
// Page Setup's paper unless the dialog's differs from the printer's default.
TEST(PrintAnswer, TakenFromThePrinterTheDialogFilledIn) {
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat); // "Print to File"
    printer.setCopyCount(3);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    QPageRanges ranges;
    ranges.addRange(1, 2);
    ranges.addPage(4);
    printer.setPageRanges(ranges);
    const QPageSize legal(QPageSize::Legal), letter(QPageSize::Letter), a4(QPageSize::A4);
    PrintAnswer answer = printAnswerFrom(printer, legal, letter);
    EXPECT_TRUE(answer.printer.isEmpty() && answer.pageRanges.isEmpty());
    EXPECT_EQ(answer.copies, 3);
    EXPECT_EQ(answer.paper.id(), QPageSize::Legal);
    printer.setPrintRange(QPrinter::PageRange);
    answer = printAnswerFrom(printer, legal, a4);
    EXPECT_EQ(answer.pageRanges, QStringLiteral("1-2,4"));
    EXPECT_EQ(answer.paper.id(), QPageSize::Letter);
}

TEST(Messages, OkClearClipboardAndClosingEndsTheLog) {
    test::ScriptedDialogs dialogs;
    MessagesWindow messages(dialogs);
    EXPECT_EQ(messages.window(), nullptr);
    messages.addMessage(QStringLiteral("first\nsecond\n")); // made hidden by the first message
    ASSERT_TRUE(messages.window() && !messages.window()->isVisible());
    messages.showMessages();
    messages.addMessage(QStringLiteral("third"));
    QDialog* window = messages.window();
    const auto text = window->findChild<QPlainTextEdit*>(QStringLiteral("messagesText"));
    const auto click = [window](const char* name) {
        window->findChild<QPushButton*>(QLatin1String(name))->click();
    };
    EXPECT_EQ(text->toPlainText(), QStringLiteral("first\nsecond\nthird"));
    click("okButton"); // hidden, the log still grows; shown, the caret is at its end
    EXPECT_FALSE(window->isVisible());
    messages.addMessage(QStringLiteral(" more"));
    messages.showMessages();
    EXPECT_EQ(text->toPlainText(), QStringLiteral("first\nsecond\nthird more"));
    EXPECT_EQ(text->textCursor().position(), text->document()->characterCount() - 1);
    click("copyButton");
    click("clearButton");
    click("copyButton");
    // The log keeps CR LF; the clipboard gets this platform's line ends.
    EXPECT_EQ(dialogs.clipboardTexts,
              (QStringList{QStringLiteral("first\nsecond\nthird more"), QString()}));
    window->close(); // through its frame: the window and its log are finished
    EXPECT_EQ(messages.window(), nullptr);
    messages.addMessage(QStringLiteral("fresh"));
    EXPECT_EQ(messages.log(), QStringLiteral("fresh"));
}
