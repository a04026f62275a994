#include "base/step_runner.h"

#include "base/user_dialogs.h"

#include <exception>
#include <new>

namespace quillorn {

namespace {

// The numbers the error box has always shown for each kind of failure.
int failureNumber(FailureKind kind) {
    switch (kind) {
    case FailureKind::NoOutput:
        return 53;
    case FailureKind::FileAccess:
        return 75;
    case FailureKind::OutOfMemory:
        return 7;
    case FailureKind::LibraryMissing:
        return 48;
    case FailureKind::EntryPointMissing:
        return 453;
    case FailureKind::Internal:
        break;
    }
    return 51;
}

} // namespace

StepRunner::StepRunner(UserDialogs& dialogs, QString action,
                       std::function<NoOutputChoice(const Failure&)> noOutput)
    : dialogs_(dialogs), action_(std::move(action)), noOutput_(std::move(noOutput)) {}

QString StepRunner::unexpectedText(const Failure& failure) const {
    return QStringLiteral("An unexpected error occurred while %1: %2 (%3)")
        .arg(action_, failure.description)
        .arg(failureNumber(failure.kind));
}

StepRunner::Outcome StepRunner::run(std::span<const Step> steps) const {
    for (std::size_t i = 0; i < steps.size();) {
        Failure failure;
        try {
            steps[i]();
            ++i;
            continue;
        } catch (const Cancelled&) {
            return Outcome::Cancelled;
        } catch (const Failure& f) {
            failure = f;
        } catch (const std::bad_alloc&) {
            failure = {FailureKind::OutOfMemory, QStringLiteral("Out of memory")};
        } catch (const std::exception& e) {
            failure = {FailureKind::Internal, QString::fromLocal8Bit(e.what())};
        }
        if (failure.kind == FailureKind::NoOutput) {
            if (noOutput_ && noOutput_(failure) == NoOutputChoice::Stop)
                return Outcome::Stopped;
            ++i;
            continue;
        }
        switch (dialogs_.ask(unexpectedText(failure), Buttons::AbortRetryIgnore, Icon::Warning,
                             QStringLiteral("Error (please report)"))) {
        case Answer::Retry:
            break;
        case Answer::Ignore:
            ++i;
            break;
        default:
            return Outcome::Aborted;
        }
    }
    return Outcome::Completed;
}

} // namespace quillorn
