#include "gs/runner.h"

#include "base/failure.h"
#include "base/user_dialogs.h"

#include <QCoreApplication>
#include <QRegularExpression>

namespace quillorn::gs {

Q_LOGGING_CATEGORY(lcRunner, "quillorn.runner", QtInfoMsg)

namespace {
const char* endName(RunResult::End end) {
    switch (end) {
    case RunResult::End::Finished:
        return "finished";
    case RunResult::End::Stopped:
        return "stopped";
    case RunResult::End::Refused:
        return "refused";
    case RunResult::End::Crashed:
        return "crashed";
    case RunResult::End::OutOfMemory:
        return "out of memory";
    case RunResult::End::NotStarted:
        return "not started";
    }
    return "?";
}
} // namespace

QString describeEnd(const RunResult& result, qint64 memoryLimitBytes) {
    switch (result.end) {
    case RunResult::End::OutOfMemory: {
        const double gb = static_cast<double>(memoryLimitBytes) / (1024.0 * 1024 * 1024);
        return memoryLimitBytes > 0
                   ? QCoreApplication::translate("quillorn::gs",
                                                 "Ghostscript ran out of memory (limit %1 GB)")
                         .arg(QString::number(gb, 'g', 3))
                   : QCoreApplication::translate("quillorn::gs", "Ghostscript ran out of memory");
    }
    case RunResult::End::Crashed:
        return result.signal > 0
                   ? QCoreApplication::translate("quillorn::gs",
                                                 "Ghostscript stopped unexpectedly (signal %1)")
                         .arg(result.signal)
                   : QCoreApplication::translate("quillorn::gs",
                                                 "Ghostscript stopped unexpectedly");
    case RunResult::End::Refused:
        return result.reason;
    case RunResult::End::NotStarted:
        return result.failure.description;
    case RunResult::End::Stopped:
        return QCoreApplication::translate("quillorn::gs", "Ghostscript was stopped");
    case RunResult::End::Finished:
        break;
    }
    return {};
}

Failure failureOf(const RunResult& result, qint64 memoryLimitBytes) {
    switch (result.end) {
    case RunResult::End::NotStarted:
        return result.failure;
    case RunResult::End::OutOfMemory:
        return {FailureKind::OutOfMemory, describeEnd(result, memoryLimitBytes)};
    case RunResult::End::Refused:
        return {FailureKind::Refused, result.reason};
    default:
        return {FailureKind::Internal, describeEnd(result, memoryLimitBytes)};
    }
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

void RunJob::finish(std::vector<RunResult> results) {
    results_ = std::move(results);
    for (const RunResult& r : results_)
        qCDebug(lcRunner).nospace()
            << "run " << endName(r.end) << ": code " << r.code << ", signal " << r.signal
            << ", pages " << r.pages << ", reason " << r.reason << ", failure "
            << r.failure.description;
    // From the event loop, so that whoever started the job has it in hand before it answers,
    // and may let it go while it answers.
    QMetaObject::invokeMethod(
        this,
        [this] {
            finished_ = true;
            Q_EMIT finished();
        },
        Qt::QueuedConnection);
}

std::unique_ptr<RunJob> Runner::start(RunRequest request, MessageSink& sink, Urgency urgency) {
    std::vector<RunRequest> requests;
    requests.push_back(std::move(request));
    return start(std::move(requests), {&sink}, urgency);
}

QString askPassword(UserDialogs& dialogs, PasswordRequest asked, const QString& name) {
    return dialogs.getPassword(
        asked == PasswordRequest::Refused
            ? QCoreApplication::translate(
                  "quillorn::gs", "The password did not work. Please type the password of %1:")
                  .arg(name)
            : QCoreApplication::translate("quillorn::gs",
                                          "%1 is protected by a password. Please type it:")
                  .arg(name),
        QCoreApplication::translate("quillorn::gs", "Password"));
}

} // namespace quillorn::gs
