#pragma once

// Window-system services for benchmarks: no one is there to answer, so every question counts
// as unexpected and gets No.
#include "app/core/services.h"

#include <QTime>
#include <cstdio>
#include <cstdlib>

namespace quillorn::bench {

class SilentServices : public WindowServices {
public:
    int questions = 0;
    int MsgBox(const QString& prompt, int, const QString&) override {
        ++questions;
        std::fprintf(stderr, "unexpected message: %s\n", qPrintable(prompt));
        return mb::No;
    }
    QString InputBox(const QString&, const QString&, const QString&) override { return {}; }
    QString OpenFileDialog(const QString&, const QString&, const QString&) override { return {}; }
    QString SaveFileDialog(const QString&, const QString&, const QString&) override { return {}; }
    bool PrinterDialog(const QString&) override { return false; }
    void SetBusy(bool) override {}
    void ClipboardSetText(const QString&) override {}
    void ClipboardSetImage(const QImage&) override {}
    [[noreturn]] void EndProgram(int code) override { std::exit(code); }
    float Timer() override {
        return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
    }
};

} // namespace quillorn::bench
