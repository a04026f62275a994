#pragma once

#include "app/core/zoom.h"
#include "app/status_bar.h"
#include "app/window_placement.h"
#include "base/settings_store.h"
#include "options/core/options.h"
#include "system/core/file_association.h"
#include "system/core/ghostscript_check.h"
#include "system/core/printing.h"

#include <QMainWindow>
#include <QPointer>
#include <optional>
#include <vector>

class QDockWidget;
class QStackedWidget;
class QToolBar;

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
class ContinuousView;
class DocumentController;
class OutlinePanel;
class PageView;
class StructureLoader;
struct PageLink;
class DocumentText;
class FindBar;
class PageTextLayer;
class TextSearch;
class PageService;
class ThumbnailsPanel;
} // namespace viewer
} // namespace quillorn

namespace quillorn::app {

class MessagesWindow;
class ZoomBox;

// The main window: menus, toolbar, the page view and the status bar. start() runs its start-up
// (placement, banner, Ghostscript check, options, splash, "Ready", association check); closing
// it closes every other window and saves the options and the placement this window changed.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(UserDialogs& dialogs, options::Options& options, MessagesWindow& messages,
               gs::Binding& binding, gs::Runner& runner, QWidget* parent = nullptr);
    ~MainWindow() override;

    // False when the Ghostscript check ended the program: nothing is saved then. Returns while
    // the splash shows; the rest of the start-up ("Ready", the association question) follows its
    // close, and the association question waits for a page being drawn.
    bool start();
    // The start shows no splash, whatever the option says ("--no-splash").
    void leaveOutSplash() { splashLeftOut_ = true; }
    // True from start() until the last of its steps has run.
    bool isStarting() const { return starting_; }
    // The close that follows is a termination signal's: it asks nothing.
    void setEndingBySignal() { endingBySignal_ = true; }

    // outputBase: the name output files are proposed from, when it is not the path's own (the
    // path is a private link to a file whose name is no text); such a path is no recent file.
    void loadFile(const QString& path, const QString& outputBase = {});
    QString filePath() const;
    bool isDocumentOpen() const;
    // True while a page of the document is being rendered.
    bool isRendering() const;
    // The first panel of the status bar.
    QString statusText() const;

    // What start-up's checks use; tests put stand-ins here before start().
    system::GhostscriptCheckSetup& ghostscriptCheckSetup() { return ghostscriptCheck_; }
    system::AssociationSetup& associationSetup() { return association_; }

    void openDocument();
    // The File menu's recent file at index; one that no longer exists is taken off the list.
    void openRecentFile(int index);
    void convertDocument();
    void pageSetup();
    void print();
    // The selected text, or the page's picture when no text is selected.
    void copyPage();
    void copyPagePicture();
    void selectAll();
    void measure();
    void toggleFullScreen();
    // F5: the page alone on the whole screen, fit to it; PgDn, Space or a click go on, PgUp or
    // Backspace back, Escape leaves at the resolution from before.
    void togglePresentation();
    void showDisplaySettings();
    void showPrintInto();
    void about();
    // File > Properties: what the document says of itself.
    void showProperties();
    // Shows the page in the view shown (an outline entry's, a link's, a thumbnail's).
    void openPage(qint32 page);
    // F8, F9 and Go To: in the continuous view they scroll to the page.
    void nextPage();
    void previousPage();
    void goToPage();
    // View > Continuous: every page one under the other, or one page at a time.
    void setContinuous(bool on);
    bool isContinuousShown() const;
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void fitPage();
    // Back to the resolution from before the zooms: as read at the start or last set in the
    // display settings.
    void originalSize();
    // View > Invert Colours: the page shown, not what is copied or converted.
    void setColoursInverted(bool inverted);

Q_SIGNALS:
    // Every text the first status panel shows, in order.
    void statusShown(const QString& text);
    // The start-up's last step has run.
    void started();

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createActions();
    void setStatus(const QString& text);
    void restorePlacement();
    void closeOtherWindows();
    void rememberRecentFile(const QString& path);
    void showRecentFiles();
    void zoomBy(int steps);
    void zoomTo(std::int16_t resolution);
    void applyResolution(std::int16_t resolution);
    void fit(Fit fit);
    void leaveFullScreen();
    // The document's outline, labels and links, once read, or none.
    void showStructure();
    void showLinks();
    // Where the links of a page lie on its picture of that size and resolution.
    QList<QRectF> linkAreas(qint32 page, QSize picture, int resolution) const;
    void followLink(const viewer::PageLink& link);
    // The link of that index on the page.
    void followLinkOn(qint32 page, int index);
    // The continuous view when it is asked for and the document can be shown so.
    void showPagesView();
    // The start-up's steps after the splash.
    void finishStart();
    void askAssociation();

    UserDialogs& dialogs_;
    options::Options& options_;
    MessagesWindow& messages_;
    gs::Binding& binding_;
    gs::Runner& runner_;
    SettingsStore store_;
    system::GhostscriptCheckSetup ghostscriptCheck_;
    system::AssociationSetup association_;
    system::PrintSettings printSettings_;
    viewer::PageView* pageView_;
    viewer::DocumentController* document_;
    viewer::PageService* pageService_;
    viewer::ContinuousView* continuousView_;
    QStackedWidget* pagesStack_;
    viewer::ThumbnailsPanel* thumbnails_;
    QDockWidget* thumbnailsDock_;
    QAction* continuousAction_ = nullptr;
    options::OptionsMenus* optionsMenus_;
    StatusBar* statusBar_;
    ZoomBox* zoomBox_;
    QToolBar* toolBar_ = nullptr;
    QList<QAction*> recentActions_;
    QAction* recentSeparator_ = nullptr;
    QString outputBase_;
    // What start-up read, so that only what changed is written back.
    options::Options optionsAtStart_;
    WindowPlacement* placement_;
    bool loaded_ = false; // the options were read: closing saves
    bool closed_ = false;
    bool endingBySignal_ = false;          // nobody may be there to answer a box
    std::optional<std::int16_t> zoomBase_; // the resolution before the first zoom
    QSizeF pagePoints_;                    // the last page shown, in points
    std::vector<QPointer<QWidget>> hiddenForFullScreen_;
    viewer::StructureLoader* structure_;
    viewer::OutlinePanel* outlinePanel_;
    bool outlineWanted_ = true;     // the user did not close the outline panel
    bool propertiesWanted_ = false; // shown once the structure is read
    bool maximizedBeforeFullScreen_ = false;
    // The document's text: the find bar's search and the selection on the page shown.
    viewer::DocumentText* text_ = nullptr;
    viewer::TextSearch* search_ = nullptr;
    viewer::FindBar* findBar_ = nullptr;
    viewer::PageTextLayer* textLayer_ = nullptr;
    bool presenting_ = false;
    std::int16_t resolutionBeforePresentation_ = 0;
    bool splashLeftOut_ = false;
    bool starting_ = false;
    QAction* showSplash_ = nullptr;
};

} // namespace quillorn::app
