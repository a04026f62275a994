#include "app/window_placement.h"

#include "base/settings_store.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace quillorn::app {

namespace {
// Twips follow the primary screen's logical dots per inch, both ways.
QPointF screenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? QPointF(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY())
                  : QPointF(96.0, 96.0);
}
} // namespace

WindowPlacement::WindowPlacement(QWidget& window, SettingsStore& store)
    : QObject(&window), window_(window), store_(store) {
    settled_.setSingleShot(true);
    settled_.setInterval(250);
    connect(&settled_, &QTimer::timeout, this, &WindowPlacement::follow);
    window_.installEventFilter(this);
}

void WindowPlacement::restore(QSizeF firstPage, QSize chrome) {
    const QPointF dpi = screenDpi();
    QList<QRect> screens;
    for (const QScreen* s : QGuiApplication::screens())
        screens << s->availableGeometry();
    atStart_ = readPlacement(store_);
    if (atStart_) {
        startFrame_ = placementToPixels(*atStart_, dpi.x(), dpi.y());
    } else {
        const QScreen* primary = QGuiApplication::primaryScreen();
        startFrame_ = firstFrame(firstPage, chrome,
                                 primary ? primary->availableGeometry() : QRect(0, 0, 1024, 768));
    }
    normalFrame_ = bringOntoScreens(startFrame_, screens);
    window_.move(normalFrame_.topLeft());
    window_.resize(normalFrame_.size());
    if (atStart_ && atStart_->maximized)
        window_.setWindowState(window_.windowState() | Qt::WindowMaximized);
}

void WindowPlacement::setFramed() {
    framed_ = true;
    follow();
}

bool WindowPlacement::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_ && (event->type() == QEvent::Move || event->type() == QEvent::Resize ||
                                event->type() == QEvent::WindowStateChange)) {
        // The window has its new geometry by the time it is told.
        follow();
        settled_.start();
    }
    return QObject::eventFilter(watched, event);
}

void WindowPlacement::follow() {
    if (!window_.isVisible() ||
        (window_.windowState() &
         (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return;
    const QMargins decoration = decorationOf(window_.frameGeometry(), window_.geometry());
    if (decoration != decoration_) {
        decoration_ = decoration;
        const QRect client = clientRect(normalFrame_, decoration);
        if (client != window_.geometry())
            window_.setGeometry(client);
        return;
    }
    if (framed_)
        normalFrame_ = window_.frameGeometry();
}

void WindowPlacement::save() {
    const QPointF dpi = screenDpi();
    const bool maximized = window_.isMaximized();
    const QRect frame =
        maximized || window_.isFullScreen() || !framed_ ? normalFrame_ : window_.frameGeometry();
    if (const std::optional<Placement> placement =
            placementToStore(atStart_, startFrame_, frame, maximized, dpi.x(), dpi.y()))
        writePlacement(store_, *placement, atStart_);
}

} // namespace quillorn::app
