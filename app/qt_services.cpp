#include "app/qt_services.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QTime>
#include <cstdlib>

namespace quillorn {

int QtServices::MsgBox(const QString& prompt, int style, const QString& title) {
    QMessageBox box(parent_);
    box.setWindowTitle(title.isEmpty() ? kAppTitle : title);
    box.setText(prompt);
    switch (style & 0x70) {
    case mb::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case mb::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case mb::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case mb::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    switch (style & 0x0F) {
    case mb::AbortRetryIgnore:
        box.setStandardButtons(QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore);
        box.setEscapeButton(QMessageBox::Abort);
        break;
    case mb::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Abort:
        return mb::Abort;
    case QMessageBox::Retry:
        return mb::Retry;
    case QMessageBox::Ignore:
        return mb::Ignore;
    case QMessageBox::Yes:
        return mb::Yes;
    case QMessageBox::No:
        return mb::No;
    default:
        return mb::Ok;
    }
}

QString QtServices::InputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, title.isEmpty() ? kAppTitle : title, prompt,
                                               QLineEdit::Normal, defaultText, &ok);
    return ok ? text : QString();
}

QString QtServices::OpenFileDialog(const QString& title, const QString& filter,
                                   const QString& directory) {
    return QFileDialog::getOpenFileName(parent_, title, directory, filter);
}

QString QtServices::SaveFileDialog(const QString& title, const QString& filter,
                                   const QString& initialPath) {
    // QFileDialog asks before overwriting an existing file unless told not to.
    return QFileDialog::getSaveFileName(parent_, title, initialPath, filter);
}

bool QtServices::PrinterDialog(const QString& title) {
    QPrinter printer;
    QPrintDialog dialog(&printer, parent_);
    dialog.setWindowTitle(title);
    return dialog.exec() == QDialog::Accepted;
}

void QtServices::SetBusy(bool busy) {
    if (busy == busy_)
        return;
    busy_ = busy;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QGuiApplication::restoreOverrideCursor();
}

void QtServices::ClipboardSetText(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
}

void QtServices::ClipboardSetImage(const QImage& image) {
    QGuiApplication::clipboard()->setImage(image);
}

void QtServices::EndProgram(int exitCode) {
    // At once: no window's closing handler runs. Files that must not outlive the program are
    // removed by their owners before this is called.
    std::exit(exitCode);
}

float QtServices::Timer() {
    return static_cast<float>(QTime::currentTime().msecsSinceStartOfDay()) / 1000.0f;
}

} // namespace quillorn
