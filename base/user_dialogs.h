#pragma once

#include <QImage>
#include <QString>

namespace quillorn {

// The program's title: the default title of every message box and the settings store's name.
inline const QString kAppTitle = QStringLiteral("Quillorn");

enum class Buttons { Ok, AbortRetryIgnore, YesNo };
enum class Icon { None, Critical, Question, Warning, Information };
enum class Answer { Ok, Abort, Retry, Ignore, Yes, No };

// Everything the program asks of the user or of the desktop goes through this interface, so a
// test can script the answers. QtUserDialogs is the implementation users get.
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // A message box. Closing it without a choice answers Abort, No or Ok, as Escape would.
    // details, when given, is shown under the text in a smaller type: what Ghostscript said.
    virtual Answer ask(const QString& text, Buttons buttons, Icon icon,
                       const QString& title = kAppTitle, const QString& details = {}) = 0;
    void message(const QString& text, Icon icon = Icon::None, const QString& title = kAppTitle) {
        ask(text, Buttons::Ok, icon, title);
    }
    // The text typed, or the empty text on Cancel.
    virtual QString getText(const QString& prompt, const QString& title,
                            const QString& text = {}) = 0;
    // A password typed with its characters hidden, or the empty text on Cancel.
    virtual QString getPassword(const QString& prompt, const QString& title) = 0;
    // The chosen path, or the empty text on Cancel.
    virtual QString getOpenFileName(const QString& title, const QString& filter,
                                    const QString& directory = {}) = 0;
    // Asks before replacing an existing file.
    virtual QString getSaveFileName(const QString& title, const QString& filter,
                                    const QString& initialPath = {}) = 0;
    // True when the user accepted the printer dialog.
    virtual bool printerDialog(const QString& title) = 0;

    virtual void setBusyCursor(bool busy) = 0;
    virtual void setClipboardText(const QString& text) = 0;
    virtual void setClipboardImage(const QImage& image) = 0;
};

// The busy pointer for as long as it lives.
class BusyCursor {
public:
    explicit BusyCursor(UserDialogs& dialogs) : dialogs_(dialogs) { dialogs_.setBusyCursor(true); }
    ~BusyCursor() { dialogs_.setBusyCursor(false); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;

private:
    UserDialogs& dialogs_;
};

} // namespace quillorn
