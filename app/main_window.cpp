#include "app/main_window.h"

#include "app/core/placement.h"
#include "app/core/toolbar_icons.h"
#include "app/core/zoom.h"
#include "app/messages_window.h"
#include "app/splash_screen.h"
#include "base/user_dialogs.h"
#include "base/version.h"
#include "convert/convert_dialog.h"
#include "gs/api.h"
#include "options/core/options_store.h"
#include "options/display_settings_dialog.h"
#include "options/options_menus.h"
#include "system/core/download.h"
#include "system/download_dialog.h"
#include "viewer/core/document_controller.h"
#include "viewer/page_view.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>

namespace quillorn::app {

namespace {
// Twips follow the primary screen's logical dots per inch, both ways.
QPointF screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? QPointF(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY())
                  : QPointF(96.0, 96.0);
}
} // namespace

MainWindow::MainWindow(UserDialogs& dialogs, options::Options& options, MessagesWindow& messages,
                       gs::Binding& binding, gs::Runner& runner, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), options_(options), messages_(messages),
      binding_(binding), runner_(runner), ghostscriptCheck_(system::defaultGhostscriptCheckSetup()),
      association_(system::defaultAssociationSetup()), pageView_(new viewer::PageView(this)),
      document_(
          new viewer::DocumentController(dialogs, options, messages, runner, *pageView_, this)),
      optionsMenus_(new options::OptionsMenus(options, this)),
      status_(new QLabel(QStringLiteral("Status"), this)),
      position_(new QLabel(QStringLiteral("Current Pos"), this)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(kAppTitle);
    setCentralWidget(pageView_);
    status_->setObjectName(QStringLiteral("statusText"));
    position_->setObjectName(QStringLiteral("positionText"));
    statusBar()->addWidget(status_, 1);
    statusBar()->addWidget(position_);

    ghostscriptCheck_.libraryLoads = [this] { return binding_.revision().has_value(); };
    ghostscriptCheck_.download = [this](const QString& title, const QString& url,
                                        const QString& directory, const QString& fileName) {
        return system::DownloadDialog::download(title, url, directory, fileName, dialogs_,
                                                messages_, this);
    };

    createActions();
    connect(document_, &viewer::DocumentController::statusChanged, this, &MainWindow::setStatus);
    connect(document_, &viewer::DocumentController::captionChanged, this, &QWidget::setWindowTitle);
    connect(document_, &viewer::DocumentController::pageShown, this,
            &MainWindow::showPageIndicator);
    connect(pageView_, &viewer::PageView::fileDropped, this, &MainWindow::loadFile);
}

MainWindow::~MainWindow() = default;

