// The real Main, main window and splash, driven in-process with real widgets, the real conversion
// dialog and the real library; ScriptedServices stands in for the user's answers.
#include "app/app_main.h"
#include "app/core/placement.h"
#include "app/core/settings_store.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "app/messages_host.h"
#include "convert/frmConvert.h"
#include "options/core/options.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"
#include "viewer/document_view.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <algorithm>
#include <fcntl.h>
#include <unistd.h>

using namespace quillorn;
using namespace quillorn::app;

namespace {

// Main's standard input: a file holding the bytes (a redirected `< file`), or /dev/null.
struct Input {
    explicit Input(const QByteArray& bytes = {}) {
        static int n = 0;
        const QString path = test::WriteFile(QStringLiteral("stdin/%1").arg(++n), bytes);
        fd = ::open(bytes.isEmpty() ? "/dev/null" : QFile::encodeName(path).constData(), O_RDONLY);
    }
    ~Input() { ::close(fd); }
    int fd;
};

bool AnyWindowVisible() {
    return std::ranges::any_of(QApplication::topLevelWidgets(), &QWidget::isVisible);
}

// One start through Main with a fresh options record; `events` records status texts, modal
// windows and message boxes in order. Splash and About are clicked away, the conversion dialog
// gets `atConvert` and is closed, other dialogs are cancelled.
struct Session {
    test::ScriptedServices services;
    MessagesHost messages{services};
    QStringList events;
    std::function<void(convert::frmConvert&)> atConvert;
    int redraws = 0;
    std::unique_ptr<frmMain> window;
    QTimer modalWatch;
    QPointer<QWidget> lastModal; // a new dialog may reuse a closed one's address
    Session() {
        options::TheOptions() = {};
        services.onMsgBox = [this](const auto& box) { events << "box: " + box.prompt; };
        modalWatch.callOnTimeout([this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && modal != lastModal)
                AtModal(lastModal = modal);
        });
        modalWatch.start(10);
    }
    ~Session() {
        if (window)
            window->close();
    }
    // True when Main ended the program.
    bool Run(const QStringList& arguments, const Input& input = Input()) {
        MainHooks hooks;
        hooks.mainWindowCreated = [this](frmMain& w) {
            QObject::connect(&w, &frmMain::statusShown, [this](const QString& text) {
                events << text;
                redraws += text == QLatin1String("Please wait, redrawing...");
            });
        };
        try {
            window = Main(arguments, input.fd, services, messages, hooks);
        } catch (const ProgramEnded&) {
            return true;
        }
        return false;
    }
    void AtModal(QWidget* w) {
        if (auto* splash = qobject_cast<frmSplash*>(w)) {
            events << (splash->cmdOK->isVisible() ? "about" : "splash");
            QTest::mouseClick(splash->fraMainFrame, Qt::LeftButton, {}, QPoint(4, 4));
            return;
        }
        events << QStringLiteral("modal: ") + w->windowTitle();
        if (auto* convert = qobject_cast<convert::frmConvert*>(w)) {
            events << QStringLiteral("converting: ") + convert->strInputFile;
            if (atConvert)
                atConvert(*convert);
            if (convert->isVisible())
                convert->Command1->click();
        } else if (auto* cancel = w->findChild<QPushButton*>(QStringLiteral("cmdCancel"))) {
            cancel->click();
        } else if (auto* dialog = qobject_cast<QDialog*>(w)) {
            dialog->reject();
        }
    }
    QString Events() const { return events.join(u'|'); }
    QAction* Button(int i) const { return window->tbToolBar->actions()[i]; }
};

QString Document() {
    return test::WriteFile(QStringLiteral("docs/two pages.ps"), test::TwoPagePostScript());
}

QString Setting(const char* section, const char* key) {
    return SettingsStore().GetSetting(QLatin1String(section), QLatin1String(key));
}
void Store(const char* section, const char* key, const char* value) {
    SettingsStore().SaveSetting(QLatin1String(section), QLatin1String(key), QLatin1String(value));
}

// Every test starts from an empty store.
class MainRoads : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(SettingsStore().FileName()); }
};
using MainWindow = MainRoads;

} // namespace

