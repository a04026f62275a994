#pragma once

#include "system/core/download.h"

#include <QDialog>
#include <memory>

class QLabel;
class QProgressDialog;

namespace quillorn::system {

// Asks where a download goes (save there, choose another place, cancel), then shows its
// progress with a Cancel button. Both windows are modal; the program's other windows repaint.
class DownloadDialog : public QDialog, public DownloadView {
    Q_OBJECT
public:
    explicit DownloadDialog(QWidget* parent = nullptr);
    ~DownloadDialog() override;

    // Fetches url into directory/fileName after asking the user, with a progress window.
    // "c:\" and "c:" as the directory stand for the user's download directory. The path of the
    // file saved, or the empty text when no download completed; shows no message box of its own.
    static QString download(const QString& title, const QString& url, const QString& directory,
                            const QString& fileName, UserDialogs& dialogs, MessageSink& messages,
                            QWidget* parent = nullptr);

    DownloadChoice askWhere(const QString& title, const QString& url, const QString& destination,
                            bool replacing) override;
    void showProgress(const QString& title, const QString& destination,
                      std::function<void()> cancel) override;
    void setProgress(qint64 received, qint64 total) override;
    void hideProgress() override;

private:
    void choose(DownloadChoice choice);

    QLabel* address_;
    QLabel* destination_;
    QLabel* replacing_;
    std::unique_ptr<QProgressDialog> progress_;
    QString destinationPath_;
    std::function<void()> cancel_;
    bool ended_ = false; // the transfer has ended: no progress to wait on
    DownloadChoice choice_ = DownloadChoice::Cancel;
};

} // namespace quillorn::system
