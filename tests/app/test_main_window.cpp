// The main window as users get it: real widgets, the real Ghostscript library rendering real
// documents, the user's store in the scratch configuration directory. Only message boxes, the
// open dialog, the input box and the printer dialog are answered by ScriptedServices.
#include "app/core/placement.h"
#include "app/core/settings_store.h"
#include "app/frmMain.h"
#include "app/frmSplash.h"
#include "app/messages_host.h"
#include "convert/frmConvert.h"
#include "options/core/options.h"
#include "options/frmDisplaySettings.h"
#include "system/core/download.h"
#include "tests/app/modal_watcher.h"
#include "tests/support/scripted_services.h"
#include "tests/support/test_env.h"
#include "viewer/document_view.h"

#include <QDialog>
#include <QFile>
#include <QFrame>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QToolBar>
#include <QUrl>
#include <gtest/gtest.h>

using namespace quillorn;
using namespace quillorn::app;

namespace {

QString StorePath() {
    return SettingsStore().FileName();
}

// One start of the program's main window, with a fresh options record.
struct Session {
    test::ScriptedServices services;
    MessagesHost messages{services};
    QStringList events; // status texts, windows and message boxes, in the order they happen
    std::unique_ptr<frmMain> window;
    int redraws = 0;
    // What the user does at the program's modal windows, by default the least: the splash and
    // About are clicked away, dialogs cancelled.
    std::function<void(QWidget*)> onModal;
    test::ModalWatcher watcher{[this](QWidget* w) { Modal(w); }};

    Session() {
        options::TheOptions() = {};
        services.onMsgBox = [this](const test::ScriptedServices::Box& box) {
            events << QStringLiteral("box: ") + box.prompt;
        };
        window = std::make_unique<frmMain>(services, messages);
        QObject::connect(window.get(), &frmMain::statusShown, [this](const QString& text) {
            events << text;
            if (text == QLatin1String("Please wait, redrawing..."))
                ++redraws;
        });
    }

    void Modal(QWidget* w) {
        if (auto* splash = qobject_cast<frmSplash*>(w)) {
            events << (splash->cmdOK->isVisible() ? QStringLiteral("about")
                                                  : QStringLiteral("splash"));
            if (window && !window->isVisible())
                events << QStringLiteral("main window hidden behind the splash");
            QTest::mouseClick(splash->fraMainFrame, Qt::LeftButton, {}, QPoint(4, 4));
            return;
        }
        events << QStringLiteral("modal: ") + w->metaObject()->className();
        if (onModal) {
            onModal(w);
            return;
        }
        if (auto* display = qobject_cast<options::frmDisplaySettings*>(w))
            display->cmdCancel()->click();
        else if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
    }

    void Load() { window->Form_Load(); }
    void Close() { window->close(); }
};

QString Document() {
    return test::WriteFile(QStringLiteral("docs/two pages.ps"), test::TwoPagePostScript());
}

QAction* Find(QWidget* root, const char* name) {
    return root->findChild<QAction*>(QLatin1String(name));
}

QRect DefaultFrame() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return PlacementToPixels(Placement{}, screen->logicalDotsPerInchX(),
                             screen->logicalDotsPerInchY());
}

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override { QFile::remove(StorePath()); }
};

} // namespace

TEST_F(MainWindow, StartUpRunsInOrderAndEndsReady) {
    Session s;
    s.Load();
    const QStringList expected{QStringLiteral("Checking GhostScript version..."),
                               QStringLiteral("Loading Settings..."),
                               QStringLiteral("Showing Splash Screen..."), QStringLiteral("splash"),
                               QStringLiteral("Ready")};
    ASSERT_GE(s.events.size(), expected.size()) << s.events.join(u'|').toStdString();
    EXPECT_EQ(s.events.mid(0, expected.size()), expected) << s.events.join(u'|').toStdString();
    // The association question comes after "Ready", and nothing else before it.
    ASSERT_EQ(s.events.size(), expected.size() + 1) << s.events.join(u'|').toStdString();
    EXPECT_TRUE(s.events.last().startsWith(QLatin1String("box: PostScript files")));
    EXPECT_EQ(s.window->StatusText(), QStringLiteral("Ready"));
    EXPECT_TRUE(s.window->isVisible());
    EXPECT_EQ(s.window->windowTitle(), QStringLiteral("Quillorn"));

    // The log opens with the banner; the messages window exists but is hidden.
    ASSERT_NE(s.messages.Existing(), nullptr);
    EXPECT_FALSE(s.messages.Existing()->isVisible());
    EXPECT_TRUE(
        s.messages.Existing()->Log().startsWith(QStringLiteral("Quillorn 0.1\r\r\n\r\r\n")));
    // The stored options (here their defaults) are in the record.
    EXPECT_EQ(options::TheOptions().Resolution, 75);
    EXPECT_TRUE(options::TheOptions().Safer);
    s.Close();
}

