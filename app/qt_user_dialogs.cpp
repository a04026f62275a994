#include "app/qt_user_dialogs.h"

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace quillorn::app {

Answer QtUserDialogs::ask(const QString& text, Buttons buttons, Icon icon, const QString& title,
                          const QString& details) {
    QMessageBox box(parent_);
    box.setWindowTitle(title.isEmpty() ? kAppTitle : title);
    box.setText(text);
    box.setInformativeText(details);
    switch (icon) {
    case Icon::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::None:
        break;
    }
    switch (buttons) {
    case Buttons::AbortRetryIgnore:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        box.setEscapeButton(QMessageBox::Abort);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Ok;
    }
}

QString QtUserDialogs::getText(const QString& prompt, const QString& title, const QString& text) {
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, title.isEmpty() ? kAppTitle : title,
                                                 prompt, QLineEdit::Normal, text, &ok);
    return ok ? answer : QString();
}

QString QtUserDialogs::getPassword(const QString& prompt, const QString& title) {
    bool ok = false;
    const QString answer = QInputDialog::getText(parent_, title.isEmpty() ? kAppTitle : title,
                                                 prompt, QLineEdit::Password, QString(), &ok);
    return ok ? answer : QString();
}

QString QtUserDialogs::getOpenFileName(const QString& title, const QString& filter,
                                       const QString& directory) {
    return QFileDialog::getOpenFileName(parent_, title, directory, filter);
}

QString QtUserDialogs::getSaveFileName(const QString& title, const QString& filter,
                                       const QString& initialPath) {
    // QFileDialog asks before replacing an existing file unless told not to.
    return QFileDialog::getSaveFileName(parent_, title, initialPath, filter);
}

bool QtUserDialogs::printerDialog(const QString& title) {
    QPrinter printer;
    QPrintDialog dialog(&printer, parent_);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

void QtUserDialogs::setBusyCursor(bool busy) {
    // Nested busy spans keep the pointer busy until the outermost one ends.
    if (busy) {
        if (busy_++ == 0)
            QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    } else if (busy_ > 0 && --busy_ == 0) {
        QGuiApplication::restoreOverrideCursor();
    }
}

void QtUserDialogs::setClipboardText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

void QtUserDialogs::setClipboardImage(const QImage& image) {
    QGuiApplication::clipboard()->setImage(image);
}

} // namespace quillorn::app