void MainWindow::createActions() {
    const auto action = [this](const QString& caption, const char* name, void (MainWindow::*slot)(),
                               const QKeySequence& shortcut = QKeySequence()) {
        auto* act = new QAction(caption, this);
        act->setObjectName(QLatin1String(name));
        act->setShortcut(shortcut);
        connect(act, &QAction::triggered, this, slot);
        return act;
    };
    QAction* open = action(QStringLiteral("&Open..."), "openAction", &MainWindow::openDocument,
                           QKeySequence::Open);
    QAction* close = action(QStringLiteral("&Close"), "closeAction", &MainWindow::closeDocument,
                            QKeySequence(Qt::CTRL | Qt::Key_F4));
    QAction* convert = action(QStringLiteral("&Convert..."), "convertAction",
                              &MainWindow::convertDocument, QKeySequence(Qt::CTRL | Qt::Key_F));
    QAction* pageSetup =
        action(QStringLiteral("Page Set&up..."), "pageSetupAction", &MainWindow::pageSetup);
    QAction* print =
        action(QStringLiteral("&Print..."), "printAction", &MainWindow::print, QKeySequence::Print);
    QAction* messages = action(QStringLiteral("&Show Messages..."), "showMessagesAction",
                               &MainWindow::showMessages, QKeySequence(Qt::CTRL | Qt::Key_M));
    QAction* exit = action(QStringLiteral("E&xit"), "exitAction", &MainWindow::exitProgram);
    QAction* copy =
        action(QStringLiteral("&Copy"), "copyAction", &MainWindow::copyPage, QKeySequence::Copy);
    QAction* measure = action(QStringLiteral("&Measure..."), "measureAction", &MainWindow::measure);
    QAction* redMon = action(QStringLiteral("&Download RedMon..."), "downloadRedMonAction",
                             &MainWindow::downloadRedMon);
    QAction* next = action(QStringLiteral("&Next Page"), "nextPageAction", &MainWindow::nextPage,
                           QKeySequence(Qt::Key_F9));
    QAction* previous = action(QStringLiteral("Pre&vious Page"), "previousPageAction",
                               &MainWindow::previousPage, QKeySequence(Qt::Key_F8));
    QAction* goTo = action(QStringLiteral("&Goto Page..."), "goToPageAction", &MainWindow::goToPage,
                           QKeySequence(Qt::CTRL | Qt::Key_G));
    QAction* redraw = action(QStringLiteral("&Redraw"), "redrawAction", &MainWindow::redraw,
                             QKeySequence(Qt::CTRL | Qt::Key_R));
    // Enabled only while Ghostscript draws a page.
    QAction* stop = action(QStringLiteral("&Stop"), "stopAction", &MainWindow::stopRendering,
                           QKeySequence(Qt::Key_Escape));
    stop->setEnabled(false);
    stop->setIcon(
        QIcon::fromTheme(QStringLiteral("process-stop"), toolbarIcon(QStringLiteral("stop"))));
    stop->setToolTip(QStringLiteral("Stop drawing the page"));
    connect(document_, &viewer::DocumentController::renderingChanged, stop, &QAction::setEnabled);
    QAction* fullScreen = action(QStringLiteral("&Full Screen"), "fullScreenAction",
                                 &MainWindow::toggleFullScreen, QKeySequence(Qt::Key_F2));
    QAction* display = action(QStringLiteral("&Display settings..."), "displaySettingsAction",
                              &MainWindow::showDisplaySettings);
    QAction* about = action(QStringLiteral("&About "), "aboutAction", &MainWindow::about);
    QAction* zoomInAct = action(QStringLiteral("Zoom In"), "zoomInAction", &MainWindow::zoomIn);
    QAction* zoomOutAct = action(QStringLiteral("Zoom Out"), "zoomOutAction", &MainWindow::zoomOut);

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(open);
    file->addAction(close);
    file->addSeparator();
    file->addAction(convert);
    file->addSeparator();
    file->addAction(pageSetup);
    file->addAction(print);
    file->addSeparator();
    file->addAction(messages);
    file->addSeparator();
    file->addAction(exit);

    QMenu* edit = menuBar()->addMenu(QStringLiteral("&Edit"));
    edit->addAction(copy);
    edit->addSeparator();
    edit->addAction(measure);

    QMenu* optionsMenu = menuBar()->addMenu(QStringLiteral("O&ptions"));
    optionsMenus_->addOptionsEntries(optionsMenu);
    optionsMenu->addSeparator();
    optionsMenu->addAction(redMon);

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(next);
    view->addAction(previous);
    view->addAction(goTo);
    view->addAction(redraw);
    view->addAction(stop);
    view->addSeparator();
    view->addAction(fullScreen);

    QMenu* media = menuBar()->addMenu(QStringLiteral("&Media"));
    media->addAction(display);
    media->addSeparator();
    optionsMenus_->addMediaEntries(media);

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->addAction(about);

    // The toolbar shares the menu's commands; the zoom steps live only here.
    const struct {
        QAction* action;
        const char* picture;
        const char* toolTip;
    } tools[] = {
        {open, "Open", "Open a file"},
        {convert, "Save", "Convert open file to another format"},
        {print, "Print", "Print the open file"},
        {goTo, "Redo", "Goto another page"},
        {previous, "Back", "Previous page"},
        {next, "Forward", "Next page"},
        {zoomInAct, "zoomin", "Zoom In"},
        {zoomOutAct, "zoomOUT", "Zoom Out"},
    };
    QToolBar* toolBar = addToolBar(QStringLiteral("Toolbar"));
    toolBar->setObjectName(QStringLiteral("toolBar"));
    toolBar->setMovable(false);
    for (const auto& tool : tools) {
        tool.action->setIcon(toolbarIcon(QLatin1String(tool.picture)));
        tool.action->setToolTip(QLatin1String(tool.toolTip));
        toolBar->addAction(tool.action);
    }
    toolBar->addAction(stop);
}

// ---- start-up and shutdown ----

bool MainWindow::start() {
    restorePlacement();
    show();
    fitFrameToPlacement();
    messages_.addMessage(QStringLiteral("Quillorn ") + versionText() + QStringLiteral("\r\n\r\n"));

    setStatus(QStringLiteral("Checking GhostScript version..."));
    if (system::checkGhostscript(dialogs_, ghostscriptCheck_) == system::CheckOutcome::Quit)
        return false;

    setStatus(QStringLiteral("Loading Settings..."));
    options_ = options::readOptions(store_);
    optionsMenus_->showOptions();

    setStatus(QStringLiteral("Showing Splash Screen..."));
    SplashScreen(SplashScreen::Role::Splash, this).exec();

    setStatus(QStringLiteral("Ready"));
    system::checkAssociation(dialogs_, association_);
    return true;
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A render in progress ends with the window; its worker goes at once.
    document_->stop();
    if (!closed_) {
        closed_ = true;
        closeOtherWindows();
        options::writeOptions(options_, store_);
        if (!isMinimized())
            savePlacement();
        store_.sync();
    }
    event->accept();
}

