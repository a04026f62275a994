#pragma once

#include "base/message_log.h"

#include <QPointer>
#include <QString>
#include <memory>

class QDialog;

namespace quillorn {
class UserDialogs;
}

namespace quillorn::app {

class MessagesDialog;

// The message log and its window: everything Ghostscript prints, grouped in blocks, one per run.
// The window is made, hidden, on the first message or the first showing; closing it through its
// frame finishes it together with its log, and the next reference makes it afresh.
class MessagesWindow final : public Messages {
public:
    explicit MessagesWindow(UserDialogs& dialogs);
    ~MessagesWindow() override;
    MessagesWindow(const MessagesWindow&) = delete;
    MessagesWindow& operator=(const MessagesWindow&) = delete;

    void addMessage(const QString& text) override;
    void showMessages() override;
    void showMessagesModal() override;

    // The product name of the loaded Ghostscript, which opens every run's banner.
    void setProductName(const QString& name);

    // The log's text; empty while there is no window.
    QString log() const;
    // The live window, or null when there is none.
    QDialog* window() const;
    // Finishes the window and its log.
    void unload();

private:
    MessagesDialog& dialog();

    UserDialogs& dialogs_;
    QString productName_;
    std::unique_ptr<MessagesDialog> dialog_;
};

// How the log looks on screen and on the clipboard: CR LF and stray CRs become plain line
// breaks.
QString displayText(QStringView logText);

} // namespace quillorn::app
