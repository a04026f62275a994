#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

namespace quillorn::convert {

// What an output name says, in one place for the whole program: "%d" and "%0Nd" (N from 1 to 9)
// stand for the page number; "%%" is a literal "%", and so is every other "%".
class OutputPattern {
public:
    explicit OutputPattern(const QString& text);

    bool hasPlaceholder() const { return placeholders_ > 0; }
    // The name as Ghostscript reads it: placeholders as they are, every other "%" doubled.
    QString forGhostscript() const;
    // The file written for a page ("%d" gives "12", "%03d" gives "012"); the name itself when it
    // holds no placeholder.
    QString fileFor(int page) const;
    // A regular expression (not anchored) for every path the pattern can make, each placeholder
    // a capturing group of digits.
    QString pathPattern() const;
    // The name's parts between "/", in order: a part without a placeholder as its literal text,
    // one with a placeholder as the regular expression (not anchored) of the names it can take.
    struct Part {
        QString literal;     // empty for a part with a placeholder
        QString namePattern; // empty for a part without one
    };
    std::vector<Part> parts() const;

private:
    struct Piece {
        QString literal;
        int width = -1; // a placeholder when 0 or more: its zero-padded width (0: none)
    };
    std::vector<Piece> pieces_;
    int placeholders_ = 0;
};

// The file Ghostscript writes first for an output name: page 1's.
QString firstOutputName(const QString& outputName);

// The one rule for the names a conversion may write. Pages go to the pattern's names ("%d" and
// "%0Nd" in folder parts too); with splitPages and no placeholder, page 1 goes to the name
// itself and page N (N >= 2) to "name-N.ext" beside it; otherwise the run writes one file.
class OutputFiles {
public:
    OutputFiles(const QString& outputName, bool splitPages);

    // True when each page goes to a file of its own.
    bool onePerPage() const { return pattern_.hasPlaceholder() || split_; }
    // The file page `page` goes to; page 1's when the run writes one file.
    QString fileFor(int page) const;
    // Every name a run over a document of pageCount pages may write, page 1's first. Pure: the
    // file system is not looked at.
    QStringList filesFor(int pageCount) const;
    // The page whose file `path` names, compared as text (an absolute path against the name
    // made absolute from the working folder, no link resolved); nothing when no page of any
    // document writes to that name. Pure.
    std::optional<int> pageOf(const QString& path) const;
    // What stands now (a file, a link, anything) at a name a run may write, whatever the
    // document's number of pages, in page order; absolute names. Looks through every folder a
    // placeholder in a folder part can name.
    QStringList existing() const;

private:
    OutputPattern pattern_;
    OutputPattern absolute_; // the name made absolute
    bool split_ = false;
};

// The name a run could write that is the input (the same file through any link or "..", or a
// hard link to it; for a missing input, the same name with the folders' links resolved): the
// empty text when there is none.
QString inputOverwrittenBy(const QString& outputName, bool splitPages, const QString& inputFile);
// True when writing to outputName would write over inputFile (inputOverwrittenBy).
bool wouldOverwriteInput(const QString& outputName, const QString& inputFile,
                         bool splitPages = false);
// The first name (in page order) a run could write at which something stands now; the empty
// text when there is none.
QString firstExistingOutput(const QString& outputName, bool splitPages);

// Where a conversion really writes, so that nothing at the output's names changes before the
// run has produced something: a single file goes to a fresh temporary file beside its target
// ("<name>.quillorn-<pid>-XXXXXX"), pages to a private folder (".quillorn-<pid>-XXXXXX") in
// page 1's folder; each folder is noted first with rememberOutputFolder(), so that the start-up
// sweep removes what a killed run left there. publish() moves what the run wrote into place
// (renaming over a target, which replaces a link rather than following it); whatever is not
// published is removed when the staging ends.
class OutputStaging {
public:
    // splitPages: one file per page even without a placeholder; page 1 takes the name itself,
    // the following pages "name-2.ext", "name-3.ext", ...
    // Throws Failure (FileAccess) when nothing can be written in the output's folder.
    OutputStaging(const QString& outputName, bool splitPages);
    ~OutputStaging();
    OutputStaging(const OutputStaging&) = delete;
    OutputStaging& operator=(const OutputStaging&) = delete;

    // The name Ghostscript writes to, in Ghostscript's form.
    QString ghostscriptOutput() const;
    // Files the run has written so far.
    int filesWritten() const;
    // For a run shared among several workers, each with a staging of its own: moves the pages
    // another staging of one file per page holds into this one, its page 1 becoming page
    // firstPage; returns their staged files in page order. Throws Failure (FileAccess) when a
    // file cannot be moved.
    QStringList takePages(OutputStaging& from, int firstPage);
    // Moves what the run wrote to its final names, all or none; returns them, page 1's first.
    // Throws Failure (FileAccess) when a file cannot be moved: what was moved already is taken
    // back and the files it replaced are restored.
    QStringList publish();

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

} // namespace quillorn::convert
