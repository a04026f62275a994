#pragma once

#include "base/failure.h"

#include <QString>
#include <functional>
#include <span>

namespace quillorn {

class UserDialogs;

// Runs a user's action as a fixed sequence of steps. A step that throws Failure is put to the
// user: a missing output goes to noOutput, which says whether to go on; anything else asks
// Abort (leave the action), Retry (the failed step again) or Ignore (on with the next step). A
// step that throws Cancelled ends the action without a word.
class StepRunner {
public:
    using Step = std::function<void()>;
    enum class Outcome { Completed, Aborted, Stopped, Cancelled };
    enum class NoOutputChoice { GoOn, Stop };

    // action completes "An unexpected error occurred while ...": "redrawing",
    // "converting the file".
    StepRunner(UserDialogs& dialogs, QString action,
               std::function<NoOutputChoice(const Failure&)> noOutput);

    Outcome run(std::span<const Step> steps) const;

    // The unexpected-error box's text for a failure.
    QString unexpectedText(const Failure& failure) const;

private:
    UserDialogs& dialogs_;
    QString action_;
    std::function<NoOutputChoice(const Failure&)> noOutput_;
};

} // namespace quillorn
