#include "viewer/core/document_text.h"

#include "base/message_log.h"
#include "base/temp_files.h"
#include "gs/arguments.h"
#include "gs/runner.h"
#include "options/core/paper.h"
#include "viewer/core/document_controller.h"
#include "viewer/core/logging.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>

namespace quillorn::viewer {

namespace {

// Pages beyond this are no document's.
constexpr int kMaxPages = 1 << 20;

// What the text device says is no message of the document's.
struct Unheard : MessageSink {
    void addMessage(const QString&) override {}
};

} // namespace

std::vector<int> partSizes(int pages, int runs) {
    // Ghostscript goes through the pages before a part's first one too, at about a third of
    // the cost of reading them: a later part gets fewer pages, so that the parts end together.
    constexpr double kSkipCost = 1.0 / 3;
    if (pages <= 0)
        return {};
    runs = std::clamp(runs, 1, pages);
    // Every part but the last takes as many pages as a cost allows, the last one the rest;
    // enough tells whether the last one stays within the cost too.
    const auto fill = [&](double cost, bool& enough) {
        std::vector<int> sizes;
        int done = 0;
        for (int run = 1; run < runs && done < pages; ++run) {
            sizes.push_back(std::clamp(static_cast<int>(cost - kSkipCost * done), 1, pages - done));
            done += sizes.back();
        }
        enough = done == pages || kSkipCost * done + (pages - done) <= cost;
        if (done < pages)
            sizes.push_back(pages - done);
        return sizes;
    };
    double low = 0, high = pages; // at the cost of all pages, one part takes them all
    for (int step = 0; step < 32; ++step) {
        const double middle = (low + high) / 2;
        bool enough = false;
        fill(middle, enough);
        (enough ? high : low) = middle;
    }
    bool enough = false;
    return fill(high, enough);
}

TextSource textSourceOf(const DocumentController& document, const options::Options& options) {
    TextSource source;
    if (!document.isOpen())
        return source;
    source.input = document.input();
    source.stamp = document.stamp();
    source.password = document.password();
    source.eps = document.isEps();
    source.pageSwitches = gs::paperSizeSwitch(options::paperName(options.media)) +
                          gs::fixedMediaSwitch(options.overrideDefaultMedia);
    source.pageCount = document.pageCount();
    source.inParts = document.pageRangesWork();
    return source;
}

QStringList textArguments(const TextSource& source, int first, int last, const QString& output) {
    gs::Arguments args;
    // The document's own code runs here too, so always in the safe mode.
    args << gs::unattendedSwitches() << gs::saferSwitch(true)
         << gs::deviceSwitch(QStringLiteral("txtwrite")) << QStringLiteral("-dTextFormat=0")
         << source.pageSwitches << gs::epsCropSwitch(source.eps);
    if (first > 0)
        args << QStringLiteral("-dFirstPage=%1").arg(first);
    if (last > 0)
        args << QStringLiteral("-dLastPage=%1").arg(last);
    args << gs::outputFileSwitch(output);
    if (!source.password.isEmpty())
        args << QStringLiteral("-sPDFPassword=") + source.password;
    args << gs::inputFileArgument(source.input);
    return args.list();
}

// One run over a part of the pages: page n of the run is the document's page first + n - 1.
struct DocumentText::Part {
    int first = 1;
    int last = 0; // 0: to the end
    QString prefix;
    int taken = 0; // the run's pages taken so far
    std::unique_ptr<gs::RunJob> job;
    Unheard unheard;

