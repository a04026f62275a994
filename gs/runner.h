#pragma once

#include "base/failure.h"
#include "gs/api.h"

#include <QLoggingCategory>
#include <QObject>

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

namespace quillorn {
class MessageSink;
class UserDialogs;
} // namespace quillorn

namespace quillorn::gs {

// What a run of Ghostscript is asked to do.
struct RunRequest {
    QStringList args;
    // Where Ghostscript really writes, in place of the -sOutputFile name (already in the form
    // Ghostscript reads: "%" doubled unless it stands for the page number); empty: as the
    // argument says.
    QString output;
    // Every piece of output as it arrives, after it went to the message sink.
    std::function<void(const QString& text)> onOutput;
    // Asked every tenth of a second while the run goes on; a reason ends the run.
    std::function<QString()> watchdog;
};

// "quillorn.runner": the jobs the runners start and stop, and how each of their runs ended.
// Debug messages, off unless QT_LOGGING_RULES turns them on.
Q_DECLARE_LOGGING_CATEGORY(lcRunner)

// How a Ghostscript run ended.
struct RunResult {
    enum class End {
        Finished,    // Ghostscript returned; code holds its return code
        Stopped,     // stop() ended it
        Refused,     // the watchdog ended it; reason says why
        Crashed,     // the run died; signal holds the signal (0: it exited mid-run)
        OutOfMemory, // it ran out of memory
        NotStarted,  // Ghostscript could not be started at all; failure says why
    };
    End end = End::Finished;
    int code = 0;
    int signal = 0;
    int pages = -1; // pages the output device shipped; -1 when not known
    QString reason;
    Failure failure; // for NotStarted: no library, no entry point, no private folder

    bool succeeded() const { return end == End::Finished && gs::succeeded(code); }
};

// What happened to a run that did not end normally, for the user: "Ghostscript ran out of
// memory (limit 8 GB)", "Ghostscript stopped unexpectedly (signal 11)".
QString describeEnd(const RunResult& result, qint64 memoryLimitBytes);

// The failure of a run that did not end by itself (anything but Finished and Stopped), for the
// step it was part of.
Failure failureOf(const RunResult& result, qint64 memoryLimitBytes);

// The first error a run's output reports, in Ghostscript's words: "/undefined in BP",
// "Couldn't initialise file", "Unknown device: x", "This file requires a password for access".
// The empty text when it reports none.
QString firstErrorLine(const QString& output);

// What a run's output says about a PDF's password.
enum class PasswordRequest {
    None,     // nothing: no password needed, or the one given worked
    Required, // the document cannot be opened without one
    Refused,  // the one given did not work
};
PasswordRequest passwordRequest(const QString& output);
// Asks the user for the password of the PDF called name, the way the request says (first time,
// or again after one that did not work); the empty text when none is given.
QString askPassword(UserDialogs& dialogs, PasswordRequest asked, const QString& name);

// One or more Ghostscript runs under way together. It answers with finished() from the event
// loop, once every run has ended, never from within the call that started it; results() then
// holds them in the requests' order. Destroying a job ends its runs at once.
class RunJob : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Ends the runs at once; they end as Stopped. Nothing once the job has finished.
    virtual void stop() = 0;
    bool isFinished() const { return finished_; }
    const std::vector<RunResult>& results() const { return results_; }
    // The first run's result, for a job of one run.
    const RunResult& result() const { return results_.front(); }

Q_SIGNALS:
    void finished();

protected:
    // Called once, with every run's result: the job answers from the event loop.
    void finish(std::vector<RunResult> results);

private:
    std::vector<RunResult> results_;
    bool finished_ = false;
};

// Whether a run is for what the user waits for, or ahead of need.
enum class Urgency {
    Now,      // the user waits: it takes the worker kept ready, and another is made ready at once
    Soon,     // ahead of need, what the user most likely asks for next: it takes that worker too,
              // and another is made ready when it ends
    Whenever, // ahead of need: it leaves that worker to the next run the user waits for
};

// Starts Ghostscript runs for the renderer and the conversion. Everything a run's Ghostscript
// writes goes to its sink, one message per piece of output, as the run goes.
class Runner {
public:
    virtual ~Runner() = default;
    // Starts the runs, request i's output going to sinks[i], side by side where
    // runsTogether(); the job reports when all have ended.
    virtual std::unique_ptr<RunJob> start(std::vector<RunRequest> requests,
                                          std::vector<MessageSink*> sinks,
                                          Urgency urgency = Urgency::Now) = 0;
    std::unique_ptr<RunJob> start(RunRequest request, MessageSink& sink,
                                  Urgency urgency = Urgency::Now);
    virtual bool runsTogether() const { return false; }
    // Ends every run the user waits for (runs ahead of need are their owners' to stop).
    virtual void stop() = 0;
    // True while a run the user waits for goes on.
    virtual bool isRunning() const = 0;
    // The address-space limit of a run, in bytes; 0 for none.
    virtual qint64 memoryLimit() const { return 0; }
};

} // namespace quillorn::gs
