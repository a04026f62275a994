#pragma once

#include "app/core/services.h"

#include <QPointer>
#include <QWidget>

namespace quillorn {

// The window-system services users get: Qt's message boxes, dialogs, clipboard and cursor.
class QtServices final : public WindowServices {
public:
    // Dialogs are centred on this window while it exists.
    void SetParentWindow(QWidget* window) { parent_ = window; }

    int MsgBox(const QString& prompt, int style, const QString& title) override;
    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    QString OpenFileDialog(const QString& title, const QString& filter,
                           const QString& directory) override;
    QString SaveFileDialog(const QString& title, const QString& filter,
                           const QString& initialPath) override;
    bool PrinterDialog(const QString& title) override;
    void SetBusy(bool busy) override;
    void ClipboardSetText(const QString& text) override;
    void ClipboardSetImage(const QImage& image) override;
    [[noreturn]] void EndProgram(int exitCode) override;
    float Timer() override;

private:
    QPointer<QWidget> parent_;
    bool busy_ = false;
};

} // namespace quillorn
