#include "app/main_window.h"

#include "app/core/page_units.h"
#include "app/core/placement.h"
#include "app/core/recent_files.h"
#include "app/core/toolbar_icons.h"
#include "app/core/view_settings.h"
#include "app/core/zoom.h"
#include "app/messages_window.h"
#include "app/print_into_dialog.h"
#include "app/splash_screen.h"
#include "app/zoom_box.h"
#include "base/user_dialogs.h"
#include "base/version.h"
#include "convert/convert_dialog.h"
#include "gs/api.h"
#include "options/core/options_store.h"
#include "options/core/paper.h"
#include "options/display_settings_dialog.h"
#include "options/options_menus.h"
#include "system/download_dialog.h"
#include "system/install_progress.h"
#include "viewer/continuous_view.h"
#include "viewer/core/document_controller.h"
#include "viewer/core/document_files.h"
#include "viewer/core/document_text.h"
#include "viewer/core/page_geometry.h"
#include "viewer/core/page_service.h"
#include "viewer/core/structure_loader.h"
#include "viewer/core/text_search.h"
#include "viewer/find_bar.h"
#include "viewer/outline_panel.h"
#include "viewer/page_text_layer.h"
#include "viewer/page_view.h"
#include "viewer/thumbnails_panel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDockWidget>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace quillorn::app {

