#pragma once

#include <cstdint>

namespace quillorn::options {

// Each enumerator's number is what the settings file stores and its entry's position in its
// menu or list, so the order stays as it is.

// Options > Units: how the status bar measures the page.
enum class Units : std::int32_t { Pixels, Twips, Millimetres, Inches };
// Options > Orientation. The numbers are also Ghostscript's page device /Orientation: landscape
// is a quarter turn counter-clockwise, seascape a quarter turn clockwise.
enum class Orientation : std::int32_t { Portrait, Landscape, UpsideDown, Seascape };
// The Media menu. Custom passes no size to Ghostscript.
enum class Paper : std::int32_t { Tabloid11x17, A3, A4, A5, B4, B5, Ledger, Legal, Letter, Custom };
// The display settings' colour depths.
enum class ColourDepth : std::int32_t { BlackAndWhite, Grey, Colours16, Colours256, TrueColour };

// The number of entries of each.
inline constexpr int kUnitsCount = static_cast<int>(Units::Inches) + 1;
inline constexpr int kOrientationCount = static_cast<int>(Orientation::Seascape) + 1;
inline constexpr int kPaperCount = static_cast<int>(Paper::Custom) + 1;
inline constexpr int kColourDepthCount = static_cast<int>(ColourDepth::TrueColour) + 1;
// The display settings dialog takes a resolution of three digits at most.
inline constexpr std::int16_t kLargestDialogResolution = 999;

struct CustomMediaSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    friend bool operator==(const CustomMediaSize&, const CustomMediaSize&) = default;
};

// The user's choices that govern rendering and conversion. All zero and false until the stored
// options are read.
struct Options {
    Units units = Units::Pixels;
    Orientation orientation = Orientation::Portrait;
    bool safer = false;
    bool boundingBox = false;
    Paper media = Paper::Tabloid11x17;
    CustomMediaSize customMedia{};
    std::int16_t resolution = 0; // dots per inch of the page on screen
    ColourDepth colourDepth = ColourDepth::BlackAndWhite;
    std::int16_t textAlpha = 0; // anti-aliasing bits: 1, 2 or 4
    std::int16_t graphicsAlpha = 0;
    bool overrideDefaultMedia = false; // keep the paper size whatever the document asks for
    friend bool operator==(const Options&, const Options&) = default;
};

} // namespace quillorn::options
