#include "app/messages_window.h"

#include "base/user_dialogs.h"

#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace quillorn::app {

namespace {
QString errorInfoText(const QString& product) {
    const QString name = product.isEmpty() ? QStringLiteral("GPL Ghostscript") : product;
    return QCoreApplication::translate(
               "quillorn::app",
               "If you have to report an error, only send me the LAST Messages block "
               "(blocks start with '%1 .....' and a copyright notice), not the whole "
               "box.")
        .arg(name);
}
} // namespace

QString displayText(QStringView logText) {
    QString out;
    out.reserve(logText.size());
    for (qsizetype i = 0; i < logText.size(); ++i) {
        if (logText[i] != u'\r')
            out += logText[i];
        else if (i + 1 >= logText.size() || logText[i + 1] != u'\n')
            out += u'\n';
    }
    return out;
}

// The window itself. The text widget is brought up to date only while the window is visible, so
// appending to a hidden log costs no layout work.
class MessagesDialog : public QDialog {
public:
    MessagesDialog(UserDialogs& dialogs, const QString& productName)
        : dialogs_(dialogs), text_(new QPlainTextEdit(this)),
          info_(new QLabel(errorInfoText(productName), this)) {
        setObjectName(QStringLiteral("messagesWindow"));
        setWindowTitle(
            QCoreApplication::translate("quillorn::app", "Quillorn - GhostScript Messages"));
        log_.setProductName(productName);
        text_->setObjectName(QStringLiteral("messagesText"));
        text_->setReadOnly(true);
        text_->setLineWrapMode(QPlainTextEdit::NoWrap);
        // The widget keeps the newest lines; Copy takes the whole log.
        text_->setMaximumBlockCount(kShownLines);
        info_->setWordWrap(true);
        auto* ok = new QPushButton(QCoreApplication::translate("quillorn::app", "&OK"), this);
        ok->setObjectName(QStringLiteral("okButton"));
        ok->setDefault(true);
        auto* clear =
            new QPushButton(QCoreApplication::translate("quillorn::app", "&Clear Messages"), this);
        clear->setObjectName(QStringLiteral("clearButton"));
        auto* copy = new QPushButton(
            QCoreApplication::translate("quillorn::app", "Co&py to clipboard"), this);
        copy->setObjectName(QStringLiteral("copyButton"));

        auto* buttons = new QHBoxLayout;
        buttons->addWidget(ok);
        buttons->addWidget(clear);
        buttons->addWidget(copy);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(text_);
        layout->addWidget(info_);
        layout->addLayout(buttons);
        setTabOrder(text_, ok);
        setTabOrder(ok, clear);
        setTabOrder(clear, copy);
        setFixedSize(560, 400);

        connect(ok, &QPushButton::clicked, this, &QDialog::hide);
        connect(clear, &QPushButton::clicked, this, [this] {
            log_.clear();
            text_->clear();
            shownEnd_ = log_.end();
        });
        // The clipboard gets the text as it is shown, with this platform's line ends.
        connect(copy, &QPushButton::clicked, this,
                [this] { dialogs_.setClipboardText(displayText(log_.text())); });
        moveCaretToEnd();
    }

    void append(const QString& text) {
        log_.append(text);
        if (isVisible())
            syncView();
    }
    const QString& log() const { return log_.text(); }
    bool closedByUser() const { return closed_; }

protected:
    void closeEvent(QCloseEvent* event) override {
        QDialog::closeEvent(event);
        closed_ = true;
    }
    void showEvent(QShowEvent* event) override {
        syncView();
        moveCaretToEnd();
        QDialog::showEvent(event);
    }
    void changeEvent(QEvent* event) override {
        if (event->type() == QEvent::ActivationChange && isActiveWindow())
            moveCaretToEnd();
        QDialog::changeEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override {
        moveCaretToEnd();
        QDialog::focusInEvent(event);
    }

private:
    void syncView() {
        if (shownEnd_ == log_.end())
            return;
        QStringView news = log_.since(shownEnd_);
        // However much arrived while hidden, the window shows at once: the widget would keep no
        // more than its newest lines anyway.
        if (news.size() > kShownChars) {
            text_->clear();
            news = news.right(kShownChars);
        }
        QTextCursor cursor(text_->document());
        cursor.movePosition(QTextCursor::End);
        cursor.insertText(displayText(news));
        shownEnd_ = log_.end();
    }
    void moveCaretToEnd() {
        QTextCursor cursor = text_->textCursor();
        cursor.movePosition(QTextCursor::End);
        text_->setTextCursor(cursor);
    }

    UserDialogs& dialogs_;
    MessageLog log_;
    QPlainTextEdit* text_;
    QLabel* info_;
    static constexpr int kShownLines = 20000;
    static constexpr qsizetype kShownChars = qsizetype(1) << 20;
    qint64 shownEnd_ = 0; // where the log stood when the text widget was last brought up to date
    bool closed_ = false;
};

MessagesWindow::MessagesWindow(UserDialogs& dialogs) : dialogs_(dialogs) {}

MessagesWindow::~MessagesWindow() = default;

MessagesDialog& MessagesWindow::dialog() {
    // A window the user closed is finished here, not inside its own close event.
    if (dialog_ && dialog_->closedByUser())
        dialog_.reset();
    if (!dialog_)
        dialog_ = std::make_unique<MessagesDialog>(dialogs_, productName_);
    return *dialog_;
}

void MessagesWindow::addMessage(const QString& text) {
    dialog().append(text);
}

void MessagesWindow::showMessages() {
    MessagesDialog& window = dialog();
    window.show();
    window.raise();
    window.activateWindow();
}

void MessagesWindow::showMessagesModal() {
    dialog().exec();
}

void MessagesWindow::setProductName(const QString& name) {
    productName_ = name;
}

QString MessagesWindow::log() const {
    return dialog_ && !dialog_->closedByUser() ? dialog_->log() : QString();
}

QDialog* MessagesWindow::window() const {
    return dialog_ && !dialog_->closedByUser() ? dialog_.get() : nullptr;
}

void MessagesWindow::unload() {
    dialog_.reset();
}

} // namespace quillorn::app
