#include "app/splash_screen.h"

#include "base/version.h"

#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSysInfo>
#include <QTimer>
#include <QVBoxLayout>

namespace quillorn::app {

QString platformLine() {
#if defined(Q_OS_LINUX)
    const QString system = QStringLiteral("Linux");
#elif defined(Q_OS_MACOS)
    const QString system = QStringLiteral("macOS");
#else
    const QString system = QStringLiteral("Unix");
#endif
    return SplashScreen::tr("For %1-bit %2").arg(int(QSysInfo::WordSize)).arg(system);
}

namespace {
QLabel* boldLabel(const QString& text, QWidget* parent, int pointSize = 0) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    label->setFont(font);
    return label;
}
} // namespace

SplashScreen::SplashScreen(Role role, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), frame_(new QFrame(this)),
      closeTimer_(new QTimer(this)) {
    setObjectName(role == Role::About ? QStringLiteral("aboutBox") : QStringLiteral("splash"));
    setModal(true);
    frame_->setObjectName(QStringLiteral("splashFrame"));
    frame_->setFrameShape(QFrame::Box);
    frame_->setFrameShadow(QFrame::Sunken);

    QLabel* maker = boldLabel(tr("The Quillorn developers present"), frame_);
    QLabel* product = boldLabel(QStringLiteral("Quillorn"), frame_, 28);
    QFont display = product->font();
    display.setFamilies({QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")});
    product->setFont(display);
    QLabel* platform = boldLabel(platformLine(), frame_);
    QLabel* version = boldLabel(tr("Version ") + versionText(), frame_);
    auto* tagline = new QLabel(tr("A free viewer and converter built on Ghostscript"), frame_);
    auto* ok = new QPushButton(tr("OK"), frame_);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    ok->setAutoDefault(true);
    ok->setVisible(role == Role::About);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto* right = new QVBoxLayout;
    right->addStretch();
    right->addWidget(platform, 0, Qt::AlignRight);
    right->addWidget(version, 0, Qt::AlignRight);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(tagline);
    bottom->addStretch();
    bottom->addWidget(ok);
    auto* inner = new QVBoxLayout(frame_);
    inner->setContentsMargins(24, 18, 24, 18);
    inner->addWidget(maker);
    inner->addWidget(product);
    inner->addLayout(right);
    inner->addSpacing(12);
    inner->addLayout(bottom);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(frame_);
    // As large as every text needs, and never smaller than the window was drawn for.
    frame_->setMinimumSize(424, 244);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    for (QLabel* label : {maker, product, platform, version, tagline})
        label->installEventFilter(this);
    frame_->installEventFilter(this);

    closeTimer_->setSingleShot(true);
    closeTimer_->setInterval(2000);
    connect(closeTimer_, &QTimer::timeout, this, &QDialog::close);
    if (role == Role::Splash)
        closeTimer_->start();
}

void SplashScreen::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        close();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

bool SplashScreen::eventFilter(QObject* watched, QEvent* event) {
    const bool click = event->type() == QEvent::MouseButtonPress ||
                       event->type() == QEvent::MouseButtonRelease ||
                       event->type() == QEvent::MouseButtonDblClick;
    if (!click)
        return QDialog::eventFilter(watched, event);
    if (watched == frame_ && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        close();
    // Clicks on the texts end here rather than reaching the frame behind them.
    return true;
}

} // namespace quillorn::app
