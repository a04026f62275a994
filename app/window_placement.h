#pragma once

#include "app/core/placement.h"

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>
#include <QSizeF>
#include <QTimer>
#include <optional>

class QWidget;

namespace quillorn {
class SettingsStore;
}

namespace quillorn::app {

// Where the main window stands: restored from the store at the start, followed while the user
// moves and resizes it, saved at the end when it changed. The window manager's decoration is
// known only once it has framed the window, some time after show(); until then the window's own
// geometry stands for the frame.
class WindowPlacement : public QObject {
    Q_OBJECT
public:
    WindowPlacement(QWidget& window, SettingsStore& store);

    // Puts the window where it stood last time; a first start shows a whole page width of
    // firstPage (in points) with chrome around the page view.
    void restore(QSizeF firstPage, QSize chrome);
    // The window manager has framed the window: moves and resizes are the user's from now on.
    void setFramed();
    // Writes the placement when it differs from the one read at the start.
    void save();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A new decoration (the window manager framing the window, or changing its frame) fits the
    // window into the frame it should have; any other move or resize of the normal state is the
    // user's, and the frame follows it.
    void follow();

    QWidget& window_;
    SettingsStore& store_;
    std::optional<Placement> atStart_;
    // The frame the stored placement stands for (or the first frame), before it was brought onto
    // the screens.
    QRect startFrame_;
    QRect normalFrame_; // the outer frame of the normal state
    QMargins decoration_;
    // The window manager may report a new decoration after the last move or resize it caused
    // (when a maximised window is restored, say): a look once things are quiet catches it.
    QTimer settled_;
    bool framed_ = false;
};

} // namespace quillorn::app
