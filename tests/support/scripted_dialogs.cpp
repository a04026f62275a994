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
    boxes.push_back({text, buttons, icon, title, details});
    if (onBox)
        onBox(boxes.back());
    return next(answers, buttons == Buttons::AbortRetryIgnore ? Answer::Abort
                         : buttons == Buttons::YesNo          ? Answer::No
                                                              : Answer::Ok);
}

QString ScriptedDialogs::getText(const QString& prompt, const QString&, const QString&) {
    textPrompts << prompt;
    return next(textAnswers);
}

QString ScriptedDialogs::getPassword(const QString& prompt, const QString&) {
    passwordPrompts << prompt;
    return next(passwordAnswers);
}

QString ScriptedDialogs::getOpenFileName(const QString& title, const QString&, const QString&) {
    fileDialogTitles << title;
    return next(openAnswers);
}

QString ScriptedDialogs::getSaveFileName(const QString& title, const QString&, const QString&) {
    fileDialogTitles << title;
    return next(saveAnswers);
}

bool ScriptedDialogs::printerDialog(const QString& title) {
    fileDialogTitles << title;
    return next(printerAnswers);
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
