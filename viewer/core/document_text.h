#pragma once

#include "viewer/core/page_text.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <vector>

namespace quillorn {
namespace gs {
class Runner;
class RunJob;
} // namespace gs
namespace options {
struct Options;
}
namespace viewer {

class DocumentController;

// What a document's text is read from: the document as the viewer prepared it, and the page as
// the viewer cuts it (paper, fixed media, an EPS picture's box), so that the text's places are
// the picture's.
struct TextSource {
    QString input; // what Ghostscript reads; empty: no document
    QByteArray stamp;
    QString password;
    bool eps = false;
    QStringList pageSwitches;
    std::optional<int> pageCount;
    // Runs over a part of the pages give those pages (not for a document that decides itself
    // which pages it makes): the text is read in parts, side by side.
    bool inParts = true;

    // The same text: another page count learned meanwhile changes nothing.
    bool sameText(const TextSource& other) const {
        return input == other.input && stamp == other.stamp && password == other.password &&
               eps == other.eps && pageSwitches == other.pageSwitches;
    }
};

// The text source of the document the controller shows; empty input before it was looked at.
TextSource textSourceOf(const DocumentController& document, const options::Options& options);

// The arguments of a run of Ghostscript's text device over pages first..last (0: from the
// start, to the end) into the output pattern ("%d": the run's page number).
QStringList textArguments(const TextSource& source, int first, int last, const QString& output);

// How many pages each of the runs reading a document's pages side by side takes, in order.
std::vector<int> partSizes(int pages, int runs);

// The text of a document, read in the background by Ghostscript's text device: in as many runs
// side by side as the runner allows, each over a part of the pages, every page taken as soon as
// its run has gone past it. Kept until the source changes; bounded in memory.
class DocumentText : public QObject {
    Q_OBJECT
public:
    // What the text of a document may take at most; the pages past it are kept without text.
    static constexpr qint64 kMemoryLimit = qint64(256) << 20;
    // A page's output larger than this is not read.
    static constexpr qint64 kPageOutputLimit = qint64(64) << 20;

    explicit DocumentText(gs::Runner& runner, QObject* parent = nullptr);
    ~DocumentText() override;

    // The text of another source, or another state of the file, forgets what was read.
    void setSource(const TextSource& source);
    const TextSource& source() const { return source_; }
    // Starts reading the pages not read yet; nothing while it reads or when all are read.
    void read();
    // Stops reading and forgets every page.
    void clear();

    bool isReading() const { return !parts_.empty(); }
    // Every page was read (or tried: a run that failed leaves its pages without text).
    bool isComplete() const { return complete_; }
    int pagesRead() const { return pagesRead_; }
    // The number of pages, as far as known: 0 while nothing tells.
    int pageCount() const;
    // A page's text once read; null before.
    const PageText* page(int page) const;
    // Some page read so far has text.
    bool hasText() const { return hasText_; }
    qint64 memoryBytes() const { return memory_; }
    // The text went past kMemoryLimit: pages were kept without it.
    bool isTruncated() const { return truncated_; }

Q_SIGNALS:
    void pageRead(int page);
    // All pages are read (or tried).
    void completed();
    // What was read is gone: another document or another state of it.
    void cleared();

private:
    struct Part;
    void startPart(int first, int last);
    // Takes the pages the part's run has gone past; all of them once it ended.
    void collect(Part& part, bool ended);
    void partEnded(Part* part);
    void store(int page, const QString& file);

    gs::Runner& runner_;
    TextSource source_;
    std::unique_ptr<QTemporaryDir> folder_;
    std::vector<std::unique_ptr<Part>> parts_;
    std::vector<std::unique_ptr<PageText>> pages_; // page n at n - 1
    int pagesRead_ = 0;
    int partsMade_ = 0;
    bool complete_ = false;
    bool hasText_ = false;
    bool truncated_ = false;
    qint64 memory_ = 0;
};

} // namespace viewer
} // namespace quillorn
