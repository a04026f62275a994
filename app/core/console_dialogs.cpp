#include "app/core/console_dialogs.h"

#include <cstdio>

namespace quillorn::app {

namespace {
// A box's text on one line: its paragraphs and line breaks become single blanks.
QString oneLine(const QString& text) {
    return text.simplified();
}
} // namespace

void printError(const QString& line) {
    std::fputs((QStringLiteral("quillorn: ") + line + u'\n').toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

void ConsoleDialogs::complain(const QString& text, const QString& details, bool refused) {
    if (!complaint_)
        complaint_ = Complaint{oneLine(text), oneLine(details), refused};
}

Answer ConsoleDialogs::ask(const QString& text, Buttons buttons, Icon icon, const QString&,
                           const QString& details) {
    switch (buttons) {
    case Buttons::YesNo:
        if (icon == Icon::Question && replaceFiles_)
            return Answer::Yes;
        complain(text, details, icon == Icon::Question);
        return Answer::No;
    case Buttons::AbortRetryIgnore:
        complain(text, details, false);
        return Answer::Abort;
    case Buttons::Ok:
        break;
    }
    if (icon == Icon::Warning || icon == Icon::Critical)
        complain(text, details, false);
    else
        printError(oneLine(text));
    return Answer::Ok;
}

void ConsoleMessages::addMessage(const QString& text) {
    if (!shown_)
        return;
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
}

void ProgressLine::show(const QString& text, bool now) {
    // A terminal redrawn for every page of a fast run costs more than the run.
    if (!now && drawn_ && lastDrawn_.isValid() && lastDrawn_.elapsed() < 100)
        return;
    lastDrawn_.start();
    std::fputs((QStringLiteral("\r\x1b[K") + text).toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    drawn_ = true;
}

void ProgressLine::clear() {
    if (!drawn_)
        return;
    std::fputs("\r\x1b[K", stderr);
    std::fflush(stderr);
    drawn_ = false;
}

void ConsoleProgress::started(std::optional<int> pageCount, std::function<void()>) {
    count_ = pageCount;
    page_ = 0;
    draw(true);
}

void ConsoleProgress::pageReached(int page) {
    page_ = page;
    draw(false);
}

void ConsoleProgress::draw(bool now) {
    QString text = QStringLiteral("%1: %2").arg(name_).arg(page_);
    text += count_ ? QStringLiteral("/%1 pages").arg(*count_) : QStringLiteral(" pages");
    line_.show(text, now);
}

} // namespace quillorn::app
