#include "app/frmMain.h"

#include "app/core/commands.h"
#include "app/core/placement.h"
#include "app/core/services.h"
#include "app/core/toolbar_icons.h"
#include "app/frmSplash.h"
#include "app/messages_host.h"
#include "convert/frmConvert.h"
#include "options/core/options.h"
#include "options/core/options_store.h"
#include "options/frmDisplaySettings.h"
#include "options/modOptions.h"
#include "options/options_menus.h"
#include "system/modCheckGhostScript.h"
#include "system/modDownload.h"
#include "system/modStuff.h"
#include "viewer/document_view.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

namespace quillorn::app {

namespace {
QAction* Entry(QMenu* menu, const char* name, const QString& caption,
               const QKeySequence& shortcut = {}) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    return action;
}

QAction* Separator(QMenu* menu, const char* name) {
    QAction* action = menu->addSeparator();
    action->setObjectName(QLatin1String(name));
    return action;
}

QMenu* Menu(QMenuBar* bar, const char* name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(QLatin1String(name));
    return menu;
}

// Twips follow the primary screen's logical dots per inch, both ways.
QScreen* PlacementScreen() {
    return QGuiApplication::primaryScreen();
}

QString LocalFileOf(const QMimeData* data) {
    if (!data || !data->hasUrls())
        return {};
    for (const QUrl& url : data->urls())
        if (url.isLocalFile())
            return url.toLocalFile();
    return {};
}
} // namespace

frmMain::frmMain(WindowServices& services, MessagesHost& messages, QWidget* parent)
    : QMainWindow(parent), services_(services), messages_(messages) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kAppTitle);
    setAcceptDrops(true);

    picView = new viewer::DocumentView(services_, options::TheOptions(), messages_, this);
    setCentralWidget(picView);

    sbStatusPanel1 = new QLabel(QStringLiteral("Status"), this);
    sbStatusPanel2 = new QLabel(QStringLiteral("Current Pos"), this);
    statusBar()->setObjectName(QStringLiteral("sbStatusBar"));
    statusBar()->addWidget(sbStatusPanel1, 1);
    statusBar()->addWidget(sbStatusPanel2);

    optionsMenus_ = new options::OptionsMenus(options::TheOptions(), this);
    BuildMenus();
    BuildToolBar();
    ConnectHandlers();
}

frmMain::~frmMain() = default;

