#pragma once

#include <QString>

namespace quillorn {

// The text of the message log. Line breaks are CR LF; a message that begins with one of the
// block markers ("AFPL", or the loaded Ghostscript's banner: its product name, version and date)
// starts on a new line.
// Appending costs in proportion to the appended text. The log keeps at most kMaxChars characters:
// past that the oldest blocks go, and a line at the top says how much was dropped.
class MessageLog {
public:
    static constexpr qsizetype kMaxChars = qsizetype(4) << 20;

    // A message the way the log stores it: every LF becomes CR LF.
    static QString converted(const QString& message);
    // True when the converted message opens a new block.
    bool startsBlock(const QString& converted) const;

    // Returns what was appended to the text (possibly empty).
    QString append(const QString& message);
    void clear();
    const QString& text() const { return text_; }
    // Where the log's text ends, counted from the first character ever appended: a view that
    // has shown up to some end shows the rest from there (what went in between is dropped).
    qint64 end() const { return dropped_ + text_.size(); }
    // The text from an end a view had shown; all of it when that part was dropped since.
    QStringView since(qint64 shownEnd) const;

    // The product name of the loaded Ghostscript; it opens each run's banner.
    void setProductName(const QString& name) { productName_ = name; }
    const QString& productName() const { return productName_; }

private:
    void dropOldest();

    QString text_;
    QString productName_;
    qint64 dropped_ = 0;     // where the text's first character stands, counted from the start
    qint64 droppedNote_ = 0; // how long the note at the front is
    qint64 lostChars_ = 0;   // the messages' characters dropped
};

// Where Ghostscript's output goes during a run.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void addMessage(const QString& text) = 0;
};

// The message log as the rest of the program sees it: appended to, and shown on request.
class Messages : public MessageSink {
public:
    // Shows the messages window and returns at once.
    virtual void showMessages() = 0;
    // Shows it and returns when the user has hidden or closed it.
    virtual void showMessagesModal() = 0;
};

} // namespace quillorn
