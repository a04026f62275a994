// The real start, main window and splash, driven in-process with real widgets, the real
// conversion dialog and the real library; ScriptedDialogs stands in for the user's answers.
#include "app/core/placement.h"
#include "app/main_window.h"
#include "app/messages_window.h"
#include "app/splash_screen.h"
#include "app/startup.h"
#include "base/settings_store.h"
#include "base/version.h"
#include "tests/support/scripted_dialogs.h"
#include "tests/support/test_env.h"
#include "viewer/page_view.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

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

// One start; `events` records status texts, modal windows and message boxes in order. Splash
// and About are clicked away, the conversion dialog gets `atConvert` and is cancelled if still
// open, other dialogs are cancelled.
struct Session {
    test::ScriptedDialogs dialogs;
    QStringList events;
    std::function<void(QDialog&)> atConvert;
    int redraws = 0;
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
        startup = std::make_unique<Startup>(
            dialogs, arguments, input.fd, StartupHooks{[this](MainWindow& w) {
                QObject::connect(&w, &MainWindow::statusShown, [this](const QString& text) {
                    events << text;
                    redraws += text == QLatin1String("Please wait, redrawing...");
                });
            }});
        return startup->run();
    }
    MainWindow* window() const { return startup ? startup->mainWindow() : nullptr; }
    QAction* action(const char* name) const {
        return window()->findChild<QAction*>(QLatin1String(name));
    }
    QImage page() const { return window()->findChild<viewer::PageView*>()->picture(); }
    void atModal(QWidget* w) {
        if (w->objectName() == QLatin1String("splash") ||
            w->objectName() == QLatin1String("aboutBox")) {
            events << w->objectName();
            QTest::mouseClick(w->findChild<QWidget*>(QStringLiteral("splashFrame")), Qt::LeftButton,
                              {}, QPoint(4, 4));
            return;
        }
        events << QStringLiteral("modal: ") + w->windowTitle();
        auto* dialog = qobject_cast<QDialog*>(w);
        if (w->objectName() == QLatin1String("convertDialog") && atConvert)
            atConvert(*dialog);
        if (auto* cancel = w->findChild<QPushButton*>(QStringLiteral("cancelButton")))
            cancel->click();
        else if (dialog && dialog->isVisible())
            dialog->reject();
    }
    QString joined() const { return events.join(u'|'); }
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

// Every test starts from an empty store.
class Start : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(SettingsStore().fileName()); }
};
using Window = Start;

} // namespace

TEST_F(Start, PrintJobShowsOnlyTheDialogForItsBytes) {
    const QStringList before = test::tempLeftovers();
    for (const qsizetype size : {qsizetype(10240), qsizetype(5 * 1024 * 1024 + 3)}) {
        QByteArray job(size, '\0');
        for (qsizetype i = 0; i < size; ++i)
            job[i] = char((i * 131) ^ (i >> 9)); // binary, NUL bytes and line ends included
        Session s;
        QString jobFile;
        QByteArray seen;
        s.atConvert = [&](QDialog& dialog) {
            const QString output =
                dialog.findChild<QLineEdit*>(QStringLiteral("outputEdit"))->text();
            jobFile = output.chopped(4) + QStringLiteral(".tmp"); // proposed beside the job
            seen = test::readFile(jobFile);
        };
        // A command line does not matter when a job arrives.
        EXPECT_EQ(s.run({QStringLiteral("/VIEW:whatever.ps")}, Input(job)), 0);
        EXPECT_EQ(s.joined(), QStringLiteral("modal: Convert"));
        EXPECT_TRUE(seen == job) << size;
        EXPECT_FALSE(QFile::exists(jobFile));
        EXPECT_EQ(s.window(), nullptr);
        EXPECT_FALSE(anyWindowVisible());
    }
    EXPECT_EQ(test::tempLeftovers(), before);
}

