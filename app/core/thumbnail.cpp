#include "app/core/thumbnail.h"

#include "base/failure.h"
#include "base/message_log.h"
#include "base/temp_files.h"
#include "gs/arguments.h"
#include "gs/document_info.h"
#include "gs/worker_runner.h"
#include "options/core/paper.h"
#include "viewer/core/dsc_bounding_box.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace quillorn::app {

namespace {

constexpr int kLargestSize = 8192;
// What a thumbnail's picture may take once decoded; a page far larger than its document said
// makes none.
constexpr int kDecodedLimitMb = 256;

class Unheard final : public MessageSink {
public:
    void addMessage(const QString&) override {}
};

} // namespace

QStringList thumbnailArguments(const QString& input, const QString& output, int size) {
    const bool eps = gs::isEps(input);
    const options::Paper media = options::systemDefaultMedia();
    QSizeF page = options::mediaSizePoints(media);
    if (eps)
        if (const std::optional<viewer::BoundingBox> box = viewer::documentBoundingBox(input))
            page = QSizeF(box->urx - box->llx, box->ury - box->lly);
    const double longest = std::max({page.width(), page.height(), 1.0});
    const double resolution = std::clamp(size * 72.0 / longest, 1.0, 32767.0);
    gs::Arguments args;
    args << gs::unattendedSwitches() << gs::saferSwitch(true)
         << gs::deviceSwitch(QStringLiteral("png16m"))
         << QStringLiteral("-r") + QString::number(resolution, 'f', 4) << gs::alphaSwitches(4, 4)
         << (eps ? QStringList() : gs::paperSizeSwitch(options::paperName(media)))
         << gs::epsCropSwitch(eps) << gs::pageRangeSwitches(1)
         << gs::outputFileSwitch(gs::literalOutputPath(output)) << gs::inputFileArgument(input);
    return args.list();
}

std::optional<ThumbnailRequest> parseThumbnailArguments(const QStringList& arguments) {
    if (arguments.size() != 4 || arguments[0] != u"-s")
        return std::nullopt;
    bool ok = false;
    const int size = arguments[1].toInt(&ok);
    if (!ok || size < 1 || size > kLargestSize)
        return std::nullopt;
    QString input = arguments[2];
    if (input.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl url(input);
        if (!url.isValid() || !url.isLocalFile())
            return std::nullopt;
        input = url.toLocalFile();
    } else if (input.contains(QLatin1String("://"))) {
        return std::nullopt; // a file elsewhere is not ours to fetch
    }
    if (input.isEmpty() || arguments[3].isEmpty())
        return std::nullopt;
    return ThumbnailRequest{input, arguments[3], size};
}

Thumbnail::Thumbnail(ThumbnailRequest request, gs::Runner& runner)
    : request_(std::move(request)), runner_(runner), unheard_(std::make_unique<Unheard>()) {}

Thumbnail::~Thumbnail() = default;

void Thumbnail::start() {
    clock_.start();
    if (!QFileInfo(request_.input).isFile())
        return end(false);
    input_ = request_.input;
    if (gs::isGzip(input_)) {
        // Decompressed under the name without ".gz", so that an EPS is still known by its name.
        unpacked_ = std::make_unique<QTemporaryDir>(privateTempTemplate(QStringLiteral("KMW")));
        QString name = QFileInfo(input_).fileName();
        if (name.endsWith(QLatin1String(".gz"), Qt::CaseInsensitive))
            name.chop(3);
        input_ = unpacked_->filePath(name.isEmpty() ? QStringLiteral("document") : name);
        try {
            if (!unpacked_->isValid())
                return end(false);
            gs::decompressGzip(request_.input, input_, kThumbnailDecompressedLimit);
        } catch (const Failure&) {
            return end(false);
        }
    }
    const QFileInfo output(request_.output);
    staged_ = std::make_unique<QTemporaryFile>(
        output.absoluteDir().filePath(u'.' + output.fileName() + QStringLiteral(".XXXXXX")));
    if (!staged_->open())
        return end(false);
    staged_->close();

    gs::RunRequest request;
    request.args = thumbnailArguments(input_, staged_->fileName(), request_.size);
    request.watchdog = [this] {
        return clock_.elapsed() > kThumbnailMilliseconds
                   ? QStringLiteral("The thumbnail took too long")
                   : QString();
    };
    // No worker is kept ready for a next run: there is none.
    job_ = runner_.start(std::move(request), *unheard_, gs::Urgency::Whenever);
    connect(job_.get(), &gs::RunJob::finished, this, &Thumbnail::rendered);
}

void Thumbnail::rendered() {
    // A run that did not end by itself may have left half a picture; one that ended with an
    // error after page 1 has drawn it whole.
    end(job_->result().end == gs::RunResult::End::Finished && publish());
}

bool Thumbnail::publish() {
    QImageReader reader(staged_->fileName(), "png");
    reader.setAllocationLimit(kDecodedLimitMb);
    QImage page = reader.read();
    if (page.isNull())
        return false;
    if (std::max(page.width(), page.height()) != request_.size) {
        page = page.scaled(request_.size, request_.size, Qt::KeepAspectRatio,
                           Qt::SmoothTransformation);
        if (page.isNull() || !page.save(staged_->fileName(), "PNG"))
            return false;
    }
    // rename() replaces a file at the output's name in one step; the staged name is then gone.
    if (std::rename(QFile::encodeName(staged_->fileName()).constData(),
                    QFile::encodeName(request_.output).constData()) != 0)
        return false;
    staged_->setAutoRemove(false);
    return true;
}

void Thumbnail::end(bool made) {
    if (!made)
        staged_.reset();
    unpacked_.reset();
    QMetaObject::invokeMethod(
        this, [this, made] { Q_EMIT finished(made); }, Qt::QueuedConnection);
}

int runThumbnailer(const QStringList& arguments) {
    const std::optional<ThumbnailRequest> request = parseThumbnailArguments(arguments);
    if (!request) {
        std::fputs("Usage: quillorn-thumbnailer -s SIZE INPUT OUTPUT\n"
                   "Writes page 1 of INPUT (a path or a file:// URI) as a PNG of SIZE pixels "
                   "(the longer side) to OUTPUT.\n",
                   stderr);
        return 2;
    }
    gs::WorkerRunner runner;
    Thumbnail thumbnail(*request, runner);
    QObject::connect(&thumbnail, &Thumbnail::finished, &thumbnail,
                     [](bool made) { QCoreApplication::exit(made ? 0 : 1); });
    QMetaObject::invokeMethod(&thumbnail, &Thumbnail::start, Qt::QueuedConnection);
    return QCoreApplication::exec();
}

} // namespace quillorn::app
