#pragma once

#include <QString>

namespace quillorn::app {

// Standard input is read in pieces of this size: a pipe's whole capacity, so a large job costs
// few reads and few wake-ups of the program that prints.
inline constexpr qint64 kPrintJobReadSize = 65536;

// True when fd is a terminal: an interactive start, never a print job.
bool isTerminal(int fd);

struct SavedPrintJob {
    QString path;         // the temporary file holding the job; empty when there is none
    qint64 size = 0;      // bytes saved
    int reads = 0;        // read calls made, the last one being the one that found the end
    QString error;        // why the job could not be saved; no file is left behind then
    bool stopped = false; // stopFd became readable first; no file is left behind then
};

// Copies everything on fd up to its end into a new temporary file, each piece written as it
// arrives, so a job of any size needs only one read buffer. A terminal, an fd that is not open
// for reading and an empty input are no job, and leave no file. A read that fails on the way
// (a connection reset, an I/O error) is an error: the job is incomplete and leaves no file. Once
// stopFd (unless -1) is readable the saving ends before the next read, and leaves no file.
SavedPrintJob savePrintJob(int fd, int stopFd = -1);

// The name a print job's output is proposed under: the text of its %%Title: comment (among the
// comments it opens with), made fit for a file name by fileNameFrom; "print-job" without one.
QString printJobName(const QString& jobPath);
// The text with no '/', no control characters, trimmed and not starting with '.'; "print-job"
// when nothing is left.
QString fileNameFrom(const QString& text);
// Where a print job's output is proposed: "<documents>/<name>.ps" (the user's documents
// folder, else the home folder), so that each format puts its own ending in place of ".ps".
QString printJobProposal(const QString& jobPath);

} // namespace quillorn::app
