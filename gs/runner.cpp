#include "gs/runner.h"

#include "base/failure.h"
#include "base/message_log.h"
#include "base/temp_files.h"

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <unistd.h>

namespace quillorn::gs {

QString describeEnd(const RunResult& result, qint64 memoryLimitBytes) {
    switch (result.end) {
    case RunResult::End::OutOfMemory: {
        const double gb = static_cast<double>(memoryLimitBytes) / (1024.0 * 1024 * 1024);
        return memoryLimitBytes > 0 ? QStringLiteral("Ghostscript ran out of memory (limit %1 GB)")
                                          .arg(QString::number(gb, 'g', 3))
                                    : QStringLiteral("Ghostscript ran out of memory");
    }
    case RunResult::End::Crashed:
        return result.signal > 0 ? QStringLiteral("Ghostscript stopped unexpectedly (signal %1)")
                                       .arg(result.signal)
                                 : QStringLiteral("Ghostscript stopped unexpectedly");
    case RunResult::End::Refused:
        return result.reason;
    case RunResult::End::Stopped:
        return QStringLiteral("Ghostscript was stopped");
    case RunResult::End::Finished:
        break;
    }
    return {};
}

QString firstErrorLine(const QString& output) {
    static const QRegularExpression error(
        QStringLiteral("(?:^|\\s)Error:\\s*(\\S.*?)\\.?\\s*$|^\\s*(Unknown device: \\S+)|"
                       "(This file requires a password for access)"),
        QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = error.match(output);
    if (!m.hasMatch())
        return {};
    for (int group = 1; group <= 3; ++group)
        if (!m.captured(group).isEmpty())
            return m.captured(group);
    return {};
}

PasswordRequest passwordRequest(const QString& output) {
    if (output.contains(QLatin1String("Password did not work")))
        return PasswordRequest::Refused;
    if (output.contains(QLatin1String("requires a password")))
        return PasswordRequest::Required;
    return PasswordRequest::None;
}

// By value: runners that can run in the background keep the callback.
bool Runner::startInBackground(const RunRequest&, MessageSink&,
                               std::function<void(const RunResult&)>) { // NOLINT(*-value-param)
    return false;
}

std::vector<RunResult> Runner::runTogether(const std::vector<RunRequest>& requests,
                                           const std::vector<MessageSink*>& sinks) {
    std::vector<RunResult> results;
    for (size_t i = 0; i < requests.size(); ++i)
        results.push_back(run(requests[i], *sinks.at(i)));
    return results;
}

namespace {

// Under -dSAFER Ghostscript still lets a document create and delete files in its temporary
// directory, which it reads from TMPDIR when the instance starts. The run gets an empty private
// one, removed with everything in it when the run ends; the caller's TMPDIR comes back.
class PrivateTmpDir {
public:
    PrivateTmpDir()
        : hadOld_(qEnvironmentVariableIsSet("TMPDIR")), old_(qgetenv("TMPDIR")),
          dir_(tempDirectory() + QStringLiteral("/quillorn-%1-XXXXXX").arg(::getpid())) {
        if (tempDirectory().isEmpty() || !dir_.isValid())
            throw Failure{FailureKind::FileAccess,
                          QStringLiteral("The temporary folder %1 cannot be used")
                              .arg(qEnvironmentVariable("TMPDIR"))};
        qputenv("TMPDIR", QFile::encodeName(dir_.path()));
    }
    ~PrivateTmpDir() {
        if (hadOld_)
            qputenv("TMPDIR", old_);
        else
            qunsetenv("TMPDIR");
    }
    PrivateTmpDir(const PrivateTmpDir&) = delete;
    PrivateTmpDir& operator=(const PrivateTmpDir&) = delete;

private:
    bool hadOld_;
    QByteArray old_;
    QTemporaryDir dir_;
};

} // namespace

RunResult InProcessRunner::run(const RunRequest& request, MessageSink& sink) {
    const PrivateTmpDir privateDir;
    QStringList args = request.args;
    if (!request.output.isEmpty())
        for (auto it = args.rbegin(); it != args.rend(); ++it)
            if (it->startsWith(QLatin1String("-sOutputFile="))) {
                *it = QStringLiteral("-sOutputFile=") + request.output;
                break;
            }
    OutputDecoder decoder;
    RunResult result;
    result.code = binding_.run(
        args,
        [&](Stream, QByteArrayView bytes) {
            const QString text = decoder.decode(bytes);
            sink.addMessage(text);
            if (request.onOutput)
                request.onOutput(text);
        },
        &result.pages);
    return result;
}

} // namespace quillorn::gs
