#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <memory>

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
    // Matches the file name (without folder) of every file the pattern can make.
    QRegularExpression fileNamePattern() const;

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

// True when writing to outputName would write over inputFile: the first output file is the input
// (symbolic and hard links resolved; also when no file stands at that name yet), or the page
// pattern matches a file in the output's folder that is the input.
bool wouldOverwriteInput(const QString& outputName, const QString& inputFile);

// Where a conversion really writes, so that nothing at the output's names changes before the
// run has produced something: a single file goes to a fresh temporary file beside its target,
// pages to a private folder beside theirs. publish() moves what the run wrote into place
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
    // Moves what the run wrote to its final names; returns them, page 1's first. Throws
    // Failure (FileAccess) when a file cannot be moved.
    QStringList publish();

private:
    struct Private;
    std::unique_ptr<Private> d_;
};

} // namespace quillorn::convert
