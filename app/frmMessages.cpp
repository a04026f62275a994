#include "app/frmMessages.h"

#include "app/core/services.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QVBoxLayout>

namespace quillorn {

namespace {
QString ErrorInfoText(const QString& product) {
    const QString name = product.isEmpty() ? QStringLiteral("GPL Ghostscript") : product;
    return QStringLiteral("If you have to report an error, only send me the LAST Messages block "
                          "(blocks start with '%1 .....' and a copyright notice), not the whole "
                          "box.")
        .arg(name);
}
} // namespace

QString DisplayText(QStringView logText) {
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

frmMessages::frmMessages(WindowServices& services, QWidget* parent)
    : QDialog(parent), services_(services) {
    setWindowTitle(QStringLiteral("Quillorn - GhostScript Messages"));
    txtMessages = new QPlainTextEdit(this);
    txtMessages->setReadOnly(true);
    txtMessages->setLineWrapMode(QPlainTextEdit::NoWrap);
    lblErrorInfo = new QLabel(ErrorInfoText({}), this);
    lblErrorInfo->setWordWrap(true);
    cmdOkay = new QPushButton(QStringLiteral("&OK"), this);
    cmdOkay->setDefault(true);
    cmdClearMsgs = new QPushButton(QStringLiteral("&Clear Messages"), this);
    cmdClipboard = new QPushButton(QStringLiteral("C&opy to clipboard"), this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOkay);
    buttons->addWidget(cmdClearMsgs);
    buttons->addWidget(cmdClipboard);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtMessages);
    layout->addWidget(lblErrorInfo);
    layout->addLayout(buttons);
    setTabOrder(txtMessages, cmdOkay);
    setTabOrder(cmdOkay, cmdClearMsgs);
    setTabOrder(cmdClearMsgs, cmdClipboard);
    setFixedSize(560, 400);

    connect(cmdOkay, &QPushButton::clicked, this, &frmMessages::cmdOkay_Click);
    connect(cmdClearMsgs, &QPushButton::clicked, this, &frmMessages::cmdClearMsgs_Click);
    connect(cmdClipboard, &QPushButton::clicked, this, &frmMessages::cmdClipboard_Click);
    MoveCaretToEnd();
}

void frmMessages::SetProductName(const QString& name) {
    log_.SetProductName(name);
    lblErrorInfo->setText(ErrorInfoText(name));
}

void frmMessages::AddMessage(const QString& strMessage) {
    log_.Append(strMessage);
    if (isVisible())
        SyncView();
}

void frmMessages::SyncView() {
    const QString& text = log_.Text();
    if (shownLength_ == text.size())
        return;
    QTextCursor cursor(txtMessages->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(DisplayText(QStringView(text).mid(shownLength_)));
    shownLength_ = text.size();
}

void frmMessages::MoveCaretToEnd() {
    QTextCursor cursor = txtMessages->textCursor();
    cursor.movePosition(QTextCursor::End);
    txtMessages->setTextCursor(cursor);
}

void frmMessages::cmdOkay_Click() {
    hide();
}

void frmMessages::cmdClearMsgs_Click() {
    log_.Clear();
    txtMessages->clear();
    shownLength_ = 0;
}

void frmMessages::cmdClipboard_Click() {
    services_.ClipboardSetText(log_.Text());
}

void frmMessages::closeEvent(QCloseEvent* event) {
    QDialog::closeEvent(event);
    emit closedByUser();
}

void frmMessages::showEvent(QShowEvent* event) {
    SyncView();
    MoveCaretToEnd();
    QDialog::showEvent(event);
}

void frmMessages::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        MoveCaretToEnd();
    QDialog::changeEvent(event);
}

void frmMessages::focusInEvent(QFocusEvent* event) {
    MoveCaretToEnd();
    QDialog::focusInEvent(event);
}

} // namespace quillorn
