#include "app/frmSplash.h"

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

QString PlatformLine() {
#if defined(Q_OS_LINUX)
    const QString system = QStringLiteral("Linux");
#elif defined(Q_OS_MACOS)
    const QString system = QStringLiteral("macOS");
#elif defined(Q_OS_WIN)
    const QString system = QStringLiteral("Windows");
#else
    const QString system = QStringLiteral("Unix");
#endif
    return QStringLiteral("For %1-bit %2").arg(int(QSysInfo::WordSize)).arg(system);
}

namespace {
QLabel* BoldLabel(const QString& text, QWidget* parent, int pointSize = 0) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    label->setFont(font);
    return label;
}
} // namespace

frmSplash::frmSplash(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setModal(true);
    fraMainFrame = new QFrame(this);
    fraMainFrame->setFrameShape(QFrame::Box);
    fraMainFrame->setFrameShadow(QFrame::Sunken);

    lblCompanyProduct = BoldLabel(QStringLiteral("The Quillorn developers present"), fraMainFrame);
    lblProductName = BoldLabel(QStringLiteral("Quillorn"), fraMainFrame, 28);
    QFont display = lblProductName->font();
    display.setFamilies({QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue")});
    lblProductName->setFont(display);
    lblPlatform = BoldLabel(PlatformLine(), fraMainFrame);
    lblVersion = BoldLabel(QStringLiteral("Version 0.1"), fraMainFrame);
    lblCompany = new QLabel(QStringLiteral("A free viewer and converter built on Ghostscript"),
                            fraMainFrame);
    cmdOK = new QPushButton(QStringLiteral("OK"), fraMainFrame);
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdOK->setVisible(false);

    auto* right = new QVBoxLayout;
    right->addStretch();
    right->addWidget(lblPlatform, 0, Qt::AlignRight);
    right->addWidget(lblVersion, 0, Qt::AlignRight);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(lblCompany);
    bottom->addStretch();
    bottom->addWidget(cmdOK);
    auto* inner = new QVBoxLayout(fraMainFrame);
    inner->setContentsMargins(24, 18, 24, 18);
    inner->addWidget(lblCompanyProduct);
    inner->addWidget(lblProductName);
    inner->addLayout(right);
    inner->addSpacing(12);
    inner->addLayout(bottom);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(8, 8, 8, 8);
    outer->addWidget(fraMainFrame);
    setFixedSize(440, 260);

    for (QLabel* label : {lblCompanyProduct, lblProductName, lblPlatform, lblVersion, lblCompany})
        label->installEventFilter(this);
    fraMainFrame->installEventFilter(this);

    Timer1 = new QTimer(this);
    Timer1->setInterval(2000);
    connect(Timer1, &QTimer::timeout, this, &frmSplash::Timer1_Timer);
    connect(cmdOK, &QPushButton::clicked, this, &frmSplash::cmdOK_Click);
    Timer1->start();
}

void frmSplash::MakeAboutBox() {
    Timer1->stop();
    cmdOK->setVisible(true);
}

void frmSplash::Timer1_Timer() {
    Timer1->stop();
    close();
}

void frmSplash::cmdOK_Click() {
    close();
}

void frmSplash::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        Timer1_Timer();
        return;
    }
    QDialog::mouseReleaseEvent(event);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event) {
    const bool click = event->type() == QEvent::MouseButtonPress ||
                       event->type() == QEvent::MouseButtonRelease ||
                       event->type() == QEvent::MouseButtonDblClick;
    if (!click)
        return QDialog::eventFilter(watched, event);
    if (watched == fraMainFrame) {
        if (event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            Timer1_Timer();
        return true;
    }
    // Clicks on the texts end here rather than reaching the frame behind them.
    return true;
}

} // namespace quillorn::app
