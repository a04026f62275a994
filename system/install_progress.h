#pragma once

#include "system/core/ghostscript_check.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QProgressDialog;
class QWidget;

namespace quillorn::system {

// The wait for the package manager: a modal window with a busy bar and a Cancel button.
// showWaiting returns only once hideWaiting has closed it, so a start-up that needs the check's
// outcome at once can use it; the other windows repaint meanwhile.
class InstallProgress : public QObject, public InstallView {
    Q_OBJECT
public:
    explicit InstallProgress(QWidget* parent = nullptr);
    ~InstallProgress() override;

    void showWaiting(const QString& package, std::function<void()> cancel) override;
    void hideWaiting() override;

private:
    QPointer<QWidget> parent_;
    std::unique_ptr<QProgressDialog> dialog_;
    std::function<void()> cancel_;
};

} // namespace quillorn::system
