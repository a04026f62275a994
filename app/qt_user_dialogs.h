#pragma once

#include "base/user_dialogs.h"

#include <QPointer>
#include <QWidget>

namespace quillorn::app {

// The dialogs users get: Qt's message boxes, input and file dialogs, clipboard and cursor.
class QtUserDialogs final : public UserDialogs {
public:
    // Dialogs are centred on this window while it exists.
    void setParentWindow(QWidget* window) { parent_ = window; }

    Answer ask(const QString& text, Buttons buttons, Icon icon, const QString& title,
               const QString& details) override;
    QString getText(const QString& prompt, const QString& title, const QString& text) override;
    QString getPassword(const QString& prompt, const QString& title) override;
    QString getOpenFileName(const QString& title, const QString& filter,
                            const QString& directory) override;
    QString getSaveFileName(const QString& title, const QString& filter,
                            const QString& initialPath) override;
    bool printerDialog(const QString& title) override;
    void setBusyCursor(bool busy) override;
    void setClipboardText(const QString& text) override;
    void setClipboardImage(const QImage& image) override;

private:
    QPointer<QWidget> parent_;
    int busy_ = 0;
};

} // namespace quillorn::app