MainWindow::MainWindow(UserDialogs& dialogs, options::Options& options, MessagesWindow& messages,
                       gs::Binding& binding, gs::Runner& runner, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), options_(options), messages_(messages),
      binding_(binding), runner_(runner), ghostscriptCheck_(system::defaultGhostscriptCheckSetup()),
      association_(system::defaultAssociationSetup()), pageView_(new viewer::PageView(this)),
      document_(
          new viewer::DocumentController(dialogs, options, messages, runner, *pageView_, this)),
      pageService_(new viewer::PageService(runner, options, this)),
      continuousView_(new viewer::ContinuousView(*pageService_, options, this)),
      pagesStack_(new QStackedWidget(this)),
      thumbnails_(new viewer::ThumbnailsPanel(*pageService_, this)),
      thumbnailsDock_(new QDockWidget(tr("Thumbnails"), this)),
      optionsMenus_(new options::OptionsMenus(options, this)), statusBar_(new StatusBar(this)),
      zoomBox_(new ZoomBox(this)), placement_(new WindowPlacement(*this, store_)),
      structure_(new viewer::StructureLoader(this)), outlinePanel_(new viewer::OutlinePanel(this)) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(kAppTitle);
    text_ = new viewer::DocumentText(runner, this);
    search_ = new viewer::TextSearch(*text_, this);
    findBar_ = new viewer::FindBar(*text_, *search_, this);
    textLayer_ = new viewer::PageTextLayer(*document_, *pageView_, *text_, *search_, options, this);
    textLayer_->setHitShower([this](qint32 page) {
        if (!isContinuousShown())
            return false;
        continuousView_->revealCurrentHit(page);
        return true;
    });
    continuousView_->setTextMarks([this](qint32 page, const viewer::PageGeometry& where) {
        return textLayer_->marksOn(page, where);
    });
    connect(continuousView_, &viewer::ContinuousView::textDragged, textLayer_,
            &viewer::PageTextLayer::draggedOn);
    connect(textLayer_, &viewer::PageTextLayer::selectionChanged, continuousView_,
            &viewer::ContinuousView::updateTextMarks);
    continuousView_->setLinks([this](qint32 page, const viewer::PageGeometry& where) {
        return linkAreas(page, where.picture.toSize(), static_cast<int>(where.resolution));
    });
    connect(continuousView_, &viewer::ContinuousView::linkClicked, this, &MainWindow::followLinkOn);
    connect(search_, &viewer::TextSearch::hitsChanged, continuousView_,
            &viewer::ContinuousView::updateTextMarks);
    connect(search_, &viewer::TextSearch::currentChanged, continuousView_,
            &viewer::ContinuousView::updateTextMarks);
    // The find bar goes under the page.
    pagesStack_->addWidget(pageView_);
    pagesStack_->addWidget(continuousView_);
    auto* middle = new QWidget(this);
    auto* column = new QVBoxLayout(middle);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(pagesStack_, 1);
    column->addWidget(findBar_);
    setCentralWidget(middle);
    connect(findBar_, &viewer::FindBar::closed, pageView_, [this] { pageView_->setFocus(); });
    thumbnailsDock_->setObjectName(QStringLiteral("thumbnailsDock"));
    thumbnailsDock_->setWidget(thumbnails_);
    addDockWidget(Qt::LeftDockWidgetArea, thumbnailsDock_);
    thumbnailsDock_->hide();
    setStatusBar(statusBar_);
    connect(statusBar_, &StatusBar::statusShown, this, &MainWindow::statusShown);

    ghostscriptCheck_.libraryLoads = [this] { return binding_.revision().has_value(); };
    ghostscriptCheck_.download = [this](const QString& title, const QString& url,
                                        const QString& directory, const QString& fileName) {
        return system::DownloadDialog::download(title, url, directory, fileName, dialogs_,
                                                messages_, this);
    };
    ghostscriptCheck_.installView = std::make_shared<system::InstallProgress>(this);

    addDockWidget(Qt::LeftDockWidgetArea, outlinePanel_);
    // The side panels share the left edge as tabs, as in other readers.
    tabifyDockWidget(thumbnailsDock_, outlinePanel_);
    outlinePanel_->hide();
    createActions();
    connect(document_, &viewer::DocumentController::statusChanged, this, &MainWindow::setStatus);
    connect(document_, &viewer::DocumentController::captionChanged, this, &QWidget::setWindowTitle);
    connect(pageView_, &viewer::PageView::fileDropped, this,
            [this](const QString& path) { loadFile(path); });

    pageView_->setDocument(document_);
    pageView_->setFocus();
    connect(pageView_, &viewer::PageView::zoomRequested, this, &MainWindow::zoomBy);
    connect(document_, &viewer::DocumentController::pageShown, this, [this] {
        pagePoints_ = pageSizeInPoints(pageView_->picture().deviceIndependentSize(),
                                       document_->shownResolution());
        statusBar_->setScale(options_.units, document_->shownResolution());
    });
    connect(pageView_, &viewer::PageView::pointerMoved, this, [this](QPointF point) {
        statusBar_->setScale(options_.units, document_->shownResolution());
        statusBar_->setPointer(point);
    });
    connect(pageView_, &viewer::PageView::pointerLeft, statusBar_,
            [this] { statusBar_->setPointer(std::nullopt); });
    connect(pageView_, &viewer::PageView::measured, this, [this](QPointF from, QPointF to) {
        statusBar_->showMeasure(
            distanceText(from, to, options_.units, document_->shownResolution()));
    });
    connect(pageView_, &viewer::PageView::measureCleared, statusBar_, &StatusBar::endMeasure);
    connect(optionsMenus_, &options::OptionsMenus::boundingBoxShown, pageView_,
            &viewer::PageView::setBoundingBoxShown);
    connect(optionsMenus_, &options::OptionsMenus::orientationChosen, document_,
            &viewer::DocumentController::redraw);
    connect(document_, &viewer::DocumentController::pageShown, statusBar_, &StatusBar::showPage);
    // The structure is read once a page shows that the document opens (with its password).
    connect(document_, &viewer::DocumentController::pageShown, this, [this](qint32 page) {
        if (page == 0)
            structure_->clear();
        else
            structure_->load(filePath(), document_->password());
        showLinks();
    });
    connect(structure_, &viewer::StructureLoader::structureChanged, this,
            &MainWindow::showStructure);
    connect(outlinePanel_, &viewer::OutlinePanel::pageChosen, this, &MainWindow::openPage);
    connect(pageView_, &viewer::PageView::linkClicked, this,
            [this](int index) { followLinkOn(document_->currentPage(), index); });

    continuousView_->setDocument(document_);
    connect(document_, &viewer::DocumentController::documentRead, this, &MainWindow::showPagesView);
    connect(document_, &viewer::DocumentController::pageShown, this, [this](qint32 page) {
        showPagesView();
        if (isContinuousShown() && document_->isRendering())
            continuousView_->pageDrawn(page, pageView_->picture());
    });
    connect(continuousView_, &viewer::ContinuousView::zoomRequested, this, &MainWindow::zoomBy);
    connect(document_, &viewer::DocumentController::pageShown, thumbnails_,
            &viewer::ThumbnailsPanel::showCurrentPage);
    connect(thumbnails_, &viewer::ThumbnailsPanel::pageChosen, this, &MainWindow::openPage);
    connect(optionsMenus_, &options::OptionsMenus::orientationChosen, this, [this] {
        if (isContinuousShown())
            continuousView_->refresh();
    });
    // Without a page (closed, or a new document on its way) the box says the resolution asked for.
    connect(document_, &viewer::DocumentController::pageShown, zoomBox_, [this](qint32 page) {
        zoomBox_->showResolution(page > 0 ? document_->shownResolution() : options_.resolution);
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::createActions() {
    // Each command goes straight to what carries it out: this window, or the document.
    const auto command = [this](const QString& caption, const char* name, const auto* receiver,
                                auto slot, const QKeySequence& shortcut = QKeySequence()) {
        auto* act = new QAction(caption, this);
        act->setObjectName(QLatin1String(name));
        act->setShortcut(shortcut);
        connect(act, &QAction::triggered, receiver, slot);
        addAction(act); // its key works with the menu bar and toolbar hidden in full screen
        return act;
    };
    const auto action = [this, &command](const QString& caption, const char* name,
                                         void (MainWindow::*slot)(),
                                         const QKeySequence& shortcut = QKeySequence()) {
        return command(caption, name, this, slot, shortcut);
    };
    using viewer::DocumentController;
    QAction* open =
        action(tr("&Open..."), "openAction", &MainWindow::openDocument, QKeySequence::Open);
    QAction* close =
        command(tr("&Close"), "closeAction", document_, &DocumentController::closeDocument,
                QKeySequence(Qt::CTRL | Qt::Key_F4));
    QAction* convert = action(tr("Con&vert..."), "convertAction", &MainWindow::convertDocument,
                              QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    QAction* pageSetup = action(tr("Page Set&up..."), "pageSetupAction", &MainWindow::pageSetup);
    QAction* print =
        action(tr("&Print..."), "printAction", &MainWindow::print, QKeySequence::Print);
    QAction* messages = command(
        tr("&Show Messages..."), "showMessagesAction", this, [this] { messages_.showMessages(); },
        QKeySequence(Qt::CTRL | Qt::Key_M));
    QAction* exit = command(tr("E&xit"), "exitAction", this, &QWidget::close);
    QAction* properties =
        action(tr("Propert&ies..."), "propertiesAction", &MainWindow::showProperties);
    properties->setEnabled(false);
    connect(document_, &DocumentController::captionChanged, properties,
            [this, properties] { properties->setEnabled(isDocumentOpen()); });
    QAction* copy = action(tr("&Copy"), "copyAction", &MainWindow::copyPage, QKeySequence::Copy);
    QAction* copyPicture =
        action(tr("Copy Page &Picture"), "copyPictureAction", &MainWindow::copyPagePicture);
    QAction* selectAll = action(tr("Select &All"), "selectAllAction", &MainWindow::selectAll,
                                QKeySequence::SelectAll);
    QAction* find =
        command(tr("&Find..."), "findAction", findBar_, &viewer::FindBar::open, QKeySequence::Find);
    QAction* findNext = command(tr("Find &Next"), "findNextAction", findBar_,
                                &viewer::FindBar::findNext, QKeySequence(Qt::Key_F3));
    QAction* findPrevious =
        command(tr("Find Pre&vious"), "findPreviousAction", findBar_,
                &viewer::FindBar::findPrevious, QKeySequence(Qt::SHIFT | Qt::Key_F3));
    QAction* measure = action(tr("&Measure..."), "measureAction", &MainWindow::measure);
    QAction* printInto =
        action(tr("Print into &Quillorn..."), "printIntoAction", &MainWindow::showPrintInto);
    QAction* next =
        action(tr("&Next Page"), "nextPageAction", &MainWindow::nextPage, QKeySequence(Qt::Key_F9));
    QAction* previous = action(tr("Pre&vious Page"), "previousPageAction",
                               &MainWindow::previousPage, QKeySequence(Qt::Key_F8));
    QAction* goTo = action(tr("&Goto Page..."), "goToPageAction", &MainWindow::goToPage,
                           QKeySequence(Qt::CTRL | Qt::Key_G));
    QAction* first = command(tr("&First Page"), "firstPageAction", this, [this] {
        if (isContinuousShown())
            continuousView_->scrollToPage(1);
        else
            document_->firstPage();
    });
    first->setShortcuts({QKeySequence(Qt::Key_Home), QKeySequence(Qt::CTRL | Qt::Key_Home)});
    QAction* last = command(tr("&Last Page"), "lastPageAction", this, [this] {
        if (isContinuousShown() && document_->pageCount())
            continuousView_->scrollToPage(*document_->pageCount());
        else
            document_->lastPage();
    });
    last->setShortcuts({QKeySequence(Qt::Key_End), QKeySequence(Qt::CTRL | Qt::Key_End)});
    QAction* redraw = command(tr("&Redraw"), "redrawAction", document_, &DocumentController::redraw,
                              QKeySequence(Qt::CTRL | Qt::Key_R));
    // Enabled only while Ghostscript draws a page.
    QAction* stop = command(tr("&Stop"), "stopAction", document_, &DocumentController::stop,
                            QKeySequence(Qt::Key_Escape));
    stop->setEnabled(false);
    stop->setIcon(
        QIcon::fromTheme(QStringLiteral("process-stop"), toolbarIcon(QStringLiteral("stop"))));
    stop->setToolTip(tr("Stop drawing the page"));
    connect(document_, &viewer::DocumentController::renderingChanged, stop, &QAction::setEnabled);
    QAction* fullScreen =
        action(tr("&Full Screen"), "fullScreenAction", &MainWindow::toggleFullScreen);
    // F2 is the program's own key; the desktop's usual one works too.
    QList<QKeySequence> fullScreenKeys{QKeySequence(Qt::Key_F2)};
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::FullScreen))
        if (!fullScreenKeys.contains(key))
            fullScreenKeys << key;
    fullScreen->setShortcuts(fullScreenKeys);
    QAction* fitWidth = action(tr("Fit &Width"), "fitWidthAction", &MainWindow::fitWidth,
                               QKeySequence(Qt::CTRL | Qt::Key_1));
    QAction* fitPage = action(tr("Fit &Page"), "fitPageAction", &MainWindow::fitPage,
                              QKeySequence(Qt::CTRL | Qt::Key_2));
    QAction* presentation = action(tr("P&resentation"), "presentationAction",
                                   &MainWindow::togglePresentation, QKeySequence(Qt::Key_F5));
    QAction* invert = command(tr("&Invert Colours"), "invertColoursAction", this,
                              &MainWindow::setColoursInverted);
    invert->setCheckable(true);
    invert->setChecked(readInvertColours(store_));
    pageView_->setColoursInverted(invert->isChecked());
    QAction* originalSize = action(tr("&Original Size"), "originalSizeAction",
                                   &MainWindow::originalSize, QKeySequence(Qt::CTRL | Qt::Key_0));
    QAction* display = action(tr("&Display settings..."), "displaySettingsAction",
                              &MainWindow::showDisplaySettings);
    QAction* about = action(tr("&About "), "aboutAction", &MainWindow::about);
    QAction* zoomInAct = action(tr("Zoom In"), "zoomInAction", &MainWindow::zoomIn);
    QAction* zoomOutAct = action(tr("Zoom Out"), "zoomOutAction", &MainWindow::zoomOut);
    // Ctrl+= is Ctrl++ without Shift on keyboards that put + over =.
    zoomInAct->setShortcuts(QKeySequence::keyBindings(QKeySequence::ZoomIn)
                            << QKeySequence(Qt::CTRL | Qt::Key_Equal));
    zoomOutAct->setShortcuts(QKeySequence::ZoomOut);

    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addAction(open);
    file->addAction(close);
    file->addSeparator();
    file->addAction(convert);
    file->addSeparator();
    file->addAction(pageSetup);
    file->addAction(print);
    file->addSeparator();
    file->addAction(properties);
    file->addAction(messages);
    recentSeparator_ = file->addSeparator();
    for (int i = 0; i < kRecentFileCount; ++i) {
        auto* recent = new QAction(this);
        recent->setObjectName(QStringLiteral("recentFile%1").arg(i + 1));
        connect(recent, &QAction::triggered, this, [this, i] { openRecentFile(i); });
        recentActions_ << recent;
        file->addAction(recent);
    }
    file->addSeparator();
    file->addAction(exit);
    // Another window may have opened documents meanwhile.
    connect(file, &QMenu::aboutToShow, this, &MainWindow::showRecentFiles);
    showRecentFiles();

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(copy);
    edit->addAction(copyPicture);
    edit->addAction(selectAll);
    edit->addSeparator();
    edit->addAction(find);
    edit->addAction(findNext);
    edit->addAction(findPrevious);
    edit->addSeparator();
    edit->addAction(measure);

    QMenu* optionsMenu = menuBar()->addMenu(tr("O&ptions"));
    optionsMenus_->addOptionsEntries(optionsMenu);
    optionsMenu->addSeparator();
    optionsMenu->addAction(printInto);
    showSplash_ = optionsMenu->addAction(tr("Show splash screen at start-up"));
    showSplash_->setObjectName(QStringLiteral("showSplashAction"));
    showSplash_->setCheckable(true);
    showSplash_->setChecked(readShowSplash(store_));
    connect(showSplash_, &QAction::toggled, this,
            [this](bool shown) { writeShowSplash(store_, shown); });

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->addAction(next);
    view->addAction(previous);
    view->addAction(goTo);
    view->addAction(first);
    view->addAction(last);
    view->addAction(redraw);
    view->addAction(stop);
    view->addSeparator();
    view->addAction(fitWidth);
    view->addAction(fitPage);
    view->addAction(originalSize);
    view->addSeparator();
    continuousAction_ = new QAction(tr("&Continuous"), this);
    continuousAction_->setObjectName(QStringLiteral("continuousAction"));
    continuousAction_->setCheckable(true);
    continuousAction_->setChecked(
        store_.value(QStringLiteral("View"), QStringLiteral("Continuous")) == u'1');
    connect(continuousAction_, &QAction::toggled, this, &MainWindow::setContinuous);
    view->addAction(continuousAction_);
    QAction* thumbnails = thumbnailsDock_->toggleViewAction();
    thumbnails->setText(tr("&Thumbnails"));
    thumbnails->setObjectName(QStringLiteral("thumbnailsAction"));
    thumbnails->setShortcut(QKeySequence(Qt::Key_F4));
    thumbnails->setToolTip(tr("Show small pictures of every page"));
    addAction(thumbnails);
    view->addAction(thumbnails);
    view->addAction(fullScreen);
    // The panel is offered only for a document with an outline.
    QAction* outline = outlinePanel_->toggleViewAction();
    outline->setObjectName(QStringLiteral("outlineAction"));
    outline->setEnabled(false);
    connect(outline, &QAction::triggered, this, [this](bool shown) { outlineWanted_ = shown; });
    view->addAction(outline);
    view->addAction(presentation);
    view->addAction(invert);

    QMenu* media = menuBar()->addMenu(tr("&Media"));
    media->addAction(display);
    media->addSeparator();
    optionsMenus_->addMediaEntries(media);

    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addAction(about);

    // A menu closed with Escape leaves the menu bar waiting for keys, and the next Escape would
    // only end that: the keys go back to the page, so that the first Escape stops a drawing.
    for (const QMenu* menu : {file, edit, optionsMenu, view, media, help})
        connect(menu, &QMenu::aboutToHide, this, [this] {
            QTimer::singleShot(0, pageView_, [this] {
                if (QApplication::activePopupWidget() == nullptr && isActiveWindow())
                    pageView_->setFocus();
            });
        });

    // The toolbar shares the menu's commands; the zoom steps live only here.
    const struct {
        QAction* action;
        const char* picture;
        const char* toolTip;
    } tools[] = {
        {open, "Open", QT_TR_NOOP("Open a file")},
        {convert, "Save", QT_TR_NOOP("Convert open file to another format")},
        {print, "Print", QT_TR_NOOP("Print the open file")},
        {goTo, "Redo", QT_TR_NOOP("Goto another page")},
        {previous, "Back", QT_TR_NOOP("Previous page")},
        {next, "Forward", QT_TR_NOOP("Next page")},
        {zoomInAct, "zoomin", QT_TR_NOOP("Zoom In")},
        {zoomOutAct, "zoomOUT", QT_TR_NOOP("Zoom Out")},
    };
    toolBar_ = addToolBar(tr("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    toolBar_->setMovable(false);
    for (const auto& tool : tools) {
        tool.action->setIcon(toolbarIcon(QLatin1String(tool.picture)));
        tool.action->setToolTip(tr(tool.toolTip));
        toolBar_->addAction(tool.action);
    }
    toolBar_->insertWidget(zoomOutAct, zoomBox_);
    toolBar_->addAction(stop);
    toolBar_->addAction(thumbnails);
    connect(zoomBox_, &ZoomBox::resolutionChosen, this, [this](std::int16_t resolution) {
        if (resolution != options_.resolution)
            zoomTo(resolution);
    });
}

// ---- start-up and shutdown ----

bool MainWindow::start() {
    restorePlacement();
    show();
    messages_.addMessage(QStringLiteral("Quillorn ") + versionText() + QStringLiteral("\r\n\r\n"));

    setStatus(tr("Checking GhostScript version..."));
    if (system::checkGhostscript(dialogs_, ghostscriptCheck_) == system::CheckOutcome::Quit)
        return false;

    setStatus(tr("Loading Settings..."));
    options_ = options::readOptions(store_, options::systemDefaultMedia());
    optionsAtStart_ = options_;
    loaded_ = true;
    optionsMenus_->showOptions();
    zoomBox_->showResolution(options_.resolution);

    starting_ = true;
    {
        const QSignalBlocker quiet(showSplash_); // what is stored is shown, not written back
        showSplash_->setChecked(readShowSplash(store_));
    }
    if (splashLeftOut_ || !showSplash_->isChecked()) {
        finishStart();
        return true;
    }
    setStatus(tr("Showing Splash Screen..."));
    // Modal to the window, but no loop of its own: the start goes on (the document's first page
    // is drawn meanwhile), and the rest of it follows the close.
    auto* splash = new SplashScreen(SplashScreen::Role::Splash, this);
    connect(splash, &QDialog::finished, this, [this, splash] {
        splash->deleteLater();
        finishStart();
    });
    splash->open();
    return true;
}

void MainWindow::finishStart() {
    // By now the window manager has framed the window, if there is one.
    placement_->setFramed();
    setStatus(tr("Ready"));
    // The question comes once the document given at the start is drawn, never before it.
    QTimer::singleShot(0, this, &MainWindow::askAssociation);
}

void MainWindow::askAssociation() {
    if (document_->isRendering()) {
        auto once = std::make_shared<QMetaObject::Connection>();
        *once = connect(document_, &viewer::DocumentController::renderingChanged, this,
                        [this, once](bool rendering) {
                            if (rendering)
                                return;
                            disconnect(*once);
                            // Not inside the document's own signal.
                            QTimer::singleShot(0, this, &MainWindow::askAssociation);
                        });
        return;
    }
    if (!starting_)
        return;
    if (!closed_)
        system::checkAssociation(dialogs_, association_, store_);
    starting_ = false;
    Q_EMIT started();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A render in progress ends with the window; its worker goes at once.
    document_->stop();
    if (!closed_) {
        closed_ = true;
        closeOtherWindows();
        if (loaded_) {
            options::writeOptions(options_, optionsAtStart_, store_);
            // Neither a minimised nor a full-screen window is a placement to keep.
            if (!isMinimized() && !isFullScreen())
                placement_->save();
            if (!store_.sync()) {
                const QString problem = tr("The settings could not be saved to %1: %2.")
                                            .arg(store_.fileName(), store_.writeProblem());
                if (endingBySignal_)
                    std::fputs(qPrintable(problem + u'\n'), stderr);
                else
                    dialogs_.message(problem, Icon::Warning);
            }
        }
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
    // A first start shows a whole page width of the paper the options start with.
    QSizeF page =
        options::mediaSizePoints(options::readOptions(store_, options::systemDefaultMedia()).media);
    if (page.isEmpty())
        page = options::mediaSizePoints(options::Paper::A4); // for a custom paper size
    ensurePolished();
    const int frames = 2 * pageView_->frameWidth();
    const QSize chrome(frames + pageView_->verticalScrollBar()->sizeHint().width(),
                       frames + pageView_->horizontalScrollBar()->sizeHint().height() +
                           menuBar()->sizeHint().height() + toolBar_->sizeHint().height() +
                           statusBar()->sizeHint().height());
    placement_->restore(page, chrome);
}

void MainWindow::setStatus(const QString& text) {
    statusBar_->setStatus(text);
}

QString MainWindow::statusText() const {
    return statusBar_->status();
}

// ---- document ----

void MainWindow::loadFile(const QString& path, const QString& outputBase) {
    outputBase_ = outputBase;
    if (outputBase.isEmpty() && QFileInfo(path).isFile())
        rememberRecentFile(path);
    document_->loadFile(path);
}

void MainWindow::rememberRecentFile(const QString& path) {
    store_.sync(); // what other windows listed meanwhile
    writeRecentFiles(store_, withRecentFile(readRecentFiles(store_), path));
    store_.sync();
    showRecentFiles();
}

void MainWindow::showRecentFiles() {
    store_.sync();
    const QStringList files = readRecentFiles(store_);
    for (int i = 0; i < recentActions_.size(); ++i) {
        QAction* recent = recentActions_[i];
        recent->setVisible(i < files.size());
        if (i >= files.size())
            continue;
        QString name = QFileInfo(files[i]).fileName();
        recent->setText(QStringLiteral("&%1 ").arg(i + 1) +
                        name.replace(u'&', QStringLiteral("&&")));
        recent->setData(files[i]);
        recent->setStatusTip(files[i]);
        recent->setToolTip(files[i]);
    }
    recentSeparator_->setVisible(!files.isEmpty());
}

QString MainWindow::filePath() const {
    return document_->filePath();
}

bool MainWindow::isRendering() const {
    return document_->isRendering();
}

bool MainWindow::isDocumentOpen() const {
    return document_->isOpen();
}

// ---- commands ----

void MainWindow::openDocument() {
    const QString path = dialogs_.getOpenFileName(
        tr("Open"), viewer::openFilter() + tr(";;All files (*)"), readOpenFolder(store_));
    if (path.isEmpty())
        return;
    writeOpenFolder(store_, QFileInfo(path).absolutePath());
    loadFile(path);
}

void MainWindow::openRecentFile(int index) {
    if (index < 0 || index >= recentActions_.size())
        return;
    const QString path = recentActions_[index]->data().toString();
    if (path.isEmpty())
        return;
    if (QFileInfo(path).isFile()) {
        loadFile(path);
        return;
    }
    dialogs_.message(
        tr("%1 no longer exists; it was taken off the list of recent files.").arg(path),
        Icon::Warning);
    store_.sync();
    QStringList files = readRecentFiles(store_);
    files.removeAll(path);
    writeRecentFiles(store_, files);
    store_.sync();
    showRecentFiles();
}

void MainWindow::convertDocument() {
    if (!isDocumentOpen())
        return;
    convert::ConvertDialog::run(filePath(), {dialogs_, options_, messages_, runner_,
                                             [this](const QString& text) { setStatus(text); }, this,
                                             outputBase_, document_->password()});
}

void MainWindow::pageSetup() {
    if (isDocumentOpen())
        system::setUpPage(dialogs_, printSettings_);
}

void MainWindow::print() {
    if (!isDocumentOpen())
        return;
    const QString sent = system::printDocument(filePath(), dialogs_, printSettings_);
    if (!sent.isEmpty())
        setStatus(sent);
}

void MainWindow::copyPage() {
    if (!isDocumentOpen())
        return;
    if (textLayer_->hasSelection()) {
        dialogs_.setClipboardText(textLayer_->selectedText());
        return;
    }
    copyPagePicture();
}

void MainWindow::copyPagePicture() {
    if (!isDocumentOpen())
        return;
    const QImage picture = pageView_->picture();
    if (!picture.isNull()) // after a failed render there is nothing to copy
        dialogs_.setClipboardImage(picture);
}

void MainWindow::selectAll() {
    if (isDocumentOpen())
        textLayer_->selectAll();
}

void MainWindow::measure() {
    if (!isDocumentOpen())
        return;
    pageView_->startMeasuring();
    statusBar_->startMeasure();
}

void MainWindow::toggleFullScreen() {
    if (isFullScreen()) {
        leaveFullScreen();
        return;
    }
    if (!isDocumentOpen())
        return;
    maximizedBeforeFullScreen_ = isMaximized();
    QList<QWidget*> bars{menuBar(), statusBar()};
    for (QToolBar* bar : findChildren<QToolBar*>())
        bars << bar;
    for (QWidget* bar : bars) {
        if (!bar->isHidden()) {
            bar->hide();
            hiddenForFullScreen_.emplace_back(bar);
        }
    }
    showFullScreen();
    pageView_->setFocus();
}

void MainWindow::togglePresentation() {
    if (presenting_) {
        leaveFullScreen();
        return;
    }
    if (!isDocumentOpen())
        return;
    presenting_ = true;
    resolutionBeforePresentation_ = options_.resolution;
    pageView_->viewport()->installEventFilter(this);
    pageView_->widget()->installEventFilter(this);
    if (!isFullScreen())
        toggleFullScreen();
    fit(Fit::Page); // again once the screen's size reaches the view
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (presenting_ && watched == pageView_->viewport() && event->type() == QEvent::Resize)
        fit(Fit::Page);
    if (presenting_ && watched == pageView_->widget() &&
        event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        document_->nextPage();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::leaveFullScreen() {
    if (std::exchange(presenting_, false)) {
        pageView_->viewport()->removeEventFilter(this);
        pageView_->widget()->removeEventFilter(this);
        if (resolutionBeforePresentation_ != options_.resolution)
            applyResolution(resolutionBeforePresentation_);
    }
    for (const QPointer<QWidget>& bar : hiddenForFullScreen_)
        if (bar)
            bar->show();
    hiddenForFullScreen_.clear();
    if (maximizedBeforeFullScreen_)
        showMaximized();
    else
        showNormal();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // While a page is drawn Escape is Stop's; the Escape after it leaves full screen.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && isFullScreen()) {
        leaveFullScreen();
        return;
    }
    if (presenting_ && event->key() == Qt::Key_Backspace && event->modifiers() == Qt::NoModifier) {
        document_->previousPage();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void MainWindow::showDisplaySettings() {
    if (options::DisplaySettingsDialog::edit(options_, this))
        zoomBase_.reset(); // the resolution set here is the one Original Size returns to
    document_->redraw();   // also after Cancel; nothing without a document
    if (isContinuousShown())
        continuousView_->refresh();
}

void MainWindow::showPrintInto() {
    PrintIntoDialog(this).exec();
}

void MainWindow::about() {
    SplashScreen(SplashScreen::Role::About, this).exec();
}

void MainWindow::zoomIn() {
    zoomBy(1);
}

void MainWindow::zoomOut() {
    zoomBy(-1);
}

// Several steps at once (a fast wheel) make one redraw.
void MainWindow::zoomBy(int steps) {
    std::int16_t resolution = options_.resolution;
    for (int i = 0; i < std::abs(steps); ++i) {
        const auto next = steps > 0 ? app::zoomIn(resolution) : app::zoomOut(resolution);
        if (!next)
            break;
        resolution = *next;
    }
    if (resolution != options_.resolution)
        zoomTo(resolution);
}

void MainWindow::zoomTo(std::int16_t resolution) {
    if (!zoomBase_)
        zoomBase_ = options_.resolution;
    applyResolution(resolution);
}

void MainWindow::applyResolution(std::int16_t resolution) {
    options_.resolution = resolution;
    zoomBox_->showResolution(resolution);
    if (isDocumentOpen() && !isContinuousShown())
        pageView_->showZoomPreview(resolution);
    document_->redraw();
    if (isContinuousShown())
        continuousView_->refresh();
}

// ---- continuous pages ----

void MainWindow::nextPage() {
    if (!isContinuousShown()) {
        document_->nextPage();
        return;
    }
    continuousView_->scrollToPage(continuousView_->pageAtTop() + 1);
}

void MainWindow::previousPage() {
    if (!isContinuousShown()) {
        document_->previousPage();
        return;
    }
    continuousView_->scrollToPage(std::max(1, continuousView_->pageAtTop() - 1));
}

void MainWindow::goToPage() {
    if (!isContinuousShown()) {
        document_->goToPage();
        return;
    }
    if (const std::optional<qint32> page = document_->askPage())
        continuousView_->scrollToPage(*page);
}

void MainWindow::openPage(qint32 page) {
    if (isContinuousShown())
        continuousView_->scrollToPage(page);
    else
        document_->showPage(page);
}

void MainWindow::setContinuous(bool on) {
    store_.setValue(QStringLiteral("View"), QStringLiteral("Continuous"),
                    on ? QStringLiteral("1") : QStringLiteral("0"));
    const bool wasShown = isContinuousShown();
    showPagesView();
    // The single page view shows the page the continuous one had at its top.
    if (wasShown && !isContinuousShown())
        document_->redraw();
}

bool MainWindow::isContinuousShown() const {
    return pagesStack_->currentWidget() == continuousView_;
}

void MainWindow::showPagesView() {
    const bool continuous = continuousAction_->isChecked() && continuousView_->canShow();
    if (continuous == isContinuousShown())
        return;
    const bool focused = pagesStack_->currentWidget()->hasFocus();
    // Pages ahead are the page service's in the continuous view.
    document_->setPrefetch(!continuous);
    if (continuous) {
        pagesStack_->setCurrentWidget(continuousView_);
        continuousView_->scrollToPage(document_->currentPage());
        if (!document_->isRendering() && !pageView_->picture().isNull())
            continuousView_->pageDrawn(document_->currentPage(), pageView_->picture());
    } else {
        pagesStack_->setCurrentWidget(pageView_);
    }
    if (focused)
        pagesStack_->currentWidget()->setFocus();
}

void MainWindow::originalSize() {
    if (!zoomBase_)
        return;
    const std::int16_t base = *zoomBase_;
    zoomBase_.reset();
    if (base != options_.resolution)
        applyResolution(base);
}

void MainWindow::setColoursInverted(bool inverted) {
    pageView_->setColoursInverted(inverted);
    writeInvertColours(store_, inverted);
}

void MainWindow::fitWidth() {
    fit(Fit::Width);
}

void MainWindow::fitPage() {
    fit(Fit::Page);
}

void MainWindow::fit(Fit fit) {
    if (!isDocumentOpen())
        return;
    QSize view = pageView_->viewport()->size();
    if (isContinuousShown()) // the gaps around the pages stay
        view =
            continuousView_->viewport()->size() - QSize(2 * viewer::kPageGap, 2 * viewer::kPageGap);
    const auto resolution = fitResolution(pagePoints_, view, fit);
    if (resolution && *resolution != options_.resolution)
        zoomTo(*resolution);
}

// ---- structure ----

void MainWindow::showStructure() {
    const viewer::DocumentStructure& structure = structure_->structure();
    document_->setPageLabels(structure.labels);
    statusBar_->setPageLabels(structure.labels);
    outlinePanel_->setOutline(structure.outline);
    const bool outline = !structure.outline.empty();
    const bool wasHidden = outlinePanel_->isHidden();
    outlinePanel_->toggleViewAction()->setEnabled(outline);
    outlinePanel_->setVisible(outline && outlineWanted_ && !isFullScreen());
    if (wasHidden && outlinePanel_->isVisible())
        resizeDocks({outlinePanel_}, {width() / 4}, Qt::Horizontal); // the page keeps the most
    showLinks();
    if (std::exchange(propertiesWanted_, false) && isDocumentOpen())
        showProperties();
}

void MainWindow::showLinks() {
    const QImage picture = pageView_->picture();
    pageView_->setLinkAreas(picture.isNull() ? QList<QRectF>()
                                             : linkAreas(document_->currentPage(),
                                                         picture.deviceIndependentSize().toSize(),
                                                         document_->shownResolution()));
}

QList<QRectF> MainWindow::linkAreas(qint32 page, QSize picture, int resolution) const {
    QList<QRectF> areas;
    for (const viewer::PageLink& link : structure_->structure().linksOn(page))
        areas << viewer::areaOnPicture(link.area, picture, resolution, options_.orientation);
    return areas;
}

void MainWindow::followLinkOn(qint32 page, int index) {
    const auto& links = structure_->structure().linksOn(page);
    if (index >= 0 && index < static_cast<int>(links.size()))
        followLink(links[static_cast<std::size_t>(index)]);
}

void MainWindow::followLink(const viewer::PageLink& link) {
    if (link.page > 0) {
        openPage(link.page);
        return;
    }
    const QUrl url(link.uri);
    if (viewer::isOpenableAddress(url)) {
        if (!QDesktopServices::openUrl(url))
            dialogs_.message(tr("No program opens %1.").arg(link.uri), Icon::Warning);
        return;
    }
    dialogs_.message(
        tr("The link leads to %1; Quillorn opens only web and mail addresses.").arg(link.uri),
        Icon::Warning);
}

void MainWindow::showProperties() {
    if (!isDocumentOpen())
        return;
    if (structure_->isLoading()) {
        propertiesWanted_ = true;
        setStatus(tr("Reading the document's properties..."));
        return;
    }
    dialogs_.showProperties(
        viewer::propertiesSheet(structure_->structure().properties, filePath()));
}

} // namespace quillorn::app
