// Appending to the message log must cost in proportion to the appended text: 100,000 appends
// of 80-character chunks, the last 10,000 timed against the first 10,000. A ratio near 1 is
// linear; a log that rewrote itself on every append would give about 19.
#include "app/messages_window.h"
#include "bench/result_row.h"
#include "bench/silent_dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Figures {
    double first = 0, last = 0;
};

Figures run(quillorn::app::MessagesWindow& messages) {
    const QString chunk = QString(79, u'x') + u'\n';
    constexpr int kTotal = 100000, kSlice = 10000;
    Figures f;
    QElapsedTimer timer;
    for (int i = 0; i < kTotal; ++i) {
        if (i == 0 || i == kTotal - kSlice)
            timer.start();
        messages.addMessage(chunk);
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
    quillorn::bench::SilentDialogs dialogs;

    // Five rounds each, a fresh window every round; the fastest round of each slice is the
    // figure, so a burst of load from elsewhere on the machine does not decide it.
    const auto fastest = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.front();
    };
    for (const bool visible : {false, true}) {
        std::vector<double> first, last;
        for (int round = 0; round < 5; ++round) {
            quillorn::app::MessagesWindow messages(dialogs);
            if (visible)
                messages.showMessages();
            const Figures f = run(messages);
            first.push_back(f.first);
            last.push_back(f.last);
        }
        const char* what = visible ? "shown window" : "hidden window";
        std::printf("message log, %s: first 10000 appends %.1f ms, last 10000 %.1f ms, "
                    "ratio %.2f\n",
                    what, fastest(first) / 1e6, fastest(last) / 1e6,
                    fastest(last) / fastest(first));
        const std::string row =
            std::string("message log: last 10,000 of 100,000 appends (") + what + ")";
        quillorn::bench::resultRow(row.c_str(), fastest(last) / 1e9, "the first 10,000 appends",
                                   fastest(first) / 1e9, "s");
    }
    return dialogs.questions == 0 ? 0 : 1;
}
