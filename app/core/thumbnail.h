#pragma once

#include "gs/runner.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QTemporaryDir;
class QTemporaryFile;

namespace quillorn {
class MessageSink;
}

namespace quillorn::app {

// What a desktop asks of a thumbnailer: "-s SIZE INPUT OUTPUT", INPUT a path or a file:// URI,
// OUTPUT the PNG file to write.
struct ThumbnailRequest {
    QString input;
    QString output;
    int size = 0; // pixels of the longer side
};
std::optional<ThumbnailRequest> parseThumbnailArguments(const QStringList& arguments);

// Ghostscript's arguments for a thumbnail of size pixels: page 1 at the resolution that makes
// the page's longer side that size. An EPS picture is cropped to its bounding box; other
// documents get the system's paper unless they ask for another.
QStringList thumbnailArguments(const QString& input, const QString& output, int size);

// How long Ghostscript may take over a thumbnail: a file browser waits for it.
inline constexpr int kThumbnailMilliseconds = 5000;
// The most a gzipped document may grow to for a thumbnail, so that decompressing it stays short.
inline constexpr qint64 kThumbnailDecompressedLimit = 128LL * 1024 * 1024;

// Page 1 of a document as a PNG whose longer side has the asked size, drawn by Ghostscript in a
// worker (safer mode, the worker's memory limit, at most kThumbnailMilliseconds) at the
// resolution that gives that size; an EPS picture is cropped to its bounding box, as the viewer
// shows it. The picture is written under a hidden name in the output's folder and renamed when
// it is whole, so nothing is left at either name when the document is broken, hostile or slow.
// Answers finished() from the event loop.
class Thumbnail : public QObject {
    Q_OBJECT
public:
    Thumbnail(ThumbnailRequest request, gs::Runner& runner);
    ~Thumbnail() override;

    void start();

Q_SIGNALS:
    void finished(bool made);

private:
    void rendered();
    // Scales the rendered page where it is not of the size asked for and puts it in place.
    bool publish();
    void end(bool made);

    ThumbnailRequest request_;
    gs::Runner& runner_;
    std::unique_ptr<MessageSink> unheard_;
    QString input_;                           // the file Ghostscript reads
    std::unique_ptr<QTemporaryDir> unpacked_; // where a gzipped document is decompressed
    std::unique_ptr<QTemporaryFile> staged_;
    std::unique_ptr<gs::RunJob> job_;
    QElapsedTimer clock_;
};

// All that quillorn-thumbnailer does, within a running QCoreApplication's reach: 0 when the
// thumbnail was written, 1 when it was not, 2 for arguments it does not take.
int runThumbnailer(const QStringList& arguments);

} // namespace quillorn::app
