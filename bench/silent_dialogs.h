#pragma once

// The user and the message log for benchmarks. No one is there to answer, so every question
// counts as unexpected, is printed to stderr and gets the safe answer: No, Abort or Ok.
#include "base/message_log.h"
#include "base/user_dialogs.h"

#include <cstdio>

namespace quillorn::bench {

class SilentDialogs : public UserDialogs {
public:
    int questions = 0;
    QString lastQuestion;

    Answer ask(const QString& text, Buttons buttons, Icon, const QString&,
               const QString&) override {
        ++questions;
        lastQuestion = text;
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(text));
        switch (buttons) {
        case Buttons::YesNo:
            return Answer::No;
        case Buttons::AbortRetryIgnore:
            return Answer::Abort;
        case Buttons::Ok:
            break;
        }
        return Answer::Ok;
    }
    QString getText(const QString&, const QString&, const QString&) override { return {}; }
    QString getPassword(const QString&, const QString&) override { return {}; }
    QString getOpenFileName(const QString&, const QString&, const QString&) override { return {}; }
    QString getSaveFileName(const QString&, const QString&, const QString&) override { return {}; }
    std::optional<PrintAnswer> printDialog(const PrintRequest&) override { return {}; }
    std::optional<QPageSize> pageSetupDialog(const PageSetupRequest&) override { return {}; }
    CheckedAnswer askWithCheckBox(const QString& text, const QString&, Buttons buttons, Icon icon,
                                  const QString& title) override {
        return {ask(text, buttons, icon, title, {}), false};
    }
    void setBusyCursor(bool) override {}
    void setClipboardText(const QString&) override {}
    void setClipboardImage(const QImage&) override {}
};

// Ghostscript's messages during a benchmark: dropped, so the log's cost stays out of the figures.
class DroppedMessages : public Messages {
public:
    void addMessage(const QString&) override {}
    void showMessages() override {}
    void showMessagesModal() override {}
};

} // namespace quillorn::bench
