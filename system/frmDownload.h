#pragma once

#include "system/core/download.h"

#include <QDialog>
#include <memory>

class QLabel;
class QProgressDialog;
class QPushButton;

namespace quillorn::system {

// Asks where a download goes (save there, choose another place, cancel), then shows its
// progress with a Cancel button. Both windows are modal; the program's other windows repaint.
class frmDownload : public QDialog, public DownloadView {
    Q_OBJECT
public:
    explicit frmDownload(QWidget* parent = nullptr);
    ~frmDownload() override;

    DownloadChoice AskWhere(const QString& title, const QString& url,
                            const QString& destination) override;
    void ShowProgress(const QString& title, const QString& destination,
                      std::function<void()> cancel) override;
    void SetProgress(qint64 received, qint64 total) override;
    void HideProgress() override;

    // The progress window while a transfer runs, otherwise null.
    QProgressDialog* ProgressWindow() const { return dlgProgress_.get(); }

private:
    void cmdSave_Click() { Choose(DownloadChoice::Save); }
    void cmdSaveAs_Click() { Choose(DownloadChoice::SaveElsewhere); }
    void cmdCancel_Click() { Choose(DownloadChoice::Cancel); }
    void dlgProgress_Canceled();
    void Choose(DownloadChoice choice);

    QLabel* lblAddress_;
    QLabel* lblDestination_;
    QPushButton* cmdSave_;
    QPushButton* cmdSaveAs_;
    QPushButton* cmdCancel_;
    std::unique_ptr<QProgressDialog> dlgProgress_;
    QString destination_;
    std::function<void()> cancel_;
    DownloadChoice choice_ = DownloadChoice::Cancel;
};

} // namespace quillorn::system
