#pragma once

#include "base/message_log.h"
#include "base/user_dialogs.h"
#include "convert/core/conversion.h"

#include <QElapsedTimer>
#include <QString>
#include <optional>

namespace quillorn::app {

// The user of a conversion started from a terminal, where nobody answers: questions get the
// answer that keeps things as they are, and what the run complained of is kept for one line on
// standard error. A permission question (Yes/No with the question icon, "replace it?") is
// answered Yes only when replacing was allowed; Abort/Retry/Ignore is answered Abort; any other
// Yes/No ("look at the messages?") No. Notes that are no complaint go to standard error as they
// come.
class ConsoleDialogs : public UserDialogs {
public:
    explicit ConsoleDialogs(bool replaceFiles) : replaceFiles_(replaceFiles) {}

    // What the run complained of first, since the last call: the question or message, and
    // Ghostscript's words on it where it gave them.
    struct Complaint {
        QString text;
        QString details;
        bool refused = false; // a permission the console did not give
    };
    std::optional<Complaint> takeComplaint() { return std::exchange(complaint_, std::nullopt); }

    Answer ask(const QString& text, Buttons buttons, Icon icon, const QString& title,
               const QString& details) override;
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

private:
    void complain(const QString& text, const QString& details, bool refused);

    bool replaceFiles_;
    std::optional<Complaint> complaint_;
};

// Ghostscript's messages: on standard error as they come (--verbose), or nowhere.
class ConsoleMessages : public MessageSink {
public:
    explicit ConsoleMessages(bool shown) : shown_(shown) {}
    void addMessage(const QString& text) override;

private:
    bool shown_;
};

// One line on standard error, for a terminal, that the conversions under way share: redrawn at
// most ten times a second, cleared when it is done with.
class ProgressLine {
public:
    ~ProgressLine() { clear(); }
    void show(const QString& text, bool now);
    void clear();

private:
    bool drawn_ = false;
    QElapsedTimer lastDrawn_;
};

// A conversion's progress on the progress line: "name: 12/87 pages".
class ConsoleProgress : public convert::ConversionProgress {
public:
    ConsoleProgress(QString name, ProgressLine& line) : name_(std::move(name)), line_(line) {}

    void started(std::optional<int> pageCount, std::function<void()> cancel) override;
    void pageReached(int page) override;
    void finished() override { line_.clear(); }

private:
    void draw(bool now);

    QString name_;
    ProgressLine& line_;
    std::optional<int> count_;
    int page_ = 0;
};

// One line on standard error, "quillorn: " before it.
void printError(const QString& line);

} // namespace quillorn::app