void MainWindow::closeOtherWindows() {
    // The messages window was made first after this one, so it goes last.
    const QWidget* messagesWindow = messages_.window();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        QWidget* window = *it;
        if (window == this || window == messagesWindow || !window->isVisible())
            continue;
        window->close();
    }
    messages_.unload();
}

void MainWindow::restorePlacement() {
    const QPointF dpi = screenDpi();
    const QRect frame = placementToPixels(readPlacement(store_), dpi.x(), dpi.y());
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens << s->availableGeometry();
    placedFrame_ = bringOntoScreens(frame, screens);
    move(placedFrame_.topLeft());
    resize(placedFrame_.size().expandedTo(QSize(1, 1)));
}

// The stored size is the outer one; the frame's own size is known only once the window is shown.
void MainWindow::fitFrameToPlacement() {
    const QSize decoration = frameGeometry().size() - geometry().size();
    if (decoration.width() > 0 || decoration.height() > 0)
        resize((placedFrame_.size() - decoration).expandedTo(QSize(1, 1)));
    if (frameGeometry().topLeft() != placedFrame_.topLeft())
        move(placedFrame_.topLeft());
}

void MainWindow::savePlacement() {
    const QPointF dpi = screenDpi();
    writePlacement(store_, pixelsToPlacement(frameGeometry(), dpi.x(), dpi.y()));
}

void MainWindow::setStatus(const QString& text) {
    status_->setText(text);
    Q_EMIT statusShown(text);
}

void MainWindow::showPageIndicator(qint32 page, int pageCount) {
    if (page == 0)
        position_->setText(QStringLiteral("Current Pos"));
    else if (pageCount > 0)
        position_->setText(QStringLiteral("Page %1 of %2").arg(page).arg(pageCount));
    else
        position_->setText(QStringLiteral("Page %1").arg(page));
}

QString MainWindow::statusText() const {
    return status_->text();
}

// ---- document ----

void MainWindow::loadFile(const QString& path) {
    document_->loadFile(path);
}

QString MainWindow::filePath() const {
    return document_->filePath();
}

bool MainWindow::isDocumentOpen() const {
    return document_->isOpen();
}

// ---- commands ----

void MainWindow::openDocument() {
    document_->openDocument();
}

void MainWindow::closeDocument() {
    document_->closeDocument();
}

void MainWindow::convertDocument() {
    if (!isDocumentOpen())
        return;
    convert::ConvertDialog::run(filePath(),
                                {dialogs_, options_, messages_, runner_,
                                 [this](const QString& text) { setStatus(text); }, this});
}

void MainWindow::pageSetup() {
    if (isDocumentOpen())
        dialogs_.printerDialog(QStringLiteral("Page Setup")); // nothing chosen there is used
}

void MainWindow::print() {
    if (isDocumentOpen())
        dialogs_.message(QStringLiteral("Add 'mnuFilePrint_Click' code."));
}

void MainWindow::exitProgram() {
    close();
}

void MainWindow::showMessages() {
    messages_.showMessages();
}

void MainWindow::copyPage() {
    if (!isDocumentOpen())
        return;
    const QImage picture = pageView_->picture();
    if (!picture.isNull()) // after a failed render there is nothing to copy
        dialogs_.setClipboardImage(picture);
}

void MainWindow::measure() {
    if (isDocumentOpen())
        dialogs_.message(QStringLiteral("add measure"));
}

void MainWindow::nextPage() {
    document_->nextPage();
}

void MainWindow::previousPage() {
    document_->previousPage();
}

void MainWindow::goToPage() {
    document_->goToPage();
}

void MainWindow::redraw() {
    document_->redraw();
}

void MainWindow::stopRendering() {
    document_->stop();
}

void MainWindow::toggleFullScreen() {
    if (isDocumentOpen())
        dialogs_.message(QStringLiteral("add view full"));
}

void MainWindow::showDisplaySettings() {
    options::DisplaySettingsDialog::edit(options_, this);
    document_->redraw(); // also after Cancel; nothing without a document
}

void MainWindow::downloadRedMon() {
    system::DownloadDialog::download(QStringLiteral("Download RedMon"), system::redMonDownloadUrl(),
                                     system::downloadDirectory(), QStringLiteral("redmon.zip"),
                                     dialogs_, messages_, this);
}

void MainWindow::about() {
    SplashScreen(SplashScreen::Role::About, this).exec();
}

void MainWindow::zoomIn() {
    if (const auto next = app::zoomIn(options_.resolution)) {
        options_.resolution = *next;
        document_->redraw();
    }
}

void MainWindow::zoomOut() {
    if (const auto next = app::zoomOut(options_.resolution)) {
        options_.resolution = *next;
        document_->redraw();
    }
}

} // namespace quillorn::app