    QString file(int n) const { return prefix + QString::number(n) + QStringLiteral(".txt"); }
};

DocumentText::DocumentText(gs::Runner& runner, QObject* parent)
    : QObject(parent), runner_(runner) {}

DocumentText::~DocumentText() = default;

void DocumentText::setSource(const TextSource& source) {
    if (source.sameText(source_)) {
        if (source.pageCount)
            source_.pageCount = source.pageCount;
        source_.inParts = source.inParts;
        return;
    }
    clear();
    source_ = source;
}

void DocumentText::clear() {
    const bool any = pagesRead_ > 0 || !parts_.empty();
    parts_.clear(); // their runs end with them
    folder_.reset();
    pages_.clear();
    pagesRead_ = 0;
    complete_ = hasText_ = truncated_ = false;
    memory_ = 0;
    if (any)
        Q_EMIT cleared();
}

int DocumentText::pageCount() const {
    const int read = static_cast<int>(pages_.size());
    return complete_ ? read : std::max(source_.pageCount.value_or(0), read);
}

const PageText* DocumentText::page(int page) const {
    if (page < 1 || static_cast<std::size_t>(page) > pages_.size())
        return nullptr;
    return pages_[static_cast<std::size_t>(page - 1)].get();
}

void DocumentText::read() {
    if (source_.input.isEmpty() || complete_ || !parts_.empty())
        return;
    if (!folder_)
        folder_ = makePrivateFolder(QStringLiteral("KMW"));
    if (!folder_) {
        qCWarning(lcPages) << "no folder for the document's text";
        return;
    }
    const int count = source_.pageCount.value_or(0);
    if (!source_.inParts || count <= 0) {
        if (pagesRead_ == 0)
            startPart(1, 0);
        return;
    }
    // The pages not read yet, in as many parts as runs go side by side.
    std::vector<int> missing;
    for (int page = 1; page <= count; ++page)
        if (!this->page(page))
            missing.push_back(page);
    if (missing.empty()) {
        complete_ = true;
        Q_EMIT completed();
        return;
    }
    const int runs = runner_.runsTogether() ? std::max(1, QThread::idealThreadCount()) : 1;
    std::size_t from = 0;
    for (const int pages : partSizes(static_cast<int>(missing.size()), runs)) {
        const std::size_t to = std::min(missing.size(), from + static_cast<std::size_t>(pages));
        // A part runs over every page between its ends: a page read already is read again.
        startPart(missing[from], missing[to - 1]);
        from = to;
    }
}

void DocumentText::startPart(int first, int last) {
    auto part = std::make_unique<Part>();
    part->first = first;
    part->last = last;
    part->prefix = folder_->filePath(QStringLiteral("part%1-").arg(++partsMade_));
    gs::RunRequest request;
    request.args = textArguments(source_, first > 1 ? first : 0, last,
                                 gs::literalOutputPath(part->prefix) + QStringLiteral("%d.txt"));
    Part* raw = part.get();
    // The runner looks every tenth of a second: the pages the run has gone past are taken then.
    request.watchdog = [this, raw] {
        collect(*raw, false);
        return QString();
    };
    part->job = runner_.start(std::move(request), part->unheard, gs::Urgency::Whenever);
    connect(part->job.get(), &gs::RunJob::finished, this, [this, raw] { partEnded(raw); });
    parts_.push_back(std::move(part));
}

void DocumentText::collect(Part& part, bool ended) {
    // A page's file is whole once the next one was begun, or the run ended.
    while (part.last == 0 || part.first + part.taken <= part.last) {
        const QString file = part.file(part.taken + 1);
        if (!QFileInfo::exists(file) || (!ended && !QFileInfo::exists(part.file(part.taken + 2))))
            return;
        ++part.taken;
        store(part.first + part.taken - 1, file);
        QFile::remove(file);
    }
}

void DocumentText::store(int page, const QString& file) {
    if (page < 1 || page > kMaxPages)
        return;
    if (static_cast<std::size_t>(page) > pages_.size())
        pages_.resize(static_cast<std::size_t>(page));
    std::unique_ptr<PageText>& slot = pages_[static_cast<std::size_t>(page - 1)];
    if (slot)
        return;
    QFile in(file);
    QByteArray output;
    if (in.size() <= kPageOutputLimit && in.open(QIODevice::ReadOnly))
        output = in.readAll();
    auto text = std::make_unique<PageText>(PageText::parse(output));
    if (memory_ + text->memoryBytes() > kMemoryLimit) {
        truncated_ = true;
        text = std::make_unique<PageText>();
    }
    memory_ += text->memoryBytes();
    hasText_ = hasText_ || text->hasText();
    slot = std::move(text);
    ++pagesRead_;
    Q_EMIT pageRead(page);
}

void DocumentText::partEnded(Part* part) {
    const auto it =
        std::find_if(parts_.begin(), parts_.end(),
                     [part](const std::unique_ptr<Part>& p) { return p.get() == part; });
    if (it == parts_.end())
        return;
    const std::unique_ptr<Part> ended = std::move(*it);
    parts_.erase(it);
    collect(*ended, true);
    if (!ended->job->result().succeeded())
        qCInfo(lcPages) << "the text of pages" << ended->first << "to" << ended->last
                        << "could not be read all";
    // A page the run did not reach is kept without text, so that the reading ends.
    if (ended->last > 0) {
        for (int page = ended->first; page <= ended->last; ++page) {
            if (!this->page(page))
                store(page, QString());
        }
    }
    if (!parts_.empty())
        return;
    complete_ = true;
    if (!source_.pageCount || !source_.inParts)
        source_.pageCount = static_cast<int>(pages_.size());
    for (std::size_t i = 0; i < pages_.size(); ++i) // a gap left by a document's own page order
        if (!pages_[i])
            store(static_cast<int>(i) + 1, QString());
    Q_EMIT completed();
}

} // namespace quillorn::viewer
