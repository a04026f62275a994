// The real Main and main window, driven in-process: real standard input, real widgets, the
// real conversion dialog and the real Ghostscript library rendering and converting real
// documents, the user's store in the scratch configuration directory. ScriptedServices stands in
// for the user at message boxes, the open dialog, the input box and the printer dialog; ending
// the program shows up as ProgramEnded.
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

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <optional>
#include <unistd.h>

using namespace quillorn;
using namespace quillorn::app;

namespace {

// Main's standard input: a regular file holding bytes (a redirected `< file`), or /dev/null.
struct Input {
    explicit Input(const QByteArray& bytes) {
        static int counter = 0;
        const QString path =
            test::WriteFile(QStringLiteral("stdin/job%1.bin").arg(++counter), bytes);
        fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    }
    Input() : fd(::open("/dev/null", O_RDONLY)) {}
    ~Input() { ::close(fd); }
    int fd;
};

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool AnyWindowVisible() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            return true;
    return false;
}

// One start of the program through Main, with a fresh options record. `events` records the
// status texts, the modal windows and the message boxes in the order they happen. At the
// program's modal windows the user does the least: splash and About are clicked away, the
// conversion dialog gets `atConvert` and is closed, other dialogs are cancelled.
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

    // Runs Main; true when it ended the program.
    bool Run(const QStringList& arguments, const Input& input = {}) {
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
    const QStringList kmwBefore = QDir(QDir::tempPath()).entryList({"KMW*"}, QDir::Files);
    for (const qsizetype size : {qsizetype(10240), qsizetype(5 * 1024 * 1024 + 3)}) {
        QByteArray job(size, '\0');
        for (qsizetype i = 0; i < size; ++i)
            job[i] = char((i * 131) ^ (i >> 9)); // binary, NUL bytes and line ends included
        Session s;
        QString jobFile;
        QByteArray seen;
        s.atConvert = [&](convert::frmConvert& dialog) {
            jobFile = dialog.strInputFile;
            seen = ReadAll(jobFile);
        };
        // A command line does not matter when a job arrives.
        EXPECT_TRUE(s.Run({QStringLiteral("/VIEW:whatever.ps")}, Input(job)));
        // Only the dialog: no start-up, no splash, no message.
        EXPECT_EQ(s.events.size(), 2) << s.Events().toStdString();
        EXPECT_EQ(s.events.value(1), "converting: " + jobFile);
        EXPECT_TRUE(QFileInfo(jobFile).fileName().startsWith(QLatin1String("KMW")));
        EXPECT_TRUE(seen == job) << size;
        EXPECT_FALSE(QFile::exists(jobFile));
        EXPECT_EQ(s.window, nullptr);
        EXPECT_FALSE(AnyWindowVisible());
    }
    EXPECT_EQ(QDir(QDir::tempPath()).entryList({"KMW*"}, QDir::Files), kmwBefore);
}

// A real job converted to PDF, which tries to read a file outside itself and prints what it
// found into Ghostscript's output.
TEST_F(MainRoads, PrintJobConvertsToPdfWithTheStoredSaferChoice) {
    const QString secret =
        test::WriteFile(QStringLiteral("home/private/secret.txt"), "TOPSECRET42");
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
        EXPECT_TRUE(ReadAll(pdf).startsWith("%PDF")) << log.toStdString();
        return log;
    };
    // Nothing stored: "Safer" defaults to True, and the read is refused.
    const QString safe = convertAndReadLog();
    EXPECT_TRUE(safe.contains(QLatin1String("READ-REFUSED"))) << safe.toStdString();
    EXPECT_FALSE(safe.contains(QLatin1String("TOPSECRET42")));
    // The user's own choice of no safer mode is honoured too.
    Store("Options", "Safer", "False");
    const QString open = convertAndReadLog();
    EXPECT_TRUE(open.contains(QLatin1String("LEAKED:TOPSECRET42"))) << open.toStdString();
}

TEST_F(MainRoads, ConvertSwitchShowsOnlyTheDialogAndLeavesTheStore) {
    Store("DisplaySettings", "Resolution", "150");
    const QString storePath = SettingsStore().FileName();
    const QByteArray storeBefore = ReadAll(storePath);
    // A folder with a colon: everything after the first colon is the path.
    const QString doc = test::WriteFile(QStringLiteral("a:b/x.ps"), test::TwoPagePostScript());

    Session s;
    EXPECT_FALSE(s.Run({QStringLiteral("/CoNvErT:") + doc}));
    EXPECT_EQ(s.window, nullptr);
    EXPECT_TRUE(s.Events().endsWith("|converting: " + doc)) << s.Events().toStdString();
    EXPECT_EQ(s.events.size(), 2);
    EXPECT_FALSE(AnyWindowVisible());
    EXPECT_EQ(ReadAll(storePath), storeBefore);
    // The options were read for the conversion, not through any menu.
    EXPECT_EQ(options::TheOptions().Resolution, 150);
}

