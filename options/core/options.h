#pragma once

#include <cstdint>

namespace quillorn::options {

struct CustomMediaSize {
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    friend bool operator==(const CustomMediaSize&, const CustomMediaSize&) = default;
};

// The program-wide record of the user's choices. All zero and false until the stored options
// are loaded.
struct Options {
    std::int32_t Units = 0;
    std::int32_t Orientation = 0;
    bool Safer = false;
    bool BoundingBox = false;
    std::int32_t Media = 0;
    CustomMediaSize CustomMedia;
    std::int16_t Resolution = 0;
    std::int32_t ColourDepth = 0;
    std::int16_t TextAlpha = 0;
    std::int16_t GraphicsAlpha = 0;
    bool OverrideDefaultMedia = false;
    friend bool operator==(const Options&, const Options&) = default;
};

// The one record the program's windows share.
Options& TheOptions();

} // namespace quillorn::options
