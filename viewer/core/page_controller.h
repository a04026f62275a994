#pragma once

#include "options/core/options.h"
#include "viewer/core/page_bitmap.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace quillorn {
class WindowServices;
class MessagesWindow;
} // namespace quillorn

namespace quillorn::viewer {

class PageSurface;

// Error numbers the redraw reports besides those of the Ghostscript binding.
inline constexpr int kErrOutOfMemory = 7;
inline constexpr int kErrInternal = 51;
inline constexpr int kErrFileAccess = 75;
// The rendered file holds no picture that can be loaded.
inline constexpr int kErrNoPicture = 50003;

inline const QString kWaitingText = QStringLiteral("Please wait, redrawing...");

// The document state of the main window and the commands that change it. Every change of
// document or page ends in one redraw, which renders the current page through Ghostscript into
// a temporary BMP and hands it to the surface.
class PageController {
public:
    PageController(WindowServices& services, options::Options& options, MessagesWindow& messages,
                   PageSurface& surface);

    void LoadFile(const QString& strFileName);
    // The open dialog; Cancel leaves everything as it was.
    void OpenDocument();
    void CloseDocument();
    void NextPage();
    void PreviousPage();
    void GotoPage();
    // Renders the current page; does nothing without a document. Never throws: every failure
    // is put to the user, step by step, with Abort, Retry and Ignore.
    void Redraw();

    const QString& strFile() const { return strFile_; }
    bool blnFileOpen() const { return blnFileOpen_; }
    qint32 lngCurrentPage() const { return lngCurrentPage_; }

    // Largest decoded page, in MB, that the redraw loads.
    void SetBitmapLimitMb(int mb) { bitmapLimitMb_ = mb; }

private:
    // Runs one step of the redraw; false when the user chose Abort.
    bool RunStep(const std::function<void()>& step);
    void ReportUnexpected(int code, const QString& description, bool& retry, bool& abort);

    WindowServices& services_;
    options::Options& options_;
    MessagesWindow& messages_;
    PageSurface& surface_;

    QString strFile_;
    bool blnFileOpen_ = false;
    qint32 lngCurrentPage_ = 0;
    int bitmapLimitMb_ = kPageAllocationLimitMb;
};

} // namespace quillorn::viewer