void frmMain::BuildMenus() {
    QMenuBar* bar = menuBar();
    mnuFile = Menu(bar, "mnuFile", QStringLiteral("&File"));
    mnuFileOpen = Entry(mnuFile, "mnuFileOpen", QStringLiteral("&Open..."), QKeySequence("Ctrl+O"));
    mnuFileClose =
        Entry(mnuFile, "mnuFileClose", QStringLiteral("&Close"), QKeySequence("Ctrl+F4"));
    Separator(mnuFile, "mnuFileBar2");
    mnuFileConvert =
        Entry(mnuFile, "mnuFileConvert", QStringLiteral("&Convert..."), QKeySequence("Ctrl+F"));
    Separator(mnuFile, "mnuFileBar3");
    mnuFilePageSetup = Entry(mnuFile, "mnuFilePageSetup", QStringLiteral("Page Set&up..."));
    mnuFilePrint =
        Entry(mnuFile, "mnuFilePrint", QStringLiteral("&Print..."), QKeySequence("Ctrl+P"));
    Separator(mnuFile, "mnuFileBar4");
    mnuFileShowMsg = Entry(mnuFile, "mnuFileShowMsg", QStringLiteral("&Show Messages..."),
                           QKeySequence("Ctrl+M"));
    Separator(mnuFile, "mnuFileBar0");
    // Reserved for a list of recent files; nothing fills them, so they stay hidden.
    for (std::size_t i = 0; i < mnuFileMRU.size(); ++i) {
        mnuFileMRU[i] = mnuFile->addAction(QString());
        mnuFileMRU[i]->setObjectName(QStringLiteral("mnuFileMRU%1").arg(i + 1));
        mnuFileMRU[i]->setVisible(false);
    }
    mnuFileBar1 = Separator(mnuFile, "mnuFileBar1");
    mnuFileBar1->setVisible(false);
    mnuFileExit = Entry(mnuFile, "mnuFileExit", QStringLiteral("E&xit"));

    mnuEdit = Menu(bar, "mnuEdit", QStringLiteral("&Edit"));
    mnuEditCopy = Entry(mnuEdit, "mnuEditCopy", QStringLiteral("&Copy"), QKeySequence("Ctrl+C"));
    Separator(mnuEdit, "mnuEditBar0");
    mnuEditMeasure = Entry(mnuEdit, "mnuEditMeasure", QStringLiteral("&Measure..."));

    mnuOptions = Menu(bar, "mnuOptions", QStringLiteral("O&ptions"));
    optionsMenus_->AddOptionsEntries(mnuOptions);
    Separator(mnuOptions, "mnuOptionsBar1");
    mnuDownloadRedMon =
        Entry(mnuOptions, "mnuDownloadRedMon", QStringLiteral("&Download RedMon..."));

    mnuView = Menu(bar, "mnuView", QStringLiteral("&View"));
    mnuViewNext = Entry(mnuView, "mnuViewNext", QStringLiteral("&Next Page"), QKeySequence("F9"));
    mnuViewPrev =
        Entry(mnuView, "mnuViewPrev", QStringLiteral("Pre&vious Page"), QKeySequence("F8"));
    mnuViewGoto =
        Entry(mnuView, "mnuViewGoto", QStringLiteral("&Goto Page..."), QKeySequence("Ctrl+G"));
    mnuViewRedraw =
        Entry(mnuView, "mnuViewRedraw", QStringLiteral("&Redraw"), QKeySequence("Ctrl+R"));
    Separator(mnuView, "mnuViewBar0");
    mnuViewFull = Entry(mnuView, "mnuViewFull", QStringLiteral("&Full Screen"), QKeySequence("F2"));

    mnuMedia = Menu(bar, "mnuMedia", QStringLiteral("&Media"));
    mnuMediaDisplay = Entry(mnuMedia, "mnuMediaDisplay", QStringLiteral("&Display settings..."));
    Separator(mnuMedia, "mnuMediaBar0");
    optionsMenus_->AddMediaEntries(mnuMedia);

    mnuHelp = Menu(bar, "mnuHelp", QStringLiteral("&Help"));
    mnuHelpAbout = Entry(mnuHelp, "mnuHelpAbout", QStringLiteral("&About "));
}