TEST_F(MainWindow, PlacementDefaultRestoreAndMinimised) {
    QRect moved;
    {
        Session s;
        s.Load();
        EXPECT_EQ(s.window->frameGeometry(), DefaultFrame());
        s.window->move(120, 90);
        s.window->resize(500, 380);
        moved = s.window->frameGeometry();
        s.Close();
    }
    const QRect placed = [] {
        Session s;
        s.Load();
        return s.window->frameGeometry();
    }();
    // The session above was not closed: only a close writes the store.
    EXPECT_EQ(placed, moved);
    EXPECT_EQ(placed.topLeft(), QPoint(120, 90));
    {
        SettingsStore store;
        EXPECT_FALSE(
            store.GetSetting(QStringLiteral("Settings"), QStringLiteral("MainLeft")).isEmpty());
    }

    // Closing minimised keeps the old placement, but the options are saved.
    {
        Session s;
        s.Load();
        s.window->setGeometry(QRect(10, 20, 300, 200));
        options::TheOptions().Resolution = 123;
        s.window->showMinimized();
        ASSERT_TRUE(s.window->isMinimized());
        s.Close();
    }
    SettingsStore store;
    EXPECT_EQ(store.GetSetting(QStringLiteral("DisplaySettings"), QStringLiteral("Resolution")),
              QStringLiteral("123"));
    Session again;
    again.Load();
    EXPECT_EQ(again.window->frameGeometry(), moved);
    again.Close();
}

TEST_F(MainWindow, PlacementWhollyOffScreenComesBack) {
    {
        SettingsStore store;
        store.SaveSetting(QStringLiteral("Settings"), QStringLiteral("MainLeft"),
                          QStringLiteral("900000"));
        store.SaveSetting(QStringLiteral("Settings"), QStringLiteral("MainTop"),
                          QStringLiteral("-900000"));
        store.Sync();
    }
    Session s;
    s.Load();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_TRUE(screen.contains(s.window->frameGeometry()))
        << s.window->frameGeometry().x() << "," << s.window->frameGeometry().y();
    s.Close();
}

TEST_F(MainWindow, ClosingClosesEveryOtherWindow) {
    Session s;
    s.Load();
    s.window->mnuFileShowMsg->trigger();
    ASSERT_NE(s.messages.Existing(), nullptr);
    EXPECT_TRUE(s.messages.Existing()->isVisible());
    QWidget other;
    other.setWindowTitle(QStringLiteral("another window"));
    other.show();
    s.window->mnuFileExit->trigger();
    EXPECT_FALSE(s.window->isVisible());
    EXPECT_FALSE(other.isVisible());
    EXPECT_EQ(s.messages.Existing(), nullptr);
    // Exit ran the normal shutdown: options and placement are in the store.
    SettingsStore store;
    EXPECT_EQ(store.GetSetting(QStringLiteral("DisplaySettings"), QStringLiteral("Resolution")),
              QStringLiteral("75"));
    EXPECT_FALSE(
        store.GetSetting(QStringLiteral("Settings"), QStringLiteral("MainWidth")).isEmpty());
}

