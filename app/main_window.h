#pragma once

#include "base/settings_store.h"
#include "options/core/options.h"
#include "system/core/file_association.h"
#include "system/core/ghostscript_check.h"

#include <QMainWindow>

class QLabel;

namespace quillorn {
class UserDialogs;
namespace gs {
class Binding;
class Runner;
} // namespace gs
namespace options {
class OptionsMenus;
}
namespace viewer {
class DocumentController;
class PageView;
} // namespace viewer
} // namespace quillorn

namespace quillorn::app {

class MessagesWindow;

// The main window: menus, toolbar, the page view and the status bar. start() runs its start-up
// (placement, banner, Ghostscript check, options, splash, "Ready", association check); closing
// it closes every other window and saves the options and the placement.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(UserDialogs& dialogs, options::Options& options, MessagesWindow& messages,
               gs::Binding& binding, gs::Runner& runner, QWidget* parent = nullptr);
    ~MainWindow() override;

    // False when the Ghostscript check ended the program: nothing is saved then.
    bool start();

    void loadFile(const QString& path);
    QString filePath() const;
    bool isDocumentOpen() const;
    // The first panel of the status bar.
    QString statusText() const;

    // What start-up's checks use; tests put stand-ins here before start().
    system::GhostscriptCheckSetup& ghostscriptCheckSetup() { return ghostscriptCheck_; }
    system::AssociationSetup& associationSetup() { return association_; }

    void openDocument();
    void closeDocument();
    void convertDocument();
    void pageSetup();
    void print();
    void showMessages();
    void exitProgram();
    void copyPage();
    void measure();
    void nextPage();
    void previousPage();
    void goToPage();
    void redraw();
    void stopRendering();
    void toggleFullScreen();
    void showDisplaySettings();
    void downloadRedMon();
    void about();
    void zoomIn();
    void zoomOut();

Q_SIGNALS:
    // Every text the first status panel shows, in order.
    void statusShown(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void setStatus(const QString& text);
    // The second status panel: the page shown, and of how many when that is known.
    void showPageIndicator(qint32 page, int pageCount);
    void restorePlacement();
    void fitFrameToPlacement();
    void savePlacement();
    void closeOtherWindows();

    UserDialogs& dialogs_;
    options::Options& options_;
    MessagesWindow& messages_;
    gs::Binding& binding_;
    gs::Runner& runner_;
    SettingsStore store_;
    system::GhostscriptCheckSetup ghostscriptCheck_;
    system::AssociationSetup association_;
    viewer::PageView* pageView_;
    viewer::DocumentController* document_;
    options::OptionsMenus* optionsMenus_;
    QLabel* status_;
    QLabel* position_;
    QRect placedFrame_;
    bool closed_ = false;
};

} // namespace quillorn::app
