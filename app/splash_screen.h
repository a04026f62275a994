#pragma once

#include <QDialog>

class QFrame;
class QTimer;

namespace quillorn::app {

// The splash screen and the About box in one window without a caption. As splash it closes
// itself two seconds after it is made; as About box it shows an OK button and stays. A click on
// the frame or on the window's margin closes it at once; clicks on the texts do not.
class SplashScreen : public QDialog {
    Q_OBJECT
public:
    enum class Role { Splash, About };
    explicit SplashScreen(Role role, QWidget* parent = nullptr);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame* frame_;
    QTimer* closeTimer_;
};

// "For 64-bit Linux": the platform this build of the program is for.
QString platformLine();

} // namespace quillorn::app