// The job tries to read a file outside itself and prints what it found into the log.
TEST_F(Start, PrintJobConvertsToPdfWithTheStoredSaferChoice) {
    const QString secret = test::writeFile(QStringLiteral("private/secret.txt"), "TOPSECRET42");
    const QByteArray job = "%!PS\n{ (" + QFile::encodeName(secret) +
                           ") (r) file 64 string readstring pop (LEAKED:) print print (\\n) print }"
                           " stopped { (READ-REFUSED\\n) print } if flush\n"
                           "72 72 moveto 100 100 rlineto stroke showpage\n";
    const QString pdf = test::scratchDir() + QStringLiteral("/printed job.pdf");
    const auto convertAndReadLog = [&] {
        Session s;
        QString log;
        s.atConvert = [&](QDialog& dialog) {
            QFile::remove(pdf);
            dialog.findChild<QLineEdit*>(QStringLiteral("outputEdit"))->setText(pdf);
            dialog.findChild<QPushButton*>(QStringLiteral("convertButton"))->click();
            log = s.startup->messages().log();
        };
        EXPECT_EQ(s.run({}, Input(job)), 0);
        EXPECT_TRUE(test::readFile(pdf).startsWith("%PDF")) << log.toStdString();
        return log;
    };
    const QString safe = convertAndReadLog(); // nothing stored: "Safer" defaults to True
    EXPECT_TRUE(safe.contains(QLatin1String("READ-REFUSED"))) << safe.toStdString();
    EXPECT_FALSE(safe.contains(QLatin1String("TOPSECRET42")));
    store("Options", "Safer", "False");
    const QString open = convertAndReadLog();
    EXPECT_TRUE(open.contains(QLatin1String("LEAKED:TOPSECRET42"))) << open.toStdString();
}

TEST_F(Start, ConvertSwitchShowsOnlyTheDialogAndLeavesTheStore) {
    store("DisplaySettings", "Resolution", "150");
    const QByteArray storeBefore = test::readFile(SettingsStore().fileName());
    // A folder with a colon: everything after the first colon is the path.
    const QString doc = test::writeFile(QStringLiteral("a:b/x.ps"), test::twoPagePostScript());
    Session s;
    QString output;
    s.atConvert = [&](QDialog& d) {
        output = d.findChild<QLineEdit*>(QStringLiteral("outputEdit"))->text();
    };
    EXPECT_EQ(s.run({QStringLiteral("/CoNvErT:") + doc}), 0);
    EXPECT_EQ(output, doc.chopped(3) + QStringLiteral(".pdf"));
    EXPECT_EQ(s.window(), nullptr);
    EXPECT_FALSE(anyWindowVisible());
    EXPECT_EQ(test::readFile(SettingsStore().fileName()), storeBefore);
    EXPECT_EQ(s.startup->options().resolution, 150); // read for the conversion
}

TEST_F(Start, ViewSwitchRendersPageOneOfARealDocument) {
    const QString doc = document();
    Session s;
    // Lower-case switch; the path holds a blank, so it arrives as two arguments.
    EXPECT_EQ(s.run((QStringLiteral("/view:") + doc).split(u' ')), std::nullopt);
    ASSERT_NE(s.window(), nullptr);
    EXPECT_EQ(s.window()->filePath(), doc);
    // Page 1's blue square at the stored 75 dpi: the options were loaded before the render.
    const QImage page = s.page();
    ASSERT_EQ(page.size(), QSize(208, 104));
    EXPECT_EQ(page.pixelColor(52, 52), QColor(Qt::blue));
    EXPECT_EQ(page.pixelColor(156, 52), QColor(Qt::white));
}

