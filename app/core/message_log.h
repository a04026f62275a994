#pragma once

#include <QString>
#include <functional>

namespace quillorn {

// The text of the message log. Line breaks are CR LF; a message that begins with one of the
// block markers ("AFPL", or the loaded Ghostscript's product name) starts on a new line.
// Appending costs in proportion to the appended text.
class MessageLog {
public:
    // Converts a message the way the log stores it: every LF becomes CR LF.
    static QString Convert(const QString& message);
    // True when the converted message opens a new block.
    bool StartsBlock(const QString& converted) const;

    // Returns what was appended to the text (possibly empty).
    QString Append(const QString& message);
    void Clear() { text_.clear(); }
    const QString& Text() const { return text_; }

    // The product name of the loaded Ghostscript; it opens each run's banner.
    void SetProductName(const QString& name) { productName_ = name; }
    const QString& ProductName() const { return productName_; }

private:
    QString text_;
    QString productName_;
};

// Showing the messages window, for the parts of the program that offer the user a look at
// Ghostscript's messages.
class MessagesWindow {
public:
    virtual ~MessagesWindow() = default;
    // Shows the window and returns at once.
    virtual void ShowModeless() = 0;
    // Shows the window and returns when the user has hidden or closed it.
    virtual void ShowModal() = 0;
};

// AddMessage reaches the messages window through a handler that the application installs
// once; until then messages are dropped.
using MessageHandler = std::function<void(const QString&)>;
void SetMessageHandler(MessageHandler handler);
void AddMessage(const QString& message);

} // namespace quillorn
