// The splash screen and the About box, as real widgets.
#include "app/frmSplash.h"

#include <QElapsedTimer>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn::app;

namespace {
// Runs the dialog modally; `during` acts on it once it is on screen. Returns the time it was
// open in milliseconds, or -1 when it was still open after limitMs (it is closed then).
qint64 RunModal(frmSplash& splash, int limitMs, const std::function<void()>& during = {}) {
    QElapsedTimer clock;
    bool timedOut = false;
    QTimer::singleShot(limitMs, &splash, [&] {
        timedOut = true;
        splash.done(0);
    });
    if (during)
        QTimer::singleShot(50, &splash, during);
    clock.start();
    splash.exec();
    return timedOut ? -1 : clock.elapsed();
}
} // namespace

TEST(Splash, LooksAsBothRolesNeed) {
    frmSplash splash;
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.lblProductName->text(), QStringLiteral("Quillorn"));
    EXPECT_EQ(splash.lblVersion->text(), QStringLiteral("Version 0.1"));
    EXPECT_EQ(splash.lblPlatform->text(),
              QStringLiteral("For %1-bit Linux").arg(int(QSysInfo::WordSize)));
    EXPECT_TRUE(splash.lblProductName->font().bold());
    EXPECT_FALSE(splash.lblCompanyProduct->text().isEmpty());
    EXPECT_FALSE(splash.lblCompany->text().isEmpty());
    EXPECT_EQ(splash.cmdOK->text(), QStringLiteral("OK"));
    EXPECT_TRUE(splash.cmdOK->isDefault());
    EXPECT_FALSE(splash.cmdOK->isVisibleTo(&splash));
    EXPECT_TRUE(splash.Timer1->isActive());
    EXPECT_EQ(splash.Timer1->interval(), 2000);
}

TEST(Splash, ClosesItselfAfterTwoSeconds) {
    frmSplash splash;
    const qint64 open = RunModal(splash, 6000);
    ASSERT_GE(open, 0) << "the splash did not close by itself";
    EXPECT_GE(open, 1500);
    EXPECT_FALSE(splash.isVisible());
}

TEST(Splash, AboutNeverClosesByItselfTwiceInARow) {
    for (int round = 0; round < 2; ++round) {
        frmSplash about;
        about.MakeAboutBox();
        bool okShown = false;
        const qint64 open = RunModal(about, 2600, [&] { okShown = about.cmdOK->isVisible(); });
        EXPECT_EQ(open, -1) << "round " << round;
        EXPECT_TRUE(okShown);
        EXPECT_FALSE(about.Timer1->isActive());
    }
    frmSplash about;
    about.MakeAboutBox();
    EXPECT_GE(RunModal(about, 3000, [&] { QTest::mouseClick(about.cmdOK, Qt::LeftButton); }), 0);
    frmSplash enter;
    enter.MakeAboutBox();
    EXPECT_GE(RunModal(enter, 3000, [&] { QTest::keyClick(&enter, Qt::Key_Return); }), 0);
}

TEST(Splash, FrameAndMarginCloseLabelsDoNot) {
    frmSplash about;
    about.MakeAboutBox();
    bool stillOpenAfterLabels = false;
    const qint64 byFrame = RunModal(about, 3000, [&] {
        for (QLabel* label : {about.lblProductName, about.lblCompanyProduct, about.lblPlatform,
                              about.lblVersion, about.lblCompany})
            QTest::mouseClick(label, Qt::LeftButton);
        stillOpenAfterLabels = about.isVisible();
        // A point of the frame between the texts.
        QTest::mouseClick(about.fraMainFrame, Qt::LeftButton, {}, QPoint(4, 4));
    });
    EXPECT_TRUE(stillOpenAfterLabels);
    EXPECT_GE(byFrame, 0);

    frmSplash margin;
    margin.MakeAboutBox();
    EXPECT_GE(RunModal(margin, 3000,
                       [&] { QTest::mouseClick(&margin, Qt::LeftButton, {}, QPoint(2, 2)); }),
              0);

    // In the splash role a click ends the two seconds early.
    frmSplash splash;
    const qint64 early = RunModal(splash, 6000, [&] {
        QTest::mouseClick(splash.fraMainFrame, Qt::LeftButton, {}, QPoint(4, 4));
    });
    EXPECT_GE(early, 0);
    EXPECT_LT(early, 1500);
}