TEST_F(MainRoads, ViewSwitchRendersPageOneOfARealDocument) {
    const QString doc = Document();
    Session s;
    // Lower-case switch; the path holds a blank, so it arrives as two arguments.
    EXPECT_FALSE(s.Run((QStringLiteral("/view:") + doc).split(u' ')));
    ASSERT_NE(s.window, nullptr);
    EXPECT_TRUE(s.events.contains("splash"));
    EXPECT_TRUE(s.window->isVisible());
    EXPECT_EQ(s.window->strFile(), doc);
    EXPECT_EQ(s.window->picView->lngCurrentPage(), 1);
    // Page 1 (the blue square, not page 2's red circle) at the stored options' 75 dpi: they
    // were loaded before the document was rendered.
    const QImage page = s.window->picView->Picture();
    ASSERT_EQ(page.size(), QSize(208, 104));
    EXPECT_EQ(page.pixelColor(52, 52), QColor(Qt::blue));
    EXPECT_EQ(page.pixelColor(156, 52), QColor(Qt::white));
}

TEST_F(MainRoads, EveryOtherCommandLineOpensTheMainWindow) {
    const QString doc = Document(), quoted = u'"' + doc + u'"';
    // An empty path and one in quotation marks are opened as they stand (and fail to render);
    // a bare path, the switch "C", no colon and other switches are reported first; no command
    // line is no message.
    const std::pair<QString, std::optional<QString>> cases[] = {{"/VIEW:", QString()},
                                                                {"/VIEW:" + quoted, quoted},
                                                                {doc, {}},
                                                                {"C:\\docs\\a.ps", {}},
                                                                {"no-colon-at-all", {}},
                                                                {"/PRINT:" + doc, {}},
                                                                {"/VIEWER:a", {}},
                                                                {{}, {}}};
    for (const auto& [line, opens] : cases) {
        Session s;
        EXPECT_FALSE(s.Run(line.isEmpty() ? QStringList() : line.split(u' ')));
        ASSERT_NE(s.window, nullptr);
        EXPECT_TRUE(s.window->isVisible());
        EXPECT_EQ(s.window->blnFileOpen(), opens.has_value()) << line.toStdString();
        EXPECT_EQ(s.window->strFile(), opens.value_or(QString()));
        EXPECT_TRUE(s.window->picView->Picture().isNull());
        if (opens || line.isEmpty()) {
            EXPECT_EQ(s.events.first(), "Checking GhostScript version...");
            continue;
        }
        EXPECT_EQ(s.events.first(), "box: Invalid command line: " + line);
        EXPECT_EQ(s.services.boxes[0].style, 0);
        EXPECT_EQ(s.services.boxes[0].title, QStringLiteral("Quillorn"));
    }
}

