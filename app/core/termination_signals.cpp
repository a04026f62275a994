#include "app/core/termination_signals.h"

#include <QSocketNotifier>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace quillorn::app {

namespace {
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A signal handler reaches nothing but what is global; this is the one value it needs.
std::atomic<int> handlerFd{-1};

extern "C" void onTerminationSignal(int signalNumber) {
    const int savedErrno = errno;
    const int fd = handlerFd.load();
    if (fd >= 0) {
        const auto byte = static_cast<unsigned char>(signalNumber);
        [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
    }
    errno = savedErrno;
}
} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds_) != 0) {
        fds_[0] = fds_[1] = -1;
        return;
    }
    // A full socket means a signal is already waiting; the handler must never block.
    ::fcntl(fds_[0], F_SETFL, ::fcntl(fds_[0], F_GETFL) | O_NONBLOCK);
    ::fcntl(fds_[1], F_SETFL, ::fcntl(fds_[1], F_GETFL) | O_NONBLOCK);
    notifier_ = std::make_unique<QSocketNotifier>(fds_[1], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &TerminationSignals::readSignal);
    previousFd_ = handlerFd.exchange(fds_[0]);

    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &action, &previous_[i]);
}

TerminationSignals::~TerminationSignals() {
    if (fds_[0] < 0)
        return;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    handlerFd.store(previousFd_);
    notifier_.reset();
    ::close(fds_[0]);
    ::close(fds_[1]);
}

void TerminationSignals::readSignal() {
    unsigned char byte = 0;
    while (::read(fds_[1], &byte, 1) == 1)
        Q_EMIT received(byte);
}

} // namespace quillorn::app
