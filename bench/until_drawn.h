#pragma once

#include "viewer/core/document_controller.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <functional>

namespace quillorn::bench {

// Runs a command of the document and turns the event loop until its redraw has ended.
inline void untilDrawn(const viewer::DocumentController& document,
                       const std::function<void()>& command) {
    command();
    while (document.isRendering())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

} // namespace quillorn::bench