TEST_F(MainRoads, PrintJobShowsOnlyTheDialogForItsBytes) {
    const QStringList before = test::TempLeftovers();
    for (const qsizetype size : {qsizetype(10240), qsizetype(5 * 1024 * 1024 + 3)}) {
        QByteArray job(size, '\0');
        for (qsizetype i = 0; i < size; ++i)
            job[i] = char((i * 131) ^ (i >> 9)); // binary, NUL bytes and line ends included
        Session s;
        QString jobFile;
        QByteArray seen;
        s.atConvert = [&](convert::frmConvert& dialog) {
            seen = test::ReadFile(jobFile = dialog.strInputFile);
        };
        // A command line does not matter when a job arrives.
        EXPECT_TRUE(s.Run({QStringLiteral("/VIEW:whatever.ps")}, Input(job)));
        EXPECT_EQ(s.Events(), "modal: Convert|converting: " + jobFile);
        EXPECT_TRUE(seen == job) << size;
        EXPECT_FALSE(QFile::exists(jobFile));
        EXPECT_EQ(s.window, nullptr);
        EXPECT_FALSE(AnyWindowVisible());
    }
    EXPECT_EQ(test::TempLeftovers(), before);
}

// The job tries to read a file outside itself and prints what it found into the log.
TEST_F(MainRoads, PrintJobConvertsToPdfWithTheStoredSaferChoice) {
    const QString secret = test::WriteFile(QStringLiteral("private/secret.txt"), "TOPSECRET42");
    const QByteArray job = "%!PS\n{ (" + QFile::encodeName(secret) +
                           ") (r) file 64 string readstring pop (LEAKED:) print print (\\n) print }"
                           " stopped { (READ-REFUSED\\n) print } if flush\n"
                           "72 72 moveto 100 100 rlineto stroke showpage\n";
    const QString pdf = test::ScratchDir() + QStringLiteral("/printed job.pdf");
    const auto convertAndReadLog = [&] {
        Session s;
        QString log;
        s.atConvert = [&](convert::frmConvert& dialog) {
            QFile::remove(pdf);
            dialog.txtOutput->setText(pdf);
            dialog.cmdConvert->click();
            log = s.messages.Get().Log();
        };
        EXPECT_TRUE(s.Run({}, Input(job)));
        EXPECT_TRUE(test::ReadFile(pdf).startsWith("%PDF")) << log.toStdString();
        return log;
    };
    const QString safe = convertAndReadLog(); // nothing stored: "Safer" defaults to True
    EXPECT_TRUE(safe.contains(QLatin1String("READ-REFUSED"))) << safe.toStdString();
    EXPECT_FALSE(safe.contains(QLatin1String("TOPSECRET42")));
    Store("Options", "Safer", "False");
    const QString open = convertAndReadLog();
    EXPECT_TRUE(open.contains(QLatin1String("LEAKED:TOPSECRET42"))) << open.toStdString();
}

TEST_F(MainRoads, ConvertSwitchShowsOnlyTheDialogAndLeavesTheStore) {
    Store("DisplaySettings", "Resolution", "150");
    const QByteArray storeBefore = test::ReadFile(SettingsStore().FileName());
    // A folder with a colon: everything after the first colon is the path.
    const QString doc = test::WriteFile(QStringLiteral("a:b/x.ps"), test::TwoPagePostScript());
    Session s;
    EXPECT_FALSE(s.Run({QStringLiteral("/CoNvErT:") + doc}));
    EXPECT_EQ(s.window, nullptr);
    EXPECT_EQ(s.Events(), "modal: Convert|converting: " + doc);
    EXPECT_FALSE(AnyWindowVisible());
    EXPECT_EQ(test::ReadFile(SettingsStore().FileName()), storeBefore);
    EXPECT_EQ(options::TheOptions().Resolution, 150); // read for the conversion, not the menus
}

TEST_F(MainRoads, ViewSwitchRendersPageOneOfARealDocument) {
    const QString doc = Document();
    Session s;
    // Lower-case switch; the path holds a blank, so it arrives as two arguments.
    EXPECT_FALSE(s.Run((QStringLiteral("/view:") + doc).split(u' ')));
    ASSERT_NE(s.window, nullptr);
    EXPECT_EQ(s.window->strFile(), doc);
    EXPECT_EQ(s.window->picView->lngCurrentPage(), 1);
    // Page 1's blue square at the stored 75 dpi: the options were loaded before the render.
    const QImage page = s.window->picView->Picture();
    ASSERT_EQ(page.size(), QSize(208, 104));
    EXPECT_EQ(page.pixelColor(52, 52), QColor(Qt::blue));
    EXPECT_EQ(page.pixelColor(156, 52), QColor(Qt::white));
}

