#include "system/frmDownload.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillorn::system {

frmDownload::frmDownload(QWidget* parent) : QDialog(parent) {
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    lblAddress_ = new QLabel(this);
    lblDestination_ = new QLabel(this);
    for (QLabel* label : {lblAddress_, lblDestination_}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
    }
    form->addRow(tr("Address:"), lblAddress_);
    form->addRow(tr("Save to:"), lblDestination_);

    auto* buttons = new QDialogButtonBox(this);
    cmdSave_ = buttons->addButton(tr("&Save"), QDialogButtonBox::AcceptRole);
    cmdSaveAs_ = buttons->addButton(tr("Save &As..."), QDialogButtonBox::ActionRole);
    cmdCancel_ = buttons->addButton(QDialogButtonBox::Cancel);
    cmdSave_->setObjectName(QStringLiteral("cmdSave"));
    cmdSaveAs_->setObjectName(QStringLiteral("cmdSaveAs"));
    cmdCancel_->setObjectName(QStringLiteral("cmdCancel"));
    cmdSave_->setDefault(true);
    layout->addWidget(buttons);

    connect(cmdSave_, &QPushButton::clicked, this, &frmDownload::cmdSave_Click);
    connect(cmdSaveAs_, &QPushButton::clicked, this, &frmDownload::cmdSaveAs_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmDownload::cmdCancel_Click);
}

frmDownload::~frmDownload() = default;

void frmDownload::Choose(DownloadChoice choice) {
    choice_ = choice;
    accept();
}

DownloadChoice frmDownload::AskWhere(const QString& title, const QString& url,
                                     const QString& destination) {
    setWindowTitle(title);
    lblAddress_->setText(url);
    lblDestination_->setText(destination);
    // Closing the window is a cancel.
    choice_ = DownloadChoice::Cancel;
    exec();
    return choice_;
}

void frmDownload::ShowProgress(const QString& title, const QString& destination,
                               std::function<void()> cancel) {
    cancel_ = std::move(cancel);
    destination_ = destination;
    dlgProgress_ = std::make_unique<QProgressDialog>(parentWidget());
    dlgProgress_->setWindowTitle(title);
    dlgProgress_->setWindowModality(Qt::ApplicationModal);
    dlgProgress_->setAutoReset(false);
    dlgProgress_->setAutoClose(false);
    dlgProgress_->setMinimumDuration(0);
    dlgProgress_->setRange(0, 0);
    dlgProgress_->setLabelText(tr("Saving to %1").arg(destination));
    connect(dlgProgress_.get(), &QProgressDialog::canceled, this,
            &frmDownload::dlgProgress_Canceled);
    dlgProgress_->show();
}

void frmDownload::SetProgress(qint64 received, qint64 total) {
    if (!dlgProgress_)
        return;
    const QLocale locale;
    QString text = tr("Saving to %1\n%2").arg(destination_, locale.formattedDataSize(received));
    if (total > 0) {
        text += tr(" of %1").arg(locale.formattedDataSize(total));
        // The bar counts in thousandths so that files beyond 2 GB fit its int range.
        dlgProgress_->setRange(0, 1000);
        dlgProgress_->setValue(static_cast<int>(received * 1000 / total));
    }
    dlgProgress_->setLabelText(text);
}

void frmDownload::HideProgress() {
    cancel_ = nullptr;
    if (dlgProgress_) {
        dlgProgress_->disconnect(this);
        dlgProgress_->hide();
        dlgProgress_.reset();
    }
}

void frmDownload::dlgProgress_Canceled() {
    if (cancel_)
        cancel_();
}

} // namespace quillorn::system
