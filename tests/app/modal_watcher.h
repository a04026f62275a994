#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace quillorn::test {

// Plays the user at the program's own modal windows (splash, dialogs): whenever a new modal
// window becomes active, `handler` gets it. Message boxes go through ScriptedServices instead.
class ModalWatcher : public QObject {
public:
    explicit ModalWatcher(std::function<void(QWidget*)> handler) : handler_(std::move(handler)) {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, this, [this] { Poll(); });
        timer_.start();
    }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == last_)
            return;
        last_ = modal;
        handler_(modal);
    }

    std::function<void(QWidget*)> handler_;
    QTimer timer_;
    QWidget* last_ = nullptr;
};

} // namespace quillorn::test
