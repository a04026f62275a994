// The splash screen and the About box, as real widgets.
#include "app/frmSplash.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

using namespace quillorn::app;

namespace {
// Shows the window modally; `during` acts on it once it is on screen. True when it closed
// before limitMs (otherwise the test closes it).
bool ClosedWithin(frmSplash& splash, int limitMs, const std::function<void()>& during = {}) {
    bool timedOut = false;
    QTimer::singleShot(limitMs, &splash, [&] {
        timedOut = true;
        splash.done(0);
    });
    if (during)
        QTimer::singleShot(50, &splash, during);
    splash.exec();
    return !timedOut;
}
} // namespace

TEST(Splash, ClosesItselfAfterTwoSecondsAndAboutNever) {
    frmSplash splash;
    EXPECT_EQ(splash.lblPlatform->text(),
              QStringLiteral("For %1-bit Linux").arg(int(QSysInfo::WordSize)));
    EXPECT_EQ(splash.Timer1->interval(), 2000);
    EXPECT_TRUE(ClosedWithin(splash, 8000));

    // Twice in a row: OK shown, still open well past the splash's two seconds.
    for (int round = 0; round < 2; ++round) {
        frmSplash about;
        about.MakeAboutBox();
        bool okShown = false;
        EXPECT_FALSE(ClosedWithin(about, 2600, [&] { okShown = about.cmdOK->isVisible(); }));
        EXPECT_TRUE(okShown);
    }
}

TEST(Splash, OkEnterFrameAndMarginCloseLabelsDoNot) {
    frmSplash about;
    about.MakeAboutBox();
    bool openAfterLabels = false;
    EXPECT_TRUE(ClosedWithin(about, 3000, [&] {
        for (QLabel* label : {about.lblProductName, about.lblCompanyProduct, about.lblPlatform,
                              about.lblVersion, about.lblCompany})
            QTest::mouseClick(label, Qt::LeftButton);
        openAfterLabels = about.isVisible();
        QTest::mouseClick(about.fraMainFrame, Qt::LeftButton, {}, QPoint(4, 4));
    }));
    EXPECT_TRUE(openAfterLabels);

    const std::function<void(frmSplash&)> closers[] = {
        [](frmSplash& w) { QTest::mouseClick(w.cmdOK, Qt::LeftButton); },
        [](frmSplash& w) { QTest::keyClick(&w, Qt::Key_Return); },
        [](frmSplash& w) { QTest::mouseClick(&w, Qt::LeftButton, {}, QPoint(2, 2)); },
    };
    for (const auto& close : closers) {
        frmSplash box;
        box.MakeAboutBox();
        EXPECT_TRUE(ClosedWithin(box, 3000, [&] { close(box); }));
    }
}
