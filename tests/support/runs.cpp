#include "tests/support/runs.h"

#include "base/message_log.h"
#include "base/temp_files.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <unistd.h>

namespace quillorn::test {

std::vector<gs::RunResult> runAndWait(gs::Runner& runner, std::vector<gs::RunRequest> requests,
                                      const std::vector<MessageSink*>& sinks) {
    const std::unique_ptr<gs::RunJob> job = runner.start(std::move(requests), sinks);
    QSignalSpy finished(job.get(), &gs::RunJob::finished);
    if (!finished.wait(120000))
        return {};
    return job->results();
}

gs::RunResult runAndWait(gs::Runner& runner, const QStringList& args, MessageSink& sink) {
    std::vector<gs::RunRequest> requests(1);
    requests.front().args = args;
    const std::vector<gs::RunResult> results = runAndWait(runner, std::move(requests), {&sink});
    if (!results.empty())
        return results.front();
    gs::RunResult timedOut;
    timedOut.end = gs::RunResult::End::Crashed;
    return timedOut;
}

gs::RunResult runInProcess(gs::Binding& binding, const QStringList& args, MessageSink& sink) {
    // Ghostscript reads its temporary folder from TMPDIR when the instance starts.
    const QByteArray old = qgetenv("TMPDIR");
    const QTemporaryDir own(tempDirectory() +
                            QStringLiteral("/quillorn-%1-XXXXXX").arg(::getpid()));
    qputenv("TMPDIR", QFile::encodeName(own.path()));
    gs::OutputDecoder decoder;
    gs::RunResult result;
    result.code = binding.run(
        args, [&](gs::Stream, QByteArrayView bytes) { sink.addMessage(decoder.decode(bytes)); },
        &result.pages);
    qputenv("TMPDIR", old);
    return result;
}

} // namespace quillorn::test