void frmMain::BuildToolBar() {
    tbToolBar = addToolBar(QStringLiteral("Toolbar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    for (const ToolbarButton& button : ToolbarButtons()) {
        QAction* action = tbToolBar->addAction(ToolbarIcon(button.pictureKey), button.key);
        action->setObjectName(button.key);
        action->setData(button.key);
        action->setToolTip(button.toolTip);
    }
}

// Every handler of the window is connected here and nowhere else.
void frmMain::ConnectHandlers() {
    connect(mnuFileOpen, &QAction::triggered, this, &frmMain::mnuFileOpen_Click);
    connect(mnuFileClose, &QAction::triggered, this, &frmMain::mnuFileClose_Click);
    connect(mnuFileConvert, &QAction::triggered, this, &frmMain::mnuFileConvert_Click);
    connect(mnuFilePageSetup, &QAction::triggered, this, &frmMain::mnuFilePageSetup_Click);
    connect(mnuFilePrint, &QAction::triggered, this, &frmMain::mnuFilePrint_Click);
    connect(mnuFileShowMsg, &QAction::triggered, this, &frmMain::mnuFileShowMsg_Click);
    connect(mnuFileExit, &QAction::triggered, this, &frmMain::mnuFileExit_Click);
    connect(mnuEditCopy, &QAction::triggered, this, &frmMain::mnuEditCopy_Click);
    connect(mnuEditMeasure, &QAction::triggered, this, &frmMain::mnuEditMeasure_Click);
    connect(mnuDownloadRedMon, &QAction::triggered, this, &frmMain::mnuDownloadRedMon_Click);
    connect(mnuViewNext, &QAction::triggered, this, &frmMain::mnuViewNext_Click);
    connect(mnuViewPrev, &QAction::triggered, this, &frmMain::mnuViewPrev_Click);
    connect(mnuViewGoto, &QAction::triggered, this, &frmMain::mnuViewGoto_Click);
    connect(mnuViewRedraw, &QAction::triggered, this, &frmMain::mnuViewRedraw_Click);
    connect(mnuViewFull, &QAction::triggered, this, &frmMain::mnuViewFull_Click);
    connect(mnuMediaDisplay, &QAction::triggered, this, &frmMain::mnuMediaDisplay_Click);
    connect(mnuHelpAbout, &QAction::triggered, this, &frmMain::mnuHelpAbout_Click);
    connect(tbToolBar, &QToolBar::actionTriggered, this, &frmMain::tbToolBar_ButtonClick);
    // The renderer reports progress and then blocks the event loop: paint at once.
    connect(picView, &viewer::DocumentView::statusText, this, &frmMain::SetStatus,
            Qt::DirectConnection);
    connect(picView, &viewer::DocumentView::captionChanged, this, &QWidget::setWindowTitle);
}

// ---- start-up and shutdown ----

void frmMain::Form_Load() {
    RestorePlacement();
    show();
    FitFrameToPlacement();
    messages_.Get().AddMessage(QStringLiteral("Quillorn 0.1\r\n\r\n"));

    SetStatus(QStringLiteral("Checking GhostScript version..."));
    system::CheckGhostscript(services_, this);

    SetStatus(QStringLiteral("Loading Settings..."));
    options::LoadOptions(*optionsMenus_, store_);

    SetStatus(QStringLiteral("Showing Splash Screen..."));
    {
        frmSplash splash(this);
        splash.exec();
    }

    SetStatus(QStringLiteral("Ready"));
    system::CheckAssociation(services_);
}

void frmMain::Form_Unload() {
    if (unloaded_)
        return;
    unloaded_ = true;
    CloseOtherWindows();
    options::SaveOptions(options::TheOptions(), store_);
    if (!isMinimized())
        SavePlacement();
    store_.Sync();
}

void frmMain::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

void frmMain::CloseOtherWindows() {
    // The messages window was loaded first after this one, so it goes last.
    QWidget* messagesWindow = messages_.Existing();
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
        QWidget* window = *it;
        if (window == this || window == messagesWindow || !window->isVisible())
            continue;
        window->close();
    }
    messages_.Unload();
}

void frmMain::RestorePlacement() {
    const QScreen* screen = PlacementScreen();
    const double dpiX = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double dpiY = screen ? screen->logicalDotsPerInchY() : 96.0;
    QRect frame = PlacementToPixels(ReadPlacement(store_), dpiX, dpiY);
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens << s->availableGeometry();
    placedFrame_ = BringOntoScreens(frame, screens);
    move(placedFrame_.topLeft());
    resize(placedFrame_.size().expandedTo(QSize(1, 1)));
}

// The stored size is the outer one; the frame's own size is known only once the window is shown.
void frmMain::FitFrameToPlacement() {
    const QSize decoration = frameGeometry().size() - geometry().size();
    if (decoration.width() > 0 || decoration.height() > 0)
        resize((placedFrame_.size() - decoration).expandedTo(QSize(1, 1)));
    if (frameGeometry().topLeft() != placedFrame_.topLeft())
        move(placedFrame_.topLeft());
}

void frmMain::SavePlacement() {
    const QScreen* screen = PlacementScreen();
    const double dpiX = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double dpiY = screen ? screen->logicalDotsPerInchY() : 96.0;
    WritePlacement(store_, PixelsToPlacement(frameGeometry(), dpiX, dpiY));
}

void frmMain::SetStatus(const QString& text) {
    sbStatusPanel1->setText(text);
    if (sbStatusPanel1->isVisible())
        sbStatusPanel1->repaint();
    emit statusShown(text);
}

QString frmMain::StatusText() const {
    return sbStatusPanel1->text();
}

// ---- document ----