TEST_F(MainWindow, MenuBarAndToolbarAsUsersSeeThem) {
    Session s;
    QStringList menus;
    for (QAction* a : s.window->menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&Edit", "O&ptions", "&View", "&Media", "&Help"}));

    QStringList file;
    for (QAction* a : s.window->mnuFile->actions())
        if (a->isVisible())
            file << (a->isSeparator() ? QStringLiteral("-") : a->text());
    EXPECT_EQ(file, (QStringList{"&Open...", "&Close", "-", "&Convert...", "-", "Page Set&up...",
                                 "&Print...", "-", "&Show Messages...", "-", "E&xit"}));
    for (const QAction* mru : s.window->mnuFileMRU)
        EXPECT_FALSE(mru->isVisible());
    EXPECT_FALSE(s.window->mnuFileBar1->isVisible());

    const std::vector<std::pair<const char*, const char*>> shortcuts{
        {"mnuFileOpen", "Ctrl+O"},   {"mnuFileClose", "Ctrl+F4"},  {"mnuFileConvert", "Ctrl+F"},
        {"mnuFilePrint", "Ctrl+P"},  {"mnuFileShowMsg", "Ctrl+M"}, {"mnuEditCopy", "Ctrl+C"},
        {"mnuViewNext", "F9"},       {"mnuViewPrev", "F8"},        {"mnuViewGoto", "Ctrl+G"},
        {"mnuViewRedraw", "Ctrl+R"}, {"mnuViewFull", "F2"}};
    for (const auto& [name, keys] : shortcuts) {
        QAction* action = Find(s.window.get(), name);
        ASSERT_NE(action, nullptr) << name;
        EXPECT_EQ(action->shortcut(), QKeySequence(QLatin1String(keys))) << name;
    }
    EXPECT_EQ(s.window->mnuHelpAbout->text(), QStringLiteral("&About "));

    // Options: the option menus' entries, then a separator and the RedMon download.
    const QList<QAction*> opts = s.window->mnuOptions->actions();
    ASSERT_GE(opts.size(), 3);
    EXPECT_TRUE(opts[opts.size() - 2]->isSeparator());
    EXPECT_EQ(opts.last()->text(), QStringLiteral("&Download RedMon..."));
    // Media: Display settings and a separator before the paper sizes.
    const QList<QAction*> media = s.window->mnuMedia->actions();
    ASSERT_GE(media.size(), 3);
    EXPECT_EQ(media[0]->text(), QStringLiteral("&Display settings..."));
    EXPECT_TRUE(media[1]->isSeparator());
    EXPECT_EQ(media[2]->text(), QStringLiteral("11x17"));

    // Nothing shown is ever greyed out (Qt counts a hidden entry as disabled).
    std::function<void(QMenu*)> allEnabled = [&](QMenu* menu) {
        for (QAction* action : menu->actions()) {
            EXPECT_TRUE(action->isEnabled() || !action->isVisible())
                << action->text().toStdString();
            if (action->menu())
                allEnabled(action->menu());
        }
    };
    for (QAction* top : s.window->menuBar()->actions())
        allEnabled(top->menu());

    QStringList keys, tips;
    for (QAction* a : s.window->tbToolBar->actions()) {
        keys << a->data().toString();
        tips << a->toolTip();
        EXPECT_FALSE(a->icon().isNull());
        EXPECT_FALSE(a->icon().pixmap(16, 16).isNull());
    }
    EXPECT_EQ(keys, (QStringList{"Open", "Convert", "Print", "Goto", "Previous", "Next", "Zoom In",
                                 "Zoom Out"}));
    EXPECT_EQ(tips, (QStringList{"Open a file", "Convert open file to another format",
                                 "Print the open file", "Goto another page", "Previous page",
                                 "Next page", "Zoom In", "Zoom Out"}));
}

TEST_F(MainWindow, CommandsWithoutADocumentDoNothing) {
    Session s;
    s.Load();
    const qsizetype before = s.events.size();
    for (QAction* action : {s.window->mnuFileConvert, s.window->mnuFilePageSetup,
                            s.window->mnuFilePrint, s.window->mnuEditCopy, s.window->mnuEditMeasure,
                            s.window->mnuViewFull, s.window->mnuViewNext, s.window->mnuViewPrev,
                            s.window->mnuViewGoto, s.window->mnuViewRedraw})
        action->trigger();
    for (QAction* button : s.window->tbToolBar->actions())
        if (button->data() != QLatin1String("Open") &&
            !button->data().toString().startsWith("Zoom"))
            button->trigger();
    QApplication::processEvents();
    EXPECT_EQ(s.events.mid(before), QStringList()) << s.events.join(u'|').toStdString();
    EXPECT_TRUE(s.services.dialogTitles.isEmpty());
    EXPECT_TRUE(s.services.inputPrompts.isEmpty());
    EXPECT_TRUE(s.services.clipboardImages.empty());
    EXPECT_EQ(s.window->StatusText(), QStringLiteral("Ready"));

    // These work without a document.
    s.window->mnuFileShowMsg->trigger();
    EXPECT_TRUE(s.messages.Existing() && s.messages.Existing()->isVisible());
    s.window->mnuMediaDisplay->trigger();
    EXPECT_TRUE(s.events.contains(QStringLiteral("modal: quillorn::options::frmDisplaySettings")));
    s.window->mnuHelpAbout->trigger();
    EXPECT_EQ(s.events.last(), QStringLiteral("about"));

    QString downloadTitle;
    s.onModal = [&](QWidget* w) {
        downloadTitle = w->windowTitle();
        if (auto* cancel = w->findChild<QPushButton*>(QStringLiteral("cmdCancel")))
            cancel->click();
        else if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
    };
    s.window->mnuDownloadRedMon->trigger();
    EXPECT_EQ(downloadTitle, QStringLiteral("Download RedMon"));
    EXPECT_TRUE(system::RedMonDownloadUrl().startsWith(QLatin1String("https://")));
    EXPECT_TRUE(system::RedMonDownloadUrl().endsWith(QLatin1String("redmon17.zip")));
    s.Close();
}

TEST_F(MainWindow, ZoomStepsTheResolutionAndRedraws) {
    Session s;
    s.Load();
    // No document: the resolution changes, nothing is rendered.
    QAction* zoomIn = s.window->tbToolBar->actions()[6];
    QAction* zoomOut = s.window->tbToolBar->actions()[7];
    zoomIn->trigger();
    EXPECT_EQ(options::TheOptions().Resolution, 84);
    EXPECT_EQ(s.redraws, 0);
    zoomOut->trigger();

    s.window->LoadFile(Document());
    ASSERT_FALSE(s.window->picView->Picture().isNull());
    const int base = s.redraws;
    const int width75 = s.window->picView->Picture().width();
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
    options::TheOptions().Resolution = 75;
    s.Close();
}

TEST_F(MainWindow, CommandsWithADocument) {
    Session s;
    s.Load();
    s.window->LoadFile(Document());
    ASSERT_TRUE(s.window->blnFileOpen());
    EXPECT_TRUE(s.window->windowTitle().endsWith(QStringLiteral("two pages.ps")));
    EXPECT_TRUE(s.window->StatusText().startsWith(QStringLiteral("Redrawn, took ")));
    const QImage page = s.window->picView->Picture();
    ASSERT_FALSE(page.isNull());

    s.window->mnuEditCopy->trigger();
    ASSERT_EQ(s.services.clipboardImages.size(), 1u);
    EXPECT_EQ(s.services.clipboardImages[0], page);

    s.services.boxes.clear();
    s.window->mnuFilePrint->trigger();
    s.window->tbToolBar->actions()[2]->trigger(); // toolbar "Print"
    s.window->mnuEditMeasure->trigger();
    s.window->mnuViewFull->trigger();
    ASSERT_EQ(s.services.boxes.size(), 4u);
    EXPECT_EQ(s.services.boxes[0].prompt, QStringLiteral("Add 'mnuFilePrint_Click' code."));
    EXPECT_EQ(s.services.boxes[1].prompt, s.services.boxes[0].prompt);
    EXPECT_EQ(s.services.boxes[2].prompt, QStringLiteral("add measure"));
    EXPECT_EQ(s.services.boxes[3].prompt, QStringLiteral("add view full"));
    for (const auto& box : s.services.boxes) {
        EXPECT_EQ(box.style, 0);
        EXPECT_EQ(box.title, QStringLiteral("Quillorn"));
    }

    s.services.printerAnswers = {false};
    s.window->mnuFilePageSetup->trigger();
    EXPECT_EQ(s.services.dialogTitles, QStringList{QStringLiteral("Page Setup")});

    // Display settings left with Cancel still redraws.
    int before = s.redraws;
    s.window->mnuMediaDisplay->trigger();
    EXPECT_EQ(s.redraws - before, 1);

    // Toolbar Next, Previous and Goto act as their menu entries.
    s.window->tbToolBar->actions()[5]->trigger();
    EXPECT_EQ(s.window->picView->lngCurrentPage(), 2);
    s.window->tbToolBar->actions()[4]->trigger();
    EXPECT_EQ(s.window->picView->lngCurrentPage(), 1);
    s.services.inputAnswers = {QStringLiteral("2")};
    s.window->tbToolBar->actions()[3]->trigger();
    EXPECT_EQ(s.window->picView->lngCurrentPage(), 2);
    // Open through the toolbar, cancelled: the document stays.
    s.window->tbToolBar->actions()[0]->trigger();
    EXPECT_EQ(s.services.dialogTitles.last(), QStringLiteral("Open"));
    EXPECT_TRUE(s.window->blnFileOpen());

    // Convert opens the conversion dialog for the open document.
    QString convertInput;
    s.onModal = [&](QWidget* w) {
        if (auto* convert = qobject_cast<convert::frmConvert*>(w))
            convertInput = convert->strInputFile;
        if (auto* dialog = qobject_cast<QDialog*>(w))
            dialog->reject();
    };
    s.window->tbToolBar->actions()[1]->trigger();
    EXPECT_TRUE(s.events.contains(QStringLiteral("modal: quillorn::convert::frmConvert")));
    EXPECT_EQ(convertInput, Document());
    s.onModal = {};

    // After a failed render there is no picture, and Copy puts nothing on the clipboard.
    s.window->LoadFile(test::ScratchDir() + QStringLiteral("/missing.ps"));
    ASSERT_TRUE(s.window->blnFileOpen());
    ASSERT_TRUE(s.window->picView->Picture().isNull());
    s.window->mnuEditCopy->trigger();
    EXPECT_EQ(s.services.clipboardImages.size(), 1u);
    s.Close();
}

TEST_F(MainWindow, ADropOnTheWindowOpensTheFile) {
    Session s;
    s.Load();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Document())});
    const QPoint at = s.window->tbToolBar->geometry().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(s.window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(s.window.get(), &drop);
    EXPECT_EQ(s.window->strFile(), Document());
    EXPECT_FALSE(s.window->picView->Picture().isNull());
    s.Close();
}
