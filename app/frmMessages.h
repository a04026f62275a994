#pragma once

#include "app/core/message_log.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace quillorn {

class WindowServices;

// The message log window: everything Ghostscript prints, grouped in blocks, one per run.
// The text widget is brought up to date only while the window is visible, so appending to a
// hidden log costs no layout work.
class frmMessages : public QDialog {
    Q_OBJECT
public:
    frmMessages(WindowServices& services, QWidget* parent = nullptr);

    void AddMessage(const QString& strMessage);
    const QString& Log() const { return log_.Text(); }
    void SetProductName(const QString& name);

    QPlainTextEdit* txtMessages = nullptr;
    QLabel* lblErrorInfo = nullptr;
    QPushButton* cmdOkay = nullptr;
    QPushButton* cmdClearMsgs = nullptr;
    QPushButton* cmdClipboard = nullptr;

    void cmdOkay_Click();
    void cmdClearMsgs_Click();
    void cmdClipboard_Click();

signals:
    // The user closed the window through its frame: the window and its log are finished.
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    void SyncView();
    void MoveCaretToEnd();

    WindowServices& services_;
    MessageLog log_;
    qsizetype shownLength_ = 0; // how much of the log the text widget holds
};

// How the log looks on screen: CR LF and stray CRs become plain line breaks.
QString DisplayText(QStringView logText);

} // namespace quillorn