TEST_F(Start, EveryOtherCommandLineOpensTheMainWindow) {
    const QString doc = document(), quoted = u'"' + doc + u'"';
    // "/VIEW:" opens its path as it stands, even empty or quoted (and fails to render); a bare
    // path, the switch "C", no colon and other switches are reported first.
    const QStringList lines{QStringLiteral("/VIEW:"),
                            QStringLiteral("/VIEW:") + quoted,
                            doc,
                            QStringLiteral("C:\\docs\\a.ps"),
                            QStringLiteral("no-colon-at-all"),
                            QStringLiteral("/VIEWER:a"),
                            QString()};
    for (const QString& line : lines) {
        const bool opens = line.startsWith(QLatin1String("/VIEW:"));
        Session s;
        EXPECT_EQ(s.run(line.isEmpty() ? QStringList() : line.split(u' ')), std::nullopt);
        ASSERT_NE(s.window(), nullptr);
        EXPECT_TRUE(s.window()->isVisible());
        EXPECT_EQ(s.window()->isDocumentOpen(), opens) << line.toStdString();
        EXPECT_EQ(s.window()->filePath(), opens ? line.mid(6) : QString());
        EXPECT_TRUE(s.page().isNull());
        const bool quiet = opens || line.isEmpty();
        EXPECT_EQ(s.events.first(), quiet ? QStringLiteral("Checking GhostScript version...")
                                          : QStringLiteral("box: Invalid command line: ") + line);
    }
}

TEST_F(Window, StartUpCommandsWithoutADocumentAndClosing) {
    Session s;
    s.run({});
    // The association question comes right after "Ready".
    EXPECT_EQ(s.events.mid(0, 5), (QStringList{QStringLiteral("Checking GhostScript version..."),
                                               QStringLiteral("Loading Settings..."),
                                               QStringLiteral("Showing Splash Screen..."),
                                               QStringLiteral("splash"), QStringLiteral("Ready")}));
    ASSERT_EQ(s.events.size(), 6) << s.joined().toStdString();
    EXPECT_TRUE(s.events.last().startsWith(QLatin1String("box: PostScript files")));
    MessagesWindow& messages = s.startup->messages();
    ASSERT_NE(messages.window(), nullptr);
    EXPECT_FALSE(messages.window()->isVisible());
    EXPECT_TRUE(messages.log().startsWith(QStringLiteral("Quillorn ") + versionText() +
                                          QStringLiteral("\r\r\n\r\r\n")));
    EXPECT_TRUE(s.startup->options().safer); // the stored options, here their defaults
    // Without a document the document commands do nothing at all.
    const qsizetype before = s.events.size();
    for (const char* name : {"convertAction", "pageSetupAction", "printAction", "copyAction",
                             "measureAction", "fullScreenAction", "nextPageAction",
                             "previousPageAction", "goToPageAction", "redrawAction"})
        s.action(name)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(s.events.mid(before), QStringList()) << s.joined().toStdString();
    EXPECT_TRUE(s.dialogs.fileDialogTitles.isEmpty() && s.dialogs.textPrompts.isEmpty());
    s.action("zoomInAction")->trigger(); // the zoom changes the resolution only
    EXPECT_EQ(s.startup->options().resolution, 84);
    EXPECT_EQ(s.redraws, 0);
    for (const char* name : {"displaySettingsAction", "aboutAction", "downloadRedMonAction"})
        s.action(name)->trigger();
    EXPECT_EQ(s.events.mid(before).join(u'|'),
              QStringLiteral("modal: Display Settings|aboutBox|modal: Download RedMon"));
    // Exit closes every other window and runs the normal shutdown.
    s.action("showMessagesAction")->trigger();
    ASSERT_TRUE(messages.window() && messages.window()->isVisible());
    QWidget other;
    other.show();
    s.action("exitAction")->trigger();
    EXPECT_FALSE(s.window()->isVisible());
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(messages.window(), nullptr);
    EXPECT_EQ(setting("DisplaySettings", "Resolution"), QStringLiteral("84"));
    EXPECT_FALSE(setting("Settings", "MainWidth").isEmpty());
}

TEST_F(Window, PlacementDefaultRestoreMinimisedAndOffScreen) {
    const auto placedFrame = [] {
        Session s;
        s.run({});
        return s.window()->frameGeometry(); // closing writes the placement back as it was
    };
    const QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(placedFrame(), placementToPixels(Placement{}, screen->logicalDotsPerInchX(),
                                               screen->logicalDotsPerInchY()));
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
    EXPECT_EQ(placedFrame(), moved);
    // A placement wholly off the screens comes back onto one.
    store("Settings", "MainLeft", "900000");
    store("Settings", "MainTop", "-900000");
    EXPECT_TRUE(screen->availableGeometry().contains(placedFrame()));
}

