#pragma once

#include <QImage>
#include <QPageSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <utility>

namespace quillorn {

// The program's title: the default title of every message box and the settings store's name.
inline const QString kAppTitle = QStringLiteral("Quillorn");

enum class Buttons { Ok, AbortRetryIgnore, YesNo };
enum class Icon { None, Critical, Question, Warning, Information };
enum class Answer { Ok, Abort, Retry, Ignore, Yes, No };

// A question with a check box under it, such as "Don't ask again".
struct CheckedAnswer {
    Answer answer = Answer::No;
    bool checked = false;
};

// What the print dialog starts from.
struct PrintRequest {
    QString title;
    QString printer;   // the print queue offered first; empty: the desktop's default
    QPageSize paper;   // invalid: the printer's own
    int pageCount = 0; // the highest page a range may name; 0 when unknown
};
// What the user chose in the print dialog.
struct PrintAnswer {
    QString printer; // the print queue's name; empty when the dialog offered none
    int copies = 1;
    QString pageRanges; // "1-2,4" as CUPS reads it; empty: every page
    QPageSize paper;    // invalid: the printer's own
};
// What the page setup dialog starts from.
struct PageSetupRequest {
    QString title;
    QString printer;
    QPageSize paper;
};

// What File > Properties shows: named values, and a list (the fonts) under them.
struct PropertiesSheet {
    QString title;
    QList<std::pair<QString, QString>> rows;
    QString listName;
    QStringList list;
};

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
    // Nothing on Cancel.
    virtual std::optional<PrintAnswer> printDialog(const PrintRequest& request) = 0;
    // The paper chosen; nothing on Cancel.
    virtual std::optional<QPageSize> pageSetupDialog(const PageSetupRequest& request) = 0;
    // A message box with a check box; closing it answers as ask() does, the box as it stands.
    virtual CheckedAnswer askWithCheckBox(const QString& text, const QString& checkBoxText,
                                          Buttons buttons, Icon icon,
                                          const QString& title = kAppTitle) = 0;

    // A read-only sheet of a document's properties; by default a message box of its rows.
    virtual void showProperties(const PropertiesSheet& sheet) {
        QStringList lines;
        for (const auto& [name, value] : sheet.rows)
            lines << name + QStringLiteral(": ") + value;
        const QString list =
            sheet.list.isEmpty() ? QString() : sheet.listName + u'\n' + sheet.list.join(u'\n');
        ask(lines.join(u'\n'), Buttons::Ok, Icon::Information, sheet.title, list);
    }

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