TEST_F(MainRoads, EveryOtherCommandLineOpensTheMainWindow) {
    const QString doc = Document(), quoted = u'"' + doc + u'"';
    // "/VIEW:" opens its path as it stands, even empty or quoted (and fails to render); a bare
    // path, the switch "C", no colon and other switches are reported first.
    const QStringList lines{"/VIEW:",          "/VIEW:" + quoted, doc,         "C:\\docs\\a.ps",
                            "no-colon-at-all", "/PRINT:" + doc,   "/VIEWER:a", QString()};
    for (const QString& line : lines) {
        const bool opens = line.startsWith(QLatin1String("/VIEW:"));
        Session s;
        EXPECT_FALSE(s.Run(line.isEmpty() ? QStringList() : line.split(u' ')));
        ASSERT_NE(s.window, nullptr);
        EXPECT_TRUE(s.window->isVisible());
        EXPECT_EQ(s.window->blnFileOpen(), opens) << line.toStdString();
        EXPECT_EQ(s.window->strFile(), opens ? line.mid(6) : QString());
        EXPECT_TRUE(s.window->picView->Picture().isNull());
        const bool quiet = opens || line.isEmpty();
        EXPECT_EQ(s.events.first(),
                  quiet ? "Checking GhostScript version..." : "box: Invalid command line: " + line);
        if (!quiet) {
            EXPECT_EQ(s.services.boxes[0].style, 0);
        }
    }
}

TEST_F(MainWindow, StartUpMenusCommandsWithoutADocumentAndClosing) {
    Session s;
    s.Run({});
    // The association question comes right after "Ready".
    EXPECT_EQ(s.events.mid(0, 5),
              (QStringList{"Checking GhostScript version...", "Loading Settings...",
                           "Showing Splash Screen...", "splash", "Ready"}));
    ASSERT_EQ(s.events.size(), 6) << s.Events().toStdString();
    EXPECT_TRUE(s.events.last().startsWith(QLatin1String("box: PostScript files")));
    ASSERT_NE(s.messages.Existing(), nullptr);
    EXPECT_FALSE(s.messages.Existing()->isVisible());
    EXPECT_TRUE(s.messages.Existing()->Log().startsWith("Quillorn 0.1\r\r\n\r\r\n"));
    EXPECT_TRUE(options::TheOptions().Safer); // the stored options, here their defaults
    // Each menu as "caption shortcut" entries, "-" a separator, hidden entries left out.
    QStringList menus;
    for (QAction* top : s.window->menuBar()->actions()) {
        QStringList entries{top->text()};
        for (QAction* a : top->menu()->actions()) {
            EXPECT_TRUE(a->isEnabled() || !a->isVisible()) << a->text().toStdString();
            if (a->isVisible())
                entries << (a->isSeparator() ? "-" : a->text() + u' ' + a->shortcut().toString());
        }
        menus << entries.join(u'|');
    }
    EXPECT_EQ(menus.value(0),
              "&File|&Open... Ctrl+O|&Close Ctrl+F4|-|&Convert... Ctrl+F|-|"
              "Page Set&up... |&Print... Ctrl+P|-|&Show Messages... Ctrl+M|-|E&xit ");
    EXPECT_EQ(menus.value(1), "&Edit|&Copy Ctrl+C|-|&Measure... ");
    EXPECT_TRUE(menus.value(2).startsWith("O&ptions|"));
    EXPECT_TRUE(menus.value(2).endsWith("|-|&Download RedMon... "));
    EXPECT_EQ(menus.value(3), "&View|&Next Page F9|Pre&vious Page F8|&Goto Page... Ctrl+G|"
                              "&Redraw Ctrl+R|-|&Full Screen F2");
    EXPECT_TRUE(menus.value(4).startsWith("&Media|&Display settings... |-|11x17 |"));
    EXPECT_EQ(menus.value(5), "&Help|&About  ");
    EXPECT_EQ(s.window->mnuFile->actions().size(), 15); // with the hidden recent-file entries
    QStringList buttons;
    for (QAction* a : s.window->tbToolBar->actions()) {
        buttons << a->data().toString() + u'=' + a->toolTip();
        EXPECT_FALSE(a->icon().pixmap(16, 16).isNull());
    }
    EXPECT_EQ(buttons.join(u'|'), "Open=Open a file|Convert=Convert open file to another format|"
                                  "Print=Print the open file|Goto=Goto another page|"
                                  "Previous=Previous page|Next=Next page|Zoom In=Zoom In|"
                                  "Zoom Out=Zoom Out");
    // Without a document: the commands and toolbar buttons between Open and zoom do nothing.
    const qsizetype before = s.events.size();
    for (QAction* action :
         {s.window->mnuFileConvert, s.window->mnuFilePageSetup, s.window->mnuFilePrint,
          s.window->mnuEditCopy, s.window->mnuEditMeasure, s.window->mnuViewFull,
          s.window->mnuViewNext, s.window->mnuViewPrev, s.window->mnuViewGoto,
          s.window->mnuViewRedraw, s.Button(1), s.Button(2), s.Button(3), s.Button(4), s.Button(5)})
        action->trigger();
    QApplication::processEvents();
    EXPECT_EQ(s.events.mid(before), QStringList()) << s.Events().toStdString();
    EXPECT_TRUE(s.services.dialogTitles.isEmpty());
    EXPECT_TRUE(s.services.inputPrompts.isEmpty());
    EXPECT_TRUE(s.services.clipboardImages.empty());
    s.Button(6)->trigger(); // zoom changes the resolution only
    EXPECT_EQ(options::TheOptions().Resolution, 84);
    EXPECT_EQ(s.redraws, 0);
    s.Button(7)->trigger();
    for (QAction* action :
         {s.window->mnuMediaDisplay, s.window->mnuHelpAbout, s.window->mnuDownloadRedMon})
        action->trigger();
    EXPECT_EQ(s.events.mid(before).join(u'|'),
              "modal: Display Settings|about|modal: Download RedMon");
    // Exit closes every other window and runs the normal shutdown.
    s.window->mnuFileShowMsg->trigger();
    ASSERT_TRUE(s.messages.Existing() && s.messages.Existing()->isVisible());
    QWidget other;
    other.show();
    s.window->mnuFileExit->trigger();
    EXPECT_FALSE(s.window->isVisible());
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(s.messages.Existing(), nullptr);
    EXPECT_EQ(Setting("DisplaySettings", "Resolution"), QStringLiteral("75"));
    EXPECT_FALSE(Setting("Settings", "MainWidth").isEmpty());
}

