#pragma once

#include <cstdint>

namespace quillorn::options {

// The number of entries in the Units, Orientation and paper-size menus, and of colour depths.
inline constexpr int kUnitsCount = 4;
inline constexpr int kOrientationCount = 4;
inline constexpr int kMediaCount = 10;
inline constexpr int kColourDepthCount = 5;
// The display settings dialog takes a resolution of three digits at most.
inline constexpr std::int16_t kLargestDialogResolution = 999;
// The "Custom..." paper size: no size is passed to Ghostscript.
inline constexpr int kCustomMedia = 9;

struct CustomMediaSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const CustomMediaSize&, const CustomMediaSize&) = default;
};

// The user's choices that govern rendering and conversion. All zero and false until the stored
// options are read.
struct Options {
    std::int32_t units = 0;       // pixels, twips, mm, inch
    std::int32_t orientation = 0; // portrait, landscape, upside-down, seascape
    bool safer = false;
    bool boundingBox = false;
    std::int32_t media = 0; // 11x17, A3, A4, A5, B4, B5, Ledger, Legal, Letter, Custom
    CustomMediaSize customMedia;
    std::int16_t resolution = 0;  // dots per inch of the page on screen
    std::int32_t colourDepth = 0; // black and white, grey, 16, 256, true colour
    std::int16_t textAlpha = 0;   // anti-aliasing bits: 1, 2 or 4
    std::int16_t graphicsAlpha = 0;
    bool overrideDefaultMedia = false; // keep the paper size whatever the document asks for
    friend bool operator==(const Options&, const Options&) = default;
};

} // namespace quillorn::options
