#include "tests/support/scripted_services.h"

namespace quillorn::test {

int ScriptedServices::MsgBox(const QString& prompt, int style, const QString& title) {
    boxes.push_back({prompt, style, title});
    if (onMsgBox)
        onMsgBox(boxes.back());
    if (!msgBoxAnswers.empty()) {
        const int answer = msgBoxAnswers.front();
        msgBoxAnswers.pop_front();
        return answer;
    }
    switch (style & 0x0F) {
    case mb::AbortRetryIgnore:
        return mb::Abort;
    case mb::YesNo:
        return mb::No;
    default:
        return mb::Ok;
    }
}

QString ScriptedServices::InputBox(const QString& prompt, const QString&, const QString&) {
    inputPrompts << prompt;
    if (inputAnswers.empty())
        return {};
    QString answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

QString ScriptedServices::OpenFileDialog(const QString& title, const QString&, const QString&) {
    dialogTitles << title;
    if (openAnswers.empty())
        return {};
    QString answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

QString ScriptedServices::SaveFileDialog(const QString& title, const QString&, const QString&) {
    dialogTitles << title;
    if (saveAnswers.empty())
        return {};
    QString answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

bool ScriptedServices::PrinterDialog(const QString& title) {
    dialogTitles << title;
    if (printerAnswers.empty())
        return false;
    const bool answer = printerAnswers.front();
    printerAnswers.pop_front();
    return answer;
}

void ScriptedServices::SetBusy(bool b) {
    ++busyCalls;
    busy = b;
}

float ScriptedServices::Timer() {
    const float now = clock;
    clock += clockStep;
    return now;
}

QStringList ScriptedServices::Prompts() const {
    QStringList prompts;
    for (const Box& box : boxes)
        prompts << box.prompt;
    return prompts;
}

} // namespace quillorn::test