TEST_F(MainWindow, PlacementDefaultRestoreMinimisedAndOffScreen) {
    const auto placedFrame = [] {
        Session s;
        s.Run({});
        return s.window->frameGeometry(); // closing writes the placement back as it was
    };
    const QScreen* screen = QGuiApplication::primaryScreen();
    EXPECT_EQ(placedFrame(), PlacementToPixels(Placement{}, screen->logicalDotsPerInchX(),
                                               screen->logicalDotsPerInchY()));
    QRect moved;
    for (const bool minimised : {false, true}) {
        Session s;
        s.Run({});
        s.window->setGeometry(minimised ? QRect(10, 20, 300, 200) : QRect(120, 90, 500, 380));
        moved = minimised ? moved : s.window->frameGeometry();
        options::TheOptions().Resolution = 123;
        if (minimised)
            s.window->showMinimized();
        s.window->close();
    }
    // Closed minimised: the options were saved, the placement was not.
    EXPECT_EQ(Setting("DisplaySettings", "Resolution"), QStringLiteral("123"));
    EXPECT_EQ(placedFrame(), moved);
    // A placement wholly off the screens comes back onto one.
    Store("Settings", "MainLeft", "900000");
    Store("Settings", "MainTop", "-900000");
    EXPECT_TRUE(screen->availableGeometry().contains(placedFrame()));
}

