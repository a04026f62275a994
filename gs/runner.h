#pragma once

#include "gs/api.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace quillorn {
class MessageSink;
}

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

// How a Ghostscript run ended.
struct RunResult {
    enum class End {
        Finished,    // Ghostscript returned; code holds its return code
        Stopped,     // stop() ended it
        Refused,     // the watchdog ended it; reason says why
        Crashed,     // the run died; signal holds the signal (0: it exited mid-run)
        OutOfMemory, // it ran out of memory
    };
    End end = End::Finished;
    int code = 0;
    int signal = 0;
    int pages = -1; // pages the output device shipped; -1 when not known
    QString reason;

    bool succeeded() const { return end == End::Finished && gs::succeeded(code); }
};

// What happened to a run that did not end normally, for the user: "Ghostscript ran out of
// memory (limit 8 GB)", "Ghostscript stopped unexpectedly (signal 11)".
QString describeEnd(const RunResult& result, qint64 memoryLimitBytes);

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

// Runs Ghostscript for the renderer and the conversion. Everything Ghostscript writes goes to
// the sink, one message per piece of output, as the run goes.
class Runner {
public:
    virtual ~Runner() = default;
    // One complete run. Returns when it has ended; the event loop keeps turning meanwhile.
    // Throws Failure when Ghostscript cannot be started at all (no library, no private folder).
    virtual RunResult run(const RunRequest& request, MessageSink& sink) = 0;
    RunResult run(const QStringList& args, MessageSink& sink) {
        RunRequest request;
        request.args = args;
        return run(request, sink);
    }
    // Several runs at once, request i's output going to sinks[i]; returns when every one has
    // ended, their results in the requests' order. stop() ends them all. This default runs them
    // one after another; runsTogether() says whether a runner really runs them side by side.
    virtual std::vector<RunResult> runTogether(const std::vector<RunRequest>& requests,
                                               const std::vector<MessageSink*>& sinks);
    virtual bool runsTogether() const { return false; }
    // Starts one run in the background and returns at once; done is called from the event loop
    // once it has ended. False when this runner cannot run in the background, and then nothing
    // starts. A background run ends by itself, by stopBackground(), by a newer background run or
    // with the runner; stop() leaves it alone.
    virtual bool startInBackground(const RunRequest& request, MessageSink& sink,
                                   std::function<void(const RunResult&)> done);
    virtual void stopBackground() {}
    virtual bool isRunningInBackground() const { return false; }
    // Ends the runs in progress at once; nothing when none runs.
    virtual void stop() {}
    // Gets ready for the next run ahead of need.
    virtual void prepare() {}
    virtual bool isRunning() const { return false; }
    // The address-space limit of a run, in bytes; 0 for none.
    virtual qint64 memoryLimit() const { return 0; }
};

// Runs Ghostscript inside the program, through the binding. It cannot be stopped and takes the
// program down with it; kept to compare what a worker relays with what the library says.
class InProcessRunner final : public Runner {
public:
    explicit InProcessRunner(Binding& binding) : binding_(binding) {}
    using Runner::run;
    RunResult run(const RunRequest& request, MessageSink& sink) override;

private:
    Binding& binding_;
};

} // namespace quillorn::gs
