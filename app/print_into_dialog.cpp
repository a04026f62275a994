#include "app/print_into_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillorn::app {

PrintIntoDialog::PrintIntoDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("printIntoDialog"));
    setWindowTitle(tr("Print into Quillorn"));
    auto* layout = new QVBoxLayout(this);
    const auto text = [this, layout](const QString& words) {
        auto* label = new QLabel(words, this);
        label->setWordWrap(true);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        layout->addWidget(label);
    };
    const auto command = [this, layout](const QString& line) {
        auto* field = new QLineEdit(line, this);
        field->setObjectName(QStringLiteral("commandField"));
        field->setReadOnly(true);
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(line) + 24);
        layout->addWidget(field);
    };
    text(tr("Any program that prints PostScript can print into Quillorn, in one of "
            "two ways."));
    text(tr("1. Pipe the program's print output into Quillorn. A print job on its "
            "standard input opens the conversion dialog for it:"));
    command(QStringLiteral("program | quillorn"));
    command(QStringLiteral("groff -man -Tps bash.1 | quillorn"));
    text(tr("2. Print to a PostScript file: in the program's print dialog choose "
            "\"Print to File\" with the PostScript format. Then open the file with "
            "File > Open..., or view or convert it with:"));
    command(QStringLiteral("quillorn /VIEW:output.ps"));
    command(QStringLiteral("quillorn /CONVERT:output.ps"));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    buttons->button(QDialogButtonBox::Close)->setObjectName(QStringLiteral("closeButton"));
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

} // namespace quillorn::app
