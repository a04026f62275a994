#pragma once

#include <QObject>
#include <csignal>
#include <memory>

class QSocketNotifier;

namespace quillorn::app {

// SIGTERM, SIGINT and SIGHUP, delivered through the event loop: the handler only writes the
// signal's number into a socket pair, and a QSocketNotifier on the other end emits received().
// While the object lives these signals no longer end the program on the spot; its destruction
// puts back the handlers that were there before. One object at a time.
class TerminationSignals : public QObject {
    Q_OBJECT
public:
    explicit TerminationSignals(QObject* parent = nullptr);
    ~TerminationSignals() override;
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // Readable once a signal has come, for a wait outside the event loop (poll() it, never read
    // it); -1 when the socket pair could not be made.
    int pendingFd() const { return fds_[1]; }

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readSignal();

    int fds_[2] = {-1, -1}; // [0] written by the handler, [1] read here
    int previousFd_ = -1;
    struct sigaction previous_[3] = {};
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace quillorn::app
