#include "app/qt_user_dialogs.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGuiApplication>
#include <QInputDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QVBoxLayout>

namespace quillorn::app {

namespace {

// The printer both dialogs start from.
void prepare(QPrinter& printer, const QString& name, const QPageSize& paper) {
    if (!name.isEmpty())
        printer.setPrinterName(name);
    if (paper.isValid())
        printer.setPageSize(paper);
}

} // namespace

PrintAnswer printAnswerFrom(const QPrinter& printer, const QPageSize& setUpPaper,
                            const QPageSize& printerDefault) {
    PrintAnswer answer;
    // Printing into a file is Convert's business; only a print queue counts.
    if (printer.outputFormat() == QPrinter::NativeFormat)
        answer.printer = printer.printerName();
    answer.copies = std::max(1, printer.copyCount());
    // Ranges set without the range choice do not count; the dialog sets both.
    if (printer.printRange() == QPrinter::PageRange)
        answer.pageRanges = printer.pageRanges().toString();
    answer.paper = printer.pageLayout().pageSize();
    if (setUpPaper.isValid() && answer.paper.isEquivalentTo(printerDefault))
        answer.paper = setUpPaper;
    return answer;
}

Answer QtUserDialogs::ask(const QString& text, Buttons buttons, Icon icon, const QString& title,
                          const QString& details) {
    return showBox(text, {}, buttons, icon, title, details).answer;
}

CheckedAnswer QtUserDialogs::askWithCheckBox(const QString& text, const QString& checkBoxText,
                                             Buttons buttons, Icon icon, const QString& title) {
    return showBox(text, checkBoxText, buttons, icon, title, {});
}

CheckedAnswer QtUserDialogs::showBox(const QString& text, const QString& checkBoxText,
                                     Buttons buttons, Icon icon, const QString& title,
                                     const QString& details) {
    QMessageBox box(parent_);
    if (!checkBoxText.isEmpty())
        box.setCheckBox(new QCheckBox(checkBoxText, &box));
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
    const int clicked = box.exec();
    const bool checked = box.checkBox() && box.checkBox()->isChecked();
    switch (clicked) {
    case QMessageBox::Abort:
        return {Answer::Abort, checked};
    case QMessageBox::Retry:
        return {Answer::Retry, checked};
    case QMessageBox::Ignore:
        return {Answer::Ignore, checked};
    case QMessageBox::Yes:
        return {Answer::Yes, checked};
    case QMessageBox::No:
        return {Answer::No, checked};
    default:
        return {Answer::Ok, checked};
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

std::optional<PrintAnswer> QtUserDialogs::printDialog(const PrintRequest& request) {
    QPrinter printer;
    prepare(printer, request.printer, request.paper);
    QPrintDialog dialog(&printer, parent_);
    dialog.setWindowTitle(request.title);
    // The file goes to the printer as it is: pages by number, no selection, no file output.
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange |
                      QAbstractPrintDialog::PrintShowPageSize);
    if (request.pageCount > 0)
        dialog.setMinMax(1, request.pageCount);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printAnswerFrom(printer, request.paper,
                           QPrinterInfo::printerInfo(printer.printerName()).defaultPageSize());
}

std::optional<QPageSize> QtUserDialogs::pageSetupDialog(const PageSetupRequest& request) {
    QPrinter printer;
    prepare(printer, request.printer, request.paper);
    QPageSetupDialog dialog(&printer, parent_);
    dialog.setWindowTitle(request.title);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return printer.pageLayout().pageSize();
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

void QtUserDialogs::showProperties(const PropertiesSheet& sheet) {
    QDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("propertiesDialog"));
    dialog.setWindowTitle(sheet.title);
    dialog.setMinimumWidth(480);
    auto* layout = new QVBoxLayout(&dialog);
    auto* form = new QFormLayout;
    for (const auto& [name, value] : sheet.rows) {
        auto* label = new QLabel(value.toHtmlEscaped(), &dialog);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
        form->addRow(name + u':', label);
    }
    layout->addLayout(form);
    if (!sheet.list.isEmpty()) {
        layout->addWidget(new QLabel(sheet.listName, &dialog));
        auto* list = new QListWidget(&dialog);
        list->addItems(sheet.list);
        layout->addWidget(list);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.exec();
}

} // namespace quillorn::app