TEST_F(Window, CommandsWithADroppedDocument) {
    Session s;
    s.run({});
    auto* view = s.window()->findChild<viewer::PageView*>();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(document())});
    const QPoint at = view->viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(view->viewport(), &drop);
    EXPECT_EQ(s.window()->filePath(), document());
    const QImage page = s.page();
    ASSERT_FALSE(page.isNull());
    EXPECT_EQ(s.window()->findChild<QLabel*>(QStringLiteral("positionText"))->text(),
              QStringLiteral("Page 1 of 2"));
    s.action("copyAction")->trigger();
    ASSERT_EQ(s.dialogs.clipboardImages.size(), 1u);
    EXPECT_EQ(s.dialogs.clipboardImages[0], page);
    s.action("pageSetupAction")->trigger();
    EXPECT_EQ(s.dialogs.fileDialogTitles, QStringList{QStringLiteral("Page Setup")});
    const int base = s.redraws;
    s.action("displaySettingsAction")->trigger(); // left with Cancel, still redraws
    EXPECT_EQ(s.redraws - base, 1);
    for (int i = 0; i < 3; ++i)
        s.action("zoomInAction")->trigger();
    EXPECT_EQ(s.startup->options().resolution, 102);
    EXPECT_EQ(s.redraws - base, 4);
    EXPECT_GT(s.page().width(), page.width());
    s.action("convertAction")->trigger();
    EXPECT_TRUE(s.events.contains(QStringLiteral("modal: Convert")));
    // After a failed render there is no picture, and Copy puts nothing on the clipboard.
    s.window()->loadFile(test::scratchDir() + QStringLiteral("/missing.ps"));
    ASSERT_TRUE(s.page().isNull());
    s.action("copyAction")->trigger();
    EXPECT_EQ(s.dialogs.clipboardImages.size(), 1u);
}

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
        if (during)
            QTimer::singleShot(50, &w, during);
        w.exec();
        return !timedOut;
    };
    SplashScreen splash(SplashScreen::Role::Splash);
    EXPECT_TRUE(closedWithin(splash, 8000, {}));
    // Clicks on the texts never close the About box; left alone it is still open past 2 s.
    const std::function<void(SplashScreen&)> closers[] = {
        {},
        [](SplashScreen& w) { QTest::keyClick(&w, Qt::Key_Return); },
        [](SplashScreen& w) {
            QTest::mouseClick(w.findChild<QWidget*>(QStringLiteral("splashFrame")), Qt::LeftButton,
                              {}, QPoint(4, 4));
        },
    };
    for (const auto& close : closers) {
        SplashScreen about(SplashScreen::Role::About);
        const bool closed = closedWithin(about, 2600, [&] {
            for (QLabel* label : about.findChildren<QLabel*>())
                QTest::mouseClick(label, Qt::LeftButton);
            if (close)
                close(about);
        });
        EXPECT_EQ(closed, bool(close));
    }
}

TEST(Messages, OkClearClipboardAndClosingEndsTheLog) {
    test::ScriptedDialogs dialogs;
    MessagesWindow messages(dialogs);
    EXPECT_EQ(messages.window(), nullptr);
    messages.addMessage(QStringLiteral("first\nsecond\n")); // made hidden by the first message
    ASSERT_NE(messages.window(), nullptr);
    EXPECT_FALSE(messages.window()->isVisible());
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
    EXPECT_EQ(dialogs.clipboardTexts,
              (QStringList{QStringLiteral("first\r\nsecond\r\nthird more"), QString()}));
    window->close(); // through its frame: the window and its log are finished
    EXPECT_EQ(messages.window(), nullptr);
    messages.addMessage(QStringLiteral("fresh"));
    EXPECT_EQ(messages.log(), QStringLiteral("fresh"));
}
