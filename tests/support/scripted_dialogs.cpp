#include "tests/support/scripted_dialogs.h"

namespace quillorn::test {

namespace {
template <typename T> T next(std::deque<T>& queue, T otherwise = {}) {
    if (queue.empty())
        return otherwise;
    T answer = queue.front();
    queue.pop_front();
    return answer;
}
} // namespace

Answer ScriptedDialogs::ask(const QString& text, Buttons buttons, Icon icon, const QString& title,
                            const QString& details) {
    return respond({text, buttons, icon, title, {}, details}).answer;
}

CheckedAnswer ScriptedDialogs::askWithCheckBox(const QString& text, const QString& checkBoxText,
                                               Buttons buttons, Icon icon, const QString& title) {
    return respond({text, buttons, icon, title, checkBoxText, {}});
}

CheckedAnswer ScriptedDialogs::respond(const Box& box) {
    boxes.push_back(box);
    if (onBox)
        onBox(boxes.back());
    const Answer answer = next(answers, box.buttons == Buttons::AbortRetryIgnore ? Answer::Abort
                                        : box.buttons == Buttons::YesNo          ? Answer::No
                                                                                 : Answer::Ok);
    return {answer, !box.checkBox.isEmpty() && next(checkAnswers)};
}

QString ScriptedDialogs::getText(const QString& prompt, const QString&, const QString& text) {
    textPrompts << prompt;
    textOffers << text;
    return next(textAnswers);
}

QString ScriptedDialogs::getPassword(const QString& prompt, const QString&) {
    passwordPrompts << prompt;
    return next(passwordAnswers);
}

QString ScriptedDialogs::getOpenFileName(const QString&, const QString&, const QString& directory) {
    openDirectories << directory;
    return next(openAnswers);
}

QString ScriptedDialogs::getSaveFileName(const QString&, const QString&, const QString&) {
    return next(saveAnswers);
}

std::optional<PrintAnswer> ScriptedDialogs::printDialog(const PrintRequest& request) {
    printRequests.push_back(request);
    return next(printAnswers);
}

std::optional<QPageSize> ScriptedDialogs::pageSetupDialog(const PageSetupRequest& request) {
    pageSetupRequests.push_back(request);
    return next(pageSetupAnswers);
}

QStringList ScriptedDialogs::texts() const {
    QStringList out;
    for (const Box& box : boxes)
        out << box.text;
    return out;
}

QStringList ScriptedDialogs::titles() const {
    QStringList out;
    for (const Box& box : boxes)
        out << box.title;
    return out;
}

} // namespace quillorn::test