void frmMain::LoadFile(const QString& strFileName) {
    picView->LoadFile(strFileName);
}

QString frmMain::strFile() const {
    return picView->strFile();
}

bool frmMain::blnFileOpen() const {
    return picView->blnFileOpen();
}

void frmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!LocalFileOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event) {
    const QString path = LocalFileOf(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    LoadFile(path);
}

// ---- commands ----

void frmMain::mnuFileOpen_Click() {
    picView->OpenDocument();
}

void frmMain::mnuFileClose_Click() {
    picView->CloseDocument();
}

void frmMain::mnuFileConvert_Click() {
    if (!blnFileOpen())
        return;
    convert::ConvertDialog(
        QString(), convert::ConvertContext{services_, options::TheOptions(), messages_,
                                           [this] { return strFile(); },
                                           [this](const QString& text) { SetStatus(text); }, this});
}

void frmMain::mnuFilePageSetup_Click() {
    if (blnFileOpen())
        services_.PrinterDialog(QStringLiteral("Page Setup")); // nothing chosen there is used
}

void frmMain::mnuFilePrint_Click() {
    if (blnFileOpen())
        services_.MsgBox(QStringLiteral("Add 'mnuFilePrint_Click' code."), mb::OkOnly);
}

void frmMain::mnuFileShowMsg_Click() {
    messages_.ShowModeless();
}

void frmMain::mnuFileExit_Click() {
    close();
}

void frmMain::mnuEditCopy_Click() {
    if (!blnFileOpen())
        return;
    const QImage picture = picView->Picture();
    if (!picture.isNull()) // after a failed render there is nothing to copy
        services_.ClipboardSetImage(picture);
}

void frmMain::mnuEditMeasure_Click() {
    if (blnFileOpen())
        services_.MsgBox(QStringLiteral("add measure"), mb::OkOnly);
}

void frmMain::mnuViewNext_Click() {
    picView->NextPage();
}

void frmMain::mnuViewPrev_Click() {
    picView->PreviousPage();
}

void frmMain::mnuViewGoto_Click() {
    picView->GotoPage();
}

void frmMain::mnuViewRedraw_Click() {
    picView->Redraw();
}

void frmMain::mnuViewFull_Click() {
    if (blnFileOpen())
        services_.MsgBox(QStringLiteral("add view full"), mb::OkOnly);
}

void frmMain::mnuMediaDisplay_Click() {
    options::ShowDisplaySettings(options::TheOptions(), services_, this);
    if (blnFileOpen()) // also after Cancel
        mnuViewRedraw_Click();
}

void frmMain::mnuDownloadRedMon_Click() {
    system::DownloadFile(QStringLiteral("Download RedMon"), system::RedMonDownloadUrl(),
                         system::DownloadDirectory(), QStringLiteral("redmon.zip"), services_,
                         this);
}

void frmMain::mnuHelpAbout_Click() {
    frmSplash about(this);
    about.MakeAboutBox();
    about.exec();
}

void frmMain::tbToolBar_ButtonClick(QAction* button) {
    switch (ToolbarActionForKey(button->data().toString())) {
    case ToolbarAction::Open:
        return mnuFileOpen_Click();
    case ToolbarAction::Convert:
        return mnuFileConvert_Click();
    case ToolbarAction::Print:
        return mnuFilePrint_Click();
    case ToolbarAction::Goto:
        return mnuViewGoto_Click();
    case ToolbarAction::Previous:
        return mnuViewPrev_Click();
    case ToolbarAction::Next:
        return mnuViewNext_Click();
    case ToolbarAction::ZoomIn:
        return Zoom(true);
    case ToolbarAction::ZoomOut:
        return Zoom(false);
    case ToolbarAction::None:
        return;
    }
}

void frmMain::Zoom(bool in) {
    std::int16_t& resolution = options::TheOptions().Resolution;
    const auto next = in ? ZoomIn(resolution) : ZoomOut(resolution);
    if (!next)
        return; // the step would leave the usable range
    resolution = *next;
    mnuViewRedraw_Click();
}

} // namespace quillorn::app
