#include "tests/support/scripted_services.h"

namespace quillorn::test {

int ScriptedServices::MsgBox(const QString& prompt, int style, const QString& title) {
    boxes.push_back({prompt, style, title});
    if (onMsgBox)
        onMsgBox(boxes.back());
    const int buttons = style & 0x0F;
    return Next(msgBoxAnswers, buttons == mb::AbortRetryIgnore ? mb::Abort
                               : buttons == mb::YesNo          ? mb::No
                                                               : mb::Ok);
}

QStringList ScriptedServices::Prompts() const {
    QStringList prompts;
    for (const Box& box : boxes)
        prompts << box.prompt;
    return prompts;
}

} // namespace quillorn::test
