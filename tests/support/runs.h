#pragma once

// Ghostscript runs as the tests drive them: started and waited for, or inside the test process.
#include "gs/api.h"
#include "gs/runner.h"

#include <QStringList>
#include <vector>

namespace quillorn {
class MessageSink;
}

namespace quillorn::test {

// Starts the runs and turns the event loop until the job has answered (at most two minutes).
std::vector<gs::RunResult> runAndWait(gs::Runner& runner, std::vector<gs::RunRequest> requests,
                                      const std::vector<MessageSink*>& sinks);
gs::RunResult runAndWait(gs::Runner& runner, const QStringList& args, MessageSink& sink);

// Runs Ghostscript inside the test process through the binding, with a private temporary folder
// as a worker has: what a worker relays is compared with what the library says here.
gs::RunResult runInProcess(gs::Binding& binding, const QStringList& args, MessageSink& sink);

} // namespace quillorn::test
