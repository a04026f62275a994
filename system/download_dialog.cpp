#include "system/download_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillorn::system {

DownloadDialog::DownloadDialog(QWidget* parent)
    : QDialog(parent), address_(new QLabel(this)), destination_(new QLabel(this)),
      replacing_(new QLabel(tr("A file of this name is already there. It is replaced once the "
                               "whole download has arrived, and kept as it is otherwise."),
                            this)) {
    setObjectName(QStringLiteral("downloadDialog"));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    for (QLabel* label : {address_, destination_}) {
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
    }
    form->addRow(tr("Address:"), address_);
    form->addRow(tr("Save to:"), destination_);
    replacing_->setObjectName(QStringLiteral("replacingNote"));
    replacing_->setWordWrap(true);
    layout->addWidget(replacing_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* save = buttons->addButton(tr("&Save"), QDialogButtonBox::AcceptRole);
    QPushButton* saveAs = buttons->addButton(tr("Save &As..."), QDialogButtonBox::ActionRole);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    save->setObjectName(QStringLiteral("saveButton"));
    saveAs->setObjectName(QStringLiteral("saveAsButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    save->setDefault(true);
    layout->addWidget(buttons);

    connect(save, &QPushButton::clicked, this, [this] { choose(DownloadChoice::Save); });
    connect(saveAs, &QPushButton::clicked, this, [this] { choose(DownloadChoice::SaveElsewhere); });
    connect(cancel, &QPushButton::clicked, this, [this] { choose(DownloadChoice::Cancel); });
}

DownloadDialog::~DownloadDialog() = default;

QString DownloadDialog::download(const QString& title, const QString& url, const QString& directory,
                                 const QString& fileName, UserDialogs& dialogs,
                                 MessageSink& messages, QWidget* parent) {
    DownloadDialog dialog(parent);
    return downloadFile(title, url, directory, fileName, dialogs, dialog, messages);
}

void DownloadDialog::choose(DownloadChoice choice) {
    choice_ = choice;
    accept();
}

DownloadChoice DownloadDialog::askWhere(const QString& title, const QString& url,
                                        const QString& destination, bool replacing) {
    setWindowTitle(title);
    address_->setText(url);
    destination_->setText(destination);
    replacing_->setVisible(replacing);
    // Closing the window is a cancel.
    choice_ = DownloadChoice::Cancel;
    exec();
    return choice_;
}

void DownloadDialog::showProgress(const QString& title, const QString& destination,
                                  std::function<void()> cancel) {
    cancel_ = std::move(cancel);
    ended_ = false;
    destinationPath_ = destination;
    progress_ = std::make_unique<QProgressDialog>(parentWidget());
    progress_->setObjectName(QStringLiteral("downloadProgress"));
    progress_->setWindowTitle(title);
    progress_->setWindowModality(Qt::ApplicationModal);
    progress_->setAutoReset(false);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(0);
    progress_->setRange(0, 0);
    progress_->setLabelText(tr("Saving to %1").arg(destination));
    connect(progress_.get(), &QProgressDialog::canceled, this, [this] {
        // A copy: the transfer's end, which the cancel brings, lets go of cancel_.
        if (const std::function<void()> cancel = cancel_)
            cancel();
    });
    // Modal until the transfer has ended; it may have ended already.
    if (!ended_)
        progress_->exec();
    progress_.reset();
}

void DownloadDialog::setProgress(qint64 received, qint64 total) {
    if (!progress_)
        return;
    const QLocale locale;
    QString text = tr("Saving to %1\n%2").arg(destinationPath_, locale.formattedDataSize(received));
    if (total > 0) {
        text += tr(" of %1").arg(locale.formattedDataSize(total));
        // The bar counts in thousandths so that files beyond 2 GB fit its int range.
        progress_->setRange(0, 1000);
        progress_->setValue(static_cast<int>(received * 1000 / total));
    }
    progress_->setLabelText(text);
}

void DownloadDialog::hideProgress() {
    cancel_ = nullptr;
    ended_ = true;
    if (progress_) {
        progress_->disconnect(this);
        progress_->hide(); // ends its modal run
    }
}

} // namespace quillorn::system
