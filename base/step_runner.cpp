#include "base/step_runner.h"

#include "base/user_dialogs.h"

#include <QCoreApplication>
#include <exception>
#include <new>
#include <utility>

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
    case FailureKind::Refused:
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
    return QCoreApplication::translate("quillorn::base",
                                       "An unexpected error occurred while %1: %2 (%3)")
        .arg(action_, failure.description)
        .arg(failureNumber(failure.kind));
}

void StepRunner::start(std::vector<Step> steps, std::function<void(Outcome)> done) {
    steps_ = std::move(steps);
    done_ = std::move(done);
    current_ = 0;
    advance(nullptr);
}

void StepRunner::resume(const std::function<void()>& rest) {
    if (!suspended_)
        return;
    advance(rest);
}

void StepRunner::end(Outcome outcome) {
    // The owner may go with its action: nothing of this runner is touched after done.
    const std::function<void(Outcome)> done = std::move(done_);
    steps_.clear();
    if (done)
        done(outcome);
}

void StepRunner::advance(std::function<void()> body) {
    while (current_ < steps_.size()) {
        suspended_ = false;
        Failure failure;
        try {
            if (body)
                std::exchange(body, nullptr)();
            else
                steps_[current_]();
            if (suspended_)
                return;
            ++current_;
            continue;
        } catch (const Cancelled&) {
            suspended_ = false;
            return end(Outcome::Cancelled);
        } catch (const Failure& f) {
            failure = f;
        } catch (const std::bad_alloc&) {
            failure = {FailureKind::OutOfMemory,
                       QCoreApplication::translate("quillorn::base", "Out of memory")};
        } catch (const std::exception& e) {
            failure = {FailureKind::Internal, QString::fromLocal8Bit(e.what())};
        }
        suspended_ = false;
        if (failure.kind == FailureKind::NoOutput) {
            if (noOutput_ && noOutput_(failure) == NoOutputChoice::Stop)
                return end(Outcome::Stopped);
            ++current_;
            continue;
        }
        // A file that cannot be read or written, or a document that asks too much, is the user's
        // situation, not a fault to report: the action's own question says which, and nothing
        // after it can go on without it.
        if (failure.kind == FailureKind::FileAccess || failure.kind == FailureKind::Refused) {
            if (dialogs_.ask(failure.description, Buttons::AbortRetryIgnore, Icon::Warning,
                             QCoreApplication::translate("quillorn::base",
                                                         "Error in conversion")) == Answer::Retry)
                continue;
            return end(Outcome::Aborted);
        }
        switch (
            dialogs_.ask(unexpectedText(failure), Buttons::AbortRetryIgnore, Icon::Warning,
                         QCoreApplication::translate("quillorn::base", "Error (please report)"))) {
        case Answer::Retry:
            break;
        case Answer::Ignore:
            ++current_;
            break;
        default:
            return end(Outcome::Aborted);
        }
    }
    end(Outcome::Completed);
}

} // namespace quillorn
