#pragma once

#include "gs/api.h"

#include <QString>
#include <QStringList>

namespace quillorn {
class MessageSink;
}

namespace quillorn::gs {

// How a Ghostscript run ended.
struct RunResult {
    enum class End {
        Finished,    // Ghostscript returned; code holds its return code
        Stopped,     // the user stopped it
        Crashed,     // the run died; signal holds the signal
        OutOfMemory, // it ran out of memory
    };
    End end = End::Finished;
    int code = 0;
    int signal = 0;

    bool succeeded() const { return end == End::Finished && gs::succeeded(code); }
};

// Runs Ghostscript for the renderer and the conversion. Everything Ghostscript writes goes to
// the sink, one message per piece of output, as the run goes.
class Runner {
public:
    virtual ~Runner() = default;
    // One complete run. Throws Failure when Ghostscript cannot be started at all (no library).
    virtual RunResult run(const QStringList& args, MessageSink& sink) = 0;
};

// Runs Ghostscript inside the program, through the binding.
class InProcessRunner final : public Runner {
public:
    explicit InProcessRunner(Binding& binding) : binding_(binding) {}
    RunResult run(const QStringList& args, MessageSink& sink) override;

private:
    Binding& binding_;
};

} // namespace quillorn::gs
