#pragma once

#include "options/core/options.h"
#include "viewer/core/page_controller.h"
#include "viewer/core/page_surface.h"

#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

class QScrollBar;

namespace quillorn {
class WindowServices;
class MessagesWindow;
} // namespace quillorn

namespace quillorn::viewer {

class PageContainer;
class PagePicture;

// The main window's page view: the viewport picContainer with the page picDisplay inside it,
// the scroll bars horScroll and verScroll, and the open document. The main window forwards its
// File and View commands here and shows statusText in panel 1 of its status bar.
//
// statusText is emitted right before Ghostscript runs, when no events are serviced: a receiver
// must paint the text at once (QLabel::setText, then repaint()).
class DocumentView : public QWidget, private PageSurface {
    Q_OBJECT
public:
    DocumentView(WindowServices& services, options::Options& options, MessagesWindow& messages,
                 QWidget* parent = nullptr);
    ~DocumentView() override;

    void LoadFile(const QString& strFileName);
    void OpenDocument();
    void CloseDocument();
    void NextPage();
    void PreviousPage();
    void GotoPage();
    void Redraw();

    const QString& strFile() const { return controller_.strFile(); }
    bool blnFileOpen() const { return controller_.blnFileOpen(); }
    qint32 lngCurrentPage() const { return controller_.lngCurrentPage(); }
    // The page shown; a null image when the view holds none.
    QImage Picture() const;

    // Largest decoded page, in MB, that a redraw loads.
    void SetBitmapLimitMb(int mb) { controller_.SetBitmapLimitMb(mb); }

signals:
    void statusText(const QString& text);
    void captionChanged(const QString& caption);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void ConnectHandlers();

    void Form_Resize();
    void picDisplay_Change();
    void horScroll_Change(int value);
    void horScroll_Scroll(int value);
    void verScroll_Change(int value);
    void verScroll_Scroll(int value);

    // PageSurface
    void SetPicture(const QImage& image) override;
    void SetPictureVisible(bool visible) override;
    void SetWaitingText(const QString& text) override;
    void SetStatus(const QString& text) override;
    void SetCaption(const QString& caption) override;

    PageContainer* picContainer;
    PagePicture* picDisplay;
    QScrollBar* horScroll;
    QScrollBar* verScroll;
    PageController controller_;
    // The top-level window whose restoring from a minimised state lays the view out again.
    QPointer<QWidget> watchedWindow_;
};

} // namespace quillorn::viewer
