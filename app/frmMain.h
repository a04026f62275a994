#pragma once

#include "app/core/settings_store.h"

#include <QMainWindow>
#include <array>

class QAction;
class QLabel;
class QMenu;
class QToolBar;

namespace quillorn {
class MessagesHost;
class WindowServices;
namespace options {
class OptionsMenus;
}
namespace viewer {
class DocumentView;
}
} // namespace quillorn

namespace quillorn::app {

// The main window: menus, toolbar, the page view and the status bar. Form_Load runs its start-up
// (placement, banner, Ghostscript check, options, splash, "Ready", association check); closing
// it closes every other window and saves the options and the placement.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain(WindowServices& services, MessagesHost& messages, QWidget* parent = nullptr);
    ~frmMain() override;

    void Form_Load();
    void Form_Unload();

    // The document of the page view.
    void LoadFile(const QString& strFileName);
    QString strFile() const;
    bool blnFileOpen() const;

    // Panel 1 of the status bar, painted at once: Ghostscript holds the event loop right after.
    void SetStatus(const QString& text);
    QString StatusText() const;

    viewer::DocumentView* picView = nullptr;
    QToolBar* tbToolBar = nullptr;
    QLabel* sbStatusPanel1 = nullptr;
    QLabel* sbStatusPanel2 = nullptr;

    QMenu* mnuFile = nullptr;
    QMenu* mnuEdit = nullptr;
    QMenu* mnuOptions = nullptr;
    QMenu* mnuView = nullptr;
    QMenu* mnuMedia = nullptr;
    QMenu* mnuHelp = nullptr;
    QAction* mnuFileOpen = nullptr;
    QAction* mnuFileClose = nullptr;
    QAction* mnuFileConvert = nullptr;
    QAction* mnuFilePageSetup = nullptr;
    QAction* mnuFilePrint = nullptr;
    QAction* mnuFileShowMsg = nullptr;
    std::array<QAction*, 3> mnuFileMRU{};
    QAction* mnuFileBar1 = nullptr;
    QAction* mnuFileExit = nullptr;
    QAction* mnuEditCopy = nullptr;
    QAction* mnuEditMeasure = nullptr;
    QAction* mnuDownloadRedMon = nullptr;
    QAction* mnuViewNext = nullptr;
    QAction* mnuViewPrev = nullptr;
    QAction* mnuViewGoto = nullptr;
    QAction* mnuViewRedraw = nullptr;
    QAction* mnuViewFull = nullptr;
    QAction* mnuMediaDisplay = nullptr;
    QAction* mnuHelpAbout = nullptr;

    void mnuFileOpen_Click();
    void mnuFileClose_Click();
    void mnuFileConvert_Click();
    void mnuFilePageSetup_Click();
    void mnuFilePrint_Click();
    void mnuFileShowMsg_Click();
    void mnuFileExit_Click();
    void mnuEditCopy_Click();
    void mnuEditMeasure_Click();
    void mnuViewNext_Click();
    void mnuViewPrev_Click();
    void mnuViewGoto_Click();
    void mnuViewRedraw_Click();
    void mnuViewFull_Click();
    void mnuMediaDisplay_Click();
    void mnuDownloadRedMon_Click();
    void mnuHelpAbout_Click();
    void tbToolBar_ButtonClick(QAction* button);

signals:
    // Every text panel 1 shows, in order.
    void statusShown(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void ConnectHandlers();
    void RestorePlacement();
    void FitFrameToPlacement();
    void SavePlacement();
    void Zoom(bool in);
    void CloseOtherWindows();

    WindowServices& services_;
    MessagesHost& messages_;
    SettingsStore store_;
    options::OptionsMenus* optionsMenus_ = nullptr;
    bool unloaded_ = false;
    QRect placedFrame_;
};

} // namespace quillorn::app
