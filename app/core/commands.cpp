#include "app/core/commands.h"

#include <limits>

namespace quillorn::app {

namespace {
std::optional<std::int16_t> Step(std::int16_t resolution, int delta) {
    const int next = int(resolution) + delta;
    if (next < 1 || next > std::numeric_limits<std::int16_t>::max())
        return std::nullopt;
    return static_cast<std::int16_t>(next);
}
} // namespace

std::optional<std::int16_t> ZoomIn(std::int16_t resolution) {
    return Step(resolution, kZoomStep);
}

std::optional<std::int16_t> ZoomOut(std::int16_t resolution) {
    return Step(resolution, -kZoomStep);
}

const std::array<ToolbarButton, 8>& ToolbarButtons() {
    static const std::array<ToolbarButton, 8> buttons{{
        {QStringLiteral("Open"), QStringLiteral("Open a file"), QStringLiteral("Open"),
         ToolbarAction::Open},
        {QStringLiteral("Convert"), QStringLiteral("Convert open file to another format"),
         QStringLiteral("Save"), ToolbarAction::Convert},
        {QStringLiteral("Print"), QStringLiteral("Print the open file"), QStringLiteral("Print"),
         ToolbarAction::Print},
        {QStringLiteral("Goto"), QStringLiteral("Goto another page"), QStringLiteral("Redo"),
         ToolbarAction::Goto},
        {QStringLiteral("Previous"), QStringLiteral("Previous page"), QStringLiteral("Back"),
         ToolbarAction::Previous},
        {QStringLiteral("Next"), QStringLiteral("Next page"), QStringLiteral("Forward"),
         ToolbarAction::Next},
        {QStringLiteral("Zoom In"), QStringLiteral("Zoom In"), QStringLiteral("zoomin"),
         ToolbarAction::ZoomIn},
        {QStringLiteral("Zoom Out"), QStringLiteral("Zoom Out"), QStringLiteral("zoomOUT"),
         ToolbarAction::ZoomOut},
    }};
    return buttons;
}

ToolbarAction ToolbarActionForKey(const QString& key) {
    for (const ToolbarButton& button : ToolbarButtons())
        if (QString::compare(button.key, key, Qt::CaseSensitive) == 0)
            return button.action;
    return ToolbarAction::None;
}

} // namespace quillorn::app
