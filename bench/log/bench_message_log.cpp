// Appending to the message log must cost in proportion to the appended text: 100,000 appends
// of 80-character chunks, the last 10,000 timed against the first 10,000. A ratio near 1 is
// linear; a log that rewrote itself on every append would give about 19.
#include "app/frmMessages.h"
#include "app/qt_services.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

namespace {

struct Figures {
    double first = 0, last = 0;
};

Figures Run(quillorn::frmMessages& window) {
    const QString chunk = QString(79, u'x') + u'\n';
    constexpr int kTotal = 100000, kSlice = 10000;
    Figures f;
    QElapsedTimer timer;
    for (int i = 0; i < kTotal; ++i) {
        if (i == 0 || i == kTotal - kSlice)
            timer.start();
        window.AddMessage(chunk);
        if (i == kSlice - 1)
            f.first = static_cast<double>(timer.nsecsElapsed());
    }
    f.last = static_cast<double>(timer.nsecsElapsed());
    return f;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quillorn::QtServices services;

    quillorn::frmMessages hidden(services);
    const Figures h = Run(hidden);
    std::printf("message log, hidden window: first 10000 appends %.1f ms, last 10000 %.1f ms, "
                "ratio %.2f\n",
                h.first / 1e6, h.last / 1e6, h.last / h.first);

    quillorn::frmMessages shown(services);
    shown.show();
    const Figures s = Run(shown);
    std::printf("message log, shown window:  first 10000 appends %.1f ms, last 10000 %.1f ms, "
                "ratio %.2f\n",
                s.first / 1e6, s.last / 1e6, s.last / s.first);
    return 0;
}