TEST_F(MainWindow, StartUpRunsInOrderAndEndsReady) {
    Session s;
    s.Run({});
    // The association question comes after "Ready", and nothing else comes between.
    const QStringList expected{"Checking GhostScript version...", "Loading Settings...",
                               "Showing Splash Screen...", "splash", "Ready"};
    EXPECT_EQ(s.events.mid(0, 5), expected) << s.Events().toStdString();
    ASSERT_EQ(s.events.size(), 6) << s.Events().toStdString();
    EXPECT_TRUE(s.events.last().startsWith(QLatin1String("box: PostScript files")));
    // The log opens with the banner; the messages window exists but is hidden.
    ASSERT_NE(s.messages.Existing(), nullptr);
    EXPECT_FALSE(s.messages.Existing()->isVisible());
    EXPECT_TRUE(s.messages.Existing()->Log().startsWith("Quillorn 0.1\r\r\n\r\r\n"));
    EXPECT_TRUE(options::TheOptions().Safer); // the stored options, here their defaults
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
        s.window->move(minimised ? QPoint(10, 20) : QPoint(120, 90));
        s.window->resize(minimised ? QSize(300, 200) : QSize(500, 380));
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

TEST_F(MainWindow, ClosingClosesEveryOtherWindow) {
    Session s;
    s.Run({});
    s.window->mnuFileShowMsg->trigger();
    ASSERT_TRUE(s.messages.Existing() && s.messages.Existing()->isVisible());
    QWidget other;
    other.show();
    s.window->mnuFileExit->trigger();
    EXPECT_FALSE(s.window->isVisible());
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(s.messages.Existing(), nullptr);
    // Exit ran the normal shutdown: options and placement are in the store.
    EXPECT_EQ(Setting("DisplaySettings", "Resolution"), QStringLiteral("75"));
    EXPECT_FALSE(Setting("Settings", "MainWidth").isEmpty());
}

TEST_F(MainWindow, MenuBarAndToolbarAsUsersSeeThem) {
    Session s;
    s.Run({});
    // Each menu as "caption shortcut" entries, "-" for a separator; hidden entries left out.
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
    ASSERT_EQ(menus.size(), 6);
    EXPECT_EQ(menus[0], "&File|&Open... Ctrl+O|&Close Ctrl+F4|-|&Convert... Ctrl+F|-|"
                        "Page Set&up... |&Print... Ctrl+P|-|&Show Messages... Ctrl+M|-|E&xit ");
    EXPECT_EQ(menus[1], "&Edit|&Copy Ctrl+C|-|&Measure... ");
    EXPECT_TRUE(menus[2].startsWith("O&ptions|"));
    EXPECT_TRUE(menus[2].endsWith("|-|&Download RedMon... "));
    EXPECT_EQ(menus[3], "&View|&Next Page F9|Pre&vious Page F8|&Goto Page... Ctrl+G|"
                        "&Redraw Ctrl+R|-|&Full Screen F2");
    EXPECT_TRUE(menus[4].startsWith("&Media|&Display settings... |-|11x17 |"));
    EXPECT_EQ(menus[5], "&Help|&About  ");
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
}

TEST_F(MainWindow, CommandsWithoutADocumentDoNothing) {
    Session s;
    s.Run({});
    const qsizetype before = s.events.size();
    for (QAction* action : {s.window->mnuFileConvert, s.window->mnuFilePageSetup,
                            s.window->mnuFilePrint, s.window->mnuEditCopy, s.window->mnuEditMeasure,
                            s.window->mnuViewFull, s.window->mnuViewNext, s.window->mnuViewPrev,
                            s.window->mnuViewGoto, s.window->mnuViewRedraw})
        action->trigger();
    for (int i = 1; i < 6; ++i) // the toolbar between Open and the zoom buttons
        s.Button(i)->trigger();
    QApplication::processEvents();
    EXPECT_EQ(s.events.mid(before), QStringList()) << s.Events().toStdString();
    EXPECT_TRUE(s.services.dialogTitles.isEmpty());
    EXPECT_TRUE(s.services.inputPrompts.isEmpty());
    EXPECT_TRUE(s.services.clipboardImages.empty());

    // These work without a document.
    s.window->mnuFileShowMsg->trigger();
    EXPECT_TRUE(s.messages.Existing()->isVisible());
    for (QAction* action :
         {s.window->mnuMediaDisplay, s.window->mnuHelpAbout, s.window->mnuDownloadRedMon})
        action->trigger();
    EXPECT_EQ(s.events.mid(before).join(u'|'),
              "modal: Display Settings|about|modal: Download RedMon");
}

TEST_F(MainWindow, ZoomStepsTheResolutionAndRedraws) {
    Session s;
    s.Run({});
    QAction* zoomIn = s.Button(6);
    QAction* zoomOut = s.Button(7);
    // No document: the resolution changes, nothing is rendered.
    zoomIn->trigger();
    EXPECT_EQ(options::TheOptions().Resolution, 84);
    EXPECT_EQ(s.redraws, 0);
    zoomOut->trigger();

    s.window->LoadFile(Document());
    const int width75 = s.window->picView->Picture().width();
    const int base = s.redraws;
    for (int i = 0; i < 3; ++i)
        zoomIn->trigger();
    EXPECT_EQ(options::TheOptions().Resolution, 102);
    EXPECT_EQ(s.redraws - base, 3);
    EXPECT_GT(s.window->picView->Picture().width(), width75);
    zoomOut->trigger();
    EXPECT_EQ(options::TheOptions().Resolution, 93);
    EXPECT_EQ(s.redraws - base, 4);

    // A step below 1 dot per inch is refused: nothing changes, nothing is redrawn.
    options::TheOptions().Resolution = 5;
    zoomOut->trigger();
    EXPECT_EQ(options::TheOptions().Resolution, 5);
    EXPECT_EQ(s.redraws - base, 4);
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

    // Menu and toolbar "Print" alike; all OK only, no icon, the application's title.
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

    // Display settings left with Cancel still redraws.
    const int before = s.redraws;
    s.window->mnuMediaDisplay->trigger();
    EXPECT_EQ(s.redraws - before, 1);

    // Toolbar Next, Previous, Goto, Open (cancelled) and Convert act as their menu entries.
    s.Button(5)->trigger();
    EXPECT_EQ(s.window->picView->lngCurrentPage(), 2);
    s.Button(4)->trigger();
    EXPECT_EQ(s.window->picView->lngCurrentPage(), 1);
    s.services.inputAnswers = {QStringLiteral("2")};
    s.Button(3)->trigger();
    EXPECT_EQ(s.window->picView->lngCurrentPage(), 2);
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