TEST_F(MainWindow, CommandsWithADocumentDroppedOnTheWindow) {
    Session s;
    s.Run({});
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Document())});
    const QPointF at = s.window->tbToolBar->geometry().center();
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(s.window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(s.window.get(), &drop);
    EXPECT_EQ(s.window->strFile(), Document());
    const QImage page = s.window->picView->Picture();
    ASSERT_FALSE(page.isNull());
    s.window->mnuEditCopy->trigger();
    ASSERT_EQ(s.services.clipboardImages.size(), 1u);
    EXPECT_EQ(s.services.clipboardImages[0], page);
    // Menu and toolbar "Print" alike; all OK only, no icon.
    s.services.boxes.clear();
    for (QAction* action :
         {s.window->mnuFilePrint, s.Button(2), s.window->mnuEditMeasure, s.window->mnuViewFull})
        action->trigger();
    QStringList boxes;
    for (const auto& box : s.services.boxes)
        boxes << QStringLiteral("%1 %2 %3").arg(box.prompt).arg(box.style).arg(box.title);
    EXPECT_EQ(boxes, (QStringList{"Add 'mnuFilePrint_Click' code. 0 Quillorn",
                                  "Add 'mnuFilePrint_Click' code. 0 Quillorn",
                                  "add measure 0 Quillorn", "add view full 0 Quillorn"}));
    s.window->mnuFilePageSetup->trigger();
    EXPECT_EQ(s.services.dialogTitles, QStringList{QStringLiteral("Page Setup")});
    const int base = s.redraws;
    s.window->mnuMediaDisplay->trigger(); // left with Cancel, still redraws
    EXPECT_EQ(s.redraws - base, 1);
    for (int i = 0; i < 3; ++i)
        s.Button(6)->trigger();
    EXPECT_EQ(options::TheOptions().Resolution, 102);
    EXPECT_EQ(s.redraws - base, 4);
    EXPECT_GT(s.window->picView->Picture().width(), page.width());
    s.Button(7)->trigger();
    EXPECT_EQ(options::TheOptions().Resolution, 93);
    EXPECT_EQ(s.redraws - base, 5);
    options::TheOptions().Resolution = 5; // a step below 1 dpi is refused, nothing redrawn
    s.Button(7)->trigger();
    EXPECT_EQ(options::TheOptions().Resolution, 5);
    EXPECT_EQ(s.redraws - base, 5);
    // Toolbar Next, Previous, Goto, Open (cancelled) and Convert act as their menu entries.
    s.services.inputAnswers = {QStringLiteral("2")};
    for (const auto& [button, page] : {std::pair{5, 2}, {4, 1}, {3, 2}}) {
        s.Button(button)->trigger();
        EXPECT_EQ(s.window->picView->lngCurrentPage(), page) << button;
    }
    s.Button(0)->trigger();
    EXPECT_EQ(s.services.dialogTitles.last(), QStringLiteral("Open"));
    EXPECT_TRUE(s.window->blnFileOpen());
    s.Button(1)->trigger();
    EXPECT_TRUE(s.events.contains("converting: " + Document()));
    // After a failed render there is no picture, and Copy puts nothing on the clipboard.
    s.window->LoadFile(test::ScratchDir() + QStringLiteral("/missing.ps"));
    ASSERT_TRUE(s.window->picView->Picture().isNull());
    s.window->mnuEditCopy->trigger();
    EXPECT_EQ(s.services.clipboardImages.size(), 1u);
}

namespace {
// Shows the window modally, `during` acting on it once it is up; true when it closed before
// limitMs (otherwise the test closes it).
bool ClosedWithin(frmSplash& splash, int limitMs, const std::function<void()>& during = {}) {
    bool timedOut = false;
    QTimer::singleShot(limitMs, &splash, [&] {
        timedOut = true;
        splash.done(0);
    });
    if (during)
        QTimer::singleShot(50, &splash, during);
    splash.exec();
    return !timedOut;
}
} // namespace

TEST(Splash, ClosesItselfAfterTwoSecondsAndAboutOnlyOnOkEnterFrameOrMargin) {
    frmSplash splash;
    EXPECT_EQ(splash.lblPlatform->text(),
              QStringLiteral("For %1-bit Linux").arg(int(QSysInfo::WordSize)));
    EXPECT_EQ(splash.Timer1->interval(), 2000);
    EXPECT_TRUE(ClosedWithin(splash, 8000));
    // Clicks on the labels never close the About box; left alone (twice in a row) it is still
    // open well past two seconds.
    const std::function<void(frmSplash&)> closers[] = {
        {},
        {},
        [](frmSplash& w) { QTest::mouseClick(w.cmdOK, Qt::LeftButton); },
        [](frmSplash& w) { QTest::keyClick(&w, Qt::Key_Return); },
        [](frmSplash& w) { QTest::mouseClick(w.fraMainFrame, Qt::LeftButton, {}, QPoint(4, 4)); },
        [](frmSplash& w) { QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(2, 2)); },
    };
    for (const auto& close : closers) {
        frmSplash about;
        about.MakeAboutBox();
        bool openWithOk = false;
        const auto clickLabelsThenClose = [&] {
            for (QLabel* label : {about.lblProductName, about.lblCompanyProduct, about.lblPlatform,
                                  about.lblVersion, about.lblCompany})
                QTest::mouseClick(label, Qt::LeftButton);
            openWithOk = about.isVisible() && about.cmdOK->isVisible();
            if (close)
                close(about);
        };
        EXPECT_EQ(ClosedWithin(about, 2600, clickLabelsThenClose), bool(close));
        EXPECT_TRUE(openWithOk);
    }
}
