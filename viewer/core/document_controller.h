#pragma once

#include "options/core/options.h"
#include "viewer/core/page_bitmap.h"

#include <QObject>
#include <QString>

namespace quillorn {
class Messages;
class UserDialogs;
namespace gs {
class Runner;
}
} // namespace quillorn

namespace quillorn::viewer {

class PageSurface;

inline const QString kWaitingText = QStringLiteral("Please wait, redrawing...");

// The open document and the commands that change it. Every change of document or page ends in
// one redraw, which renders the current page through Ghostscript into a temporary BMP and puts
// it on the surface.
class DocumentController : public QObject {
    Q_OBJECT
public:
    DocumentController(UserDialogs& dialogs, const options::Options& options, Messages& messages,
                       gs::Runner& runner, PageSurface& surface, QObject* parent = nullptr);

    void loadFile(QString path);
    // The open dialog; Cancel leaves everything as it was.
    void openDocument();
    void closeDocument();
    void nextPage();
    void previousPage();
    void goToPage();
    // Renders the current page; does nothing without a document. Every failure is put to the
    // user, step by step, with Abort, Retry and Ignore.
    void redraw();

    const QString& filePath() const { return filePath_; }
    bool isOpen() const { return open_; }
    qint32 currentPage() const { return currentPage_; }

    // Largest decoded page, in MB, that a redraw loads.
    void setBitmapLimitMb(int mb) { bitmapLimitMb_ = mb; }

Q_SIGNALS:
    // The first panel of the status bar.
    void statusChanged(const QString& text);
    void captionChanged(const QString& caption);

private:
    UserDialogs& dialogs_;
    const options::Options& options_;
    Messages& messages_;
    gs::Runner& runner_;
    PageSurface& surface_;

    QString filePath_;
    bool open_ = false;
    qint32 currentPage_ = 0;
    int bitmapLimitMb_ = kPageAllocationLimitMb;
};

} // namespace quillorn::viewer
