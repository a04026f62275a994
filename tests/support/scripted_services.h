#pragma once

#include "app/core/services.h"
#include "tests/support/test_env.h"

#include <QImage>
#include <QStringList>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

namespace quillorn::test {

// Stands in for the user at the window system: message boxes, input boxes and file choosers
// answer from queues the test fills; every question is recorded. An unscripted message box gets
// the safe answer for its buttons (OK, No, Abort); EndProgram throws ProgramEnded.
class ScriptedServices : public WindowServices {
public:
    struct Box {
        QString prompt;
        int style = 0;
        QString title;
    };

    std::deque<int> msgBoxAnswers;
    std::deque<QString> inputAnswers;
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<bool> printerAnswers;
    // Runs when a message box appears, before it is answered (lets a test look at the screen).
    std::function<void(const Box&)> onMsgBox;

    std::vector<Box> boxes;
    QStringList inputPrompts;
    QStringList dialogTitles;
    QStringList clipboardTexts;
    std::vector<QImage> clipboardImages;
    int busyCalls = 0;
    bool busy = false;
    float clock = 1000.0f;
    float clockStep = 0.5f;

    int MsgBox(const QString& prompt, int style, const QString& title) override;
    QString InputBox(const QString& prompt, const QString&, const QString&) override {
        inputPrompts << prompt;
        return Next(inputAnswers);
    }
    QString OpenFileDialog(const QString& title, const QString&, const QString&) override {
        dialogTitles << title;
        return Next(openAnswers);
    }
    QString SaveFileDialog(const QString& title, const QString&, const QString&) override {
        dialogTitles << title;
        return Next(saveAnswers);
    }
    bool PrinterDialog(const QString& title) override {
        dialogTitles << title;
        return Next(printerAnswers);
    }
    void SetBusy(bool b) override { ++busyCalls, busy = b; }
    void ClipboardSetText(const QString& text) override { clipboardTexts << text; }
    void ClipboardSetImage(const QImage& image) override { clipboardImages.push_back(image); }
    [[noreturn]] void EndProgram(int exitCode) override { throw ProgramEnded{exitCode}; }
    float Timer() override { return std::exchange(clock, clock + clockStep); }

    QStringList Prompts() const;

private:
    template <typename T> static T Next(std::deque<T>& answers, T otherwise = {}) {
        if (answers.empty())
            return otherwise;
        T answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

} // namespace quillorn::test
