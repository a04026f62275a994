#pragma once

#include "base/message_log.h"
#include "base/user_dialogs.h"

#include <QImage>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

namespace quillorn::test {

// Stands in for the user: message boxes, input boxes and file choosers answer from queues the
// test fills, and every question is recorded. An unscripted message box gets the safe answer
// for its buttons (OK, No, Abort), as Escape would.
class ScriptedDialogs : public UserDialogs {
public:
    struct Box {
        QString text;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
        QString title;
        QString checkBox; // the check box's text; empty for a plain message box
        QString details;
    };

    std::deque<Answer> answers;
    std::deque<QString> textAnswers;
    std::deque<QString> passwordAnswers;
    std::deque<QString> openAnswers;
    std::deque<QString> saveAnswers;
    std::deque<bool> checkAnswers; // whether the check box of a box that has one is ticked
    std::deque<std::optional<PrintAnswer>> printAnswers;
    std::deque<std::optional<QPageSize>> pageSetupAnswers;
    // Runs when a message box appears, before it is answered (lets a test look at the screen).
    std::function<void(const Box&)> onBox;

    std::vector<Box> boxes;
    QStringList textPrompts;
    QStringList textOffers; // the text each input box starts with
    QStringList passwordPrompts;
    QStringList openDirectories; // the folder each open dialog started in
    std::vector<PrintRequest> printRequests;
    std::vector<PageSetupRequest> pageSetupRequests;
    QStringList clipboardTexts;
    std::vector<QImage> clipboardImages;
    int busy = 0;

    Answer ask(const QString& text, Buttons buttons, Icon icon, const QString& title,
               const QString& details) override;
    QString getText(const QString& prompt, const QString& title, const QString& text) override;
    QString getPassword(const QString& prompt, const QString& title) override;
    QString getOpenFileName(const QString& title, const QString& filter,
                            const QString& directory) override;
    QString getSaveFileName(const QString& title, const QString& filter,
                            const QString& initialPath) override;
    std::optional<PrintAnswer> printDialog(const PrintRequest& request) override;
    std::optional<QPageSize> pageSetupDialog(const PageSetupRequest& request) override;
    CheckedAnswer askWithCheckBox(const QString& text, const QString& checkBoxText, Buttons buttons,
                                  Icon icon, const QString& title) override;
    void setBusyCursor(bool on) override { busy += on ? 1 : -1; }
    void setClipboardText(const QString& text) override { clipboardTexts << text; }
    void setClipboardImage(const QImage& image) override { clipboardImages.push_back(image); }

    // Records a box and answers it from the queues.
    CheckedAnswer respond(const Box& box);

    // The texts of every box shown so far, in order.
    QStringList texts() const;
    QStringList titles() const;
};

// Stands in for the application's messages window: keeps what Ghostscript wrote.
struct RecordingMessages : Messages {
    QString log;
    std::function<void()> onMessage = [] {}; // runs while Ghostscript is still running
    std::function<void()> onShow = [] {};    // the user is shown the log
    void addMessage(const QString& text) override { log += text, onMessage(); }
    void showMessages() override { onShow(); }
    void showMessagesModal() override { onShow(); }
};

} // namespace quillorn::test
