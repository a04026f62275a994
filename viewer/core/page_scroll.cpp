#include "viewer/core/page_scroll.h"

namespace quillorn::viewer {

PageTurn pageTurn(int value, int minimum, int maximum, ScrollMotion motion) {
    switch (motion) {
    case ScrollMotion::PageDown:
    case ScrollMotion::WheelDown:
        return value >= maximum ? PageTurn::Next : PageTurn::None;
    case ScrollMotion::PageUp:
    case ScrollMotion::WheelUp:
        return value <= minimum ? PageTurn::Previous : PageTurn::None;
    case ScrollMotion::LineUp:
    case ScrollMotion::LineDown:
    case ScrollMotion::Top:
    case ScrollMotion::Bottom:
        break;
    }
    return PageTurn::None;
}

} // namespace quillorn::viewer
