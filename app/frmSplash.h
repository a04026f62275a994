#pragma once

#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace quillorn::app {

// The splash screen and the About box in one window without a caption. As splash it closes
// itself two seconds after it is created; the About command stops Timer1 and shows cmdOK first.
// A click on the frame or on the window's margin closes it at once; clicks on the texts do not.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);

    // Prepares the window for the About role: no closing timer, OK visible.
    void MakeAboutBox();

    QFrame* fraMainFrame = nullptr;
    QLabel* lblCompanyProduct = nullptr;
    QLabel* lblProductName = nullptr;
    QLabel* lblPlatform = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblCompany = nullptr;
    QPushButton* cmdOK = nullptr;
    QTimer* Timer1 = nullptr;

    void Timer1_Timer();
    void cmdOK_Click();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// "For 64-bit Linux": the platform this build of the program is for.
QString PlatformLine();

} // namespace quillorn::app
