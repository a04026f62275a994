#include "system/install_progress.h"

#include <QProgressDialog>
#include <utility>

namespace quillorn::system {

InstallProgress::InstallProgress(QWidget* parent) : parent_(parent) {}

InstallProgress::~InstallProgress() = default;

void InstallProgress::showWaiting(const QString& package, std::function<void()> cancel) {
    dialog_ = std::make_unique<QProgressDialog>(parent_);
    dialog_->setObjectName(QStringLiteral("installProgress"));
    dialog_->setWindowTitle(tr("Installing Ghostscript"));
    dialog_->setLabelText(
        tr("Waiting for the package manager to install %1, the Ghostscript library...")
            .arg(package));
    dialog_->setAutoReset(false);
    dialog_->setAutoClose(false);
    dialog_->setRange(0, 0);
    cancel_ = std::move(cancel);
    dialog_->exec();
    dialog_.reset();
    // Still owed when the user closed the window (Cancel, Escape, the close button) before the
    // answer came; hideWaiting has taken it otherwise.
    if (const std::function<void()> cancelWait = std::exchange(cancel_, nullptr))
        cancelWait();
}

void InstallProgress::hideWaiting() {
    cancel_ = nullptr;
    if (dialog_)
        dialog_->hide(); // ends its exec()
}

} // namespace quillorn::system
