#pragma once

#include "base/failure.h"

#include <QString>
#include <functional>
#include <vector>

namespace quillorn {

class UserDialogs;

// Runs a user's action as a fixed sequence of steps. A step that throws Failure is put to the
// user: a missing output goes to noOutput, which says whether to go on; a file that cannot be
// read or written is named, with Retry (the step again) or Abort and Ignore (both leave the
// action, which cannot go on without it); anything else is an unexpected error with Abort (leave
// the action), Retry (the failed step again) or Ignore (on with the next step). A step that
// throws Cancelled ends the action without a word.
// A step that starts work which ends later (a Ghostscript run) calls suspend() and returns;
// whoever hears of the work's end calls resume() with the rest of the step, which is handled as
// the step itself is. The sequence's end is reported to done, as the last thing it does.
class StepRunner {
public:
    using Step = std::function<void()>;
    enum class Outcome { Completed, Aborted, Stopped, Cancelled };
    enum class NoOutputChoice { GoOn, Stop };

    // action completes "An unexpected error occurred while ...": "redrawing",
    // "converting the file".
    StepRunner(UserDialogs& dialogs, QString action,
               std::function<NoOutputChoice(const Failure&)> noOutput);
    StepRunner(const StepRunner&) = delete;
    StepRunner& operator=(const StepRunner&) = delete;

    // Runs the steps from the first, as far as they go without waiting.
    void start(std::vector<Step> steps, std::function<void(Outcome)> done);
    // For the running step: it goes on later, through resume().
    void suspend() { suspended_ = true; }
    bool isSuspended() const { return suspended_; }
    // Goes on with the suspended step: rest is the remainder of it, then the steps after it.
    void resume(const std::function<void()>& rest);

    // The unexpected-error box's text for a failure.
    QString unexpectedText(const Failure& failure) const;

private:
    // Runs body (the current step, or the rest of it) and the steps after it.
    void advance(std::function<void()> body);
    void end(Outcome outcome);

    UserDialogs& dialogs_;
    QString action_;
    std::function<NoOutputChoice(const Failure&)> noOutput_;
    std::vector<Step> steps_;
    std::function<void(Outcome)> done_;
    std::size_t current_ = 0;
    bool suspended_ = false;
};

} // namespace quillorn
