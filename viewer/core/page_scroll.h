#pragma once

namespace quillorn::viewer {

// A move through the page by key or wheel, down or up.
enum class ScrollMotion {
    LineUp,
    LineDown,
    PageUp,   // PgUp, Shift+Space
    PageDown, // PgDn, Space
    WheelUp,
    WheelDown,
    Top,    // Home
    Bottom, // End
};

// Whether a motion leaves the page, and for which: the next page opens at its top, the previous
// one at its bottom.
enum class PageTurn { None, Next, Previous };

// A page down or wheel turn down at the bottom of the page turns to the next page; a page up or
// wheel turn up at the top to the previous one. Anything else only scrolls. A page that fits
// the view is at its top and its bottom at once.
PageTurn pageTurn(int value, int minimum, int maximum, ScrollMotion motion);

} // namespace quillorn::viewer
