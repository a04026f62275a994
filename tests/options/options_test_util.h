#pragma once

#include "options/core/options.h"
#include "tests/support/test_env.h"

#include <QDir>
#include <QFile>
#include <ostream>

namespace quillorn::options {

// Shows all twelve fields when two records differ.
inline void PrintTo(const Options& o, std::ostream* os) {
    *os << "{Units " << o.Units << ", Orientation " << o.Orientation << ", Safer " << o.Safer
        << ", BoundingBox " << o.BoundingBox << ", Media " << o.Media << ", Custom "
        << o.CustomMedia.Width << "x" << o.CustomMedia.Height << ", Resolution " << o.Resolution
        << ", ColourDepth " << o.ColourDepth << ", TextAlpha " << o.TextAlpha << ", GraphicsAlpha "
        << o.GraphicsAlpha << ", Override " << o.OverrideDefaultMedia << "}";
}

} // namespace quillorn::options

namespace quillorn::test {

// A store file of its own in the scratch directory, not yet existing.
inline QString FreshStorePath(const char* name) {
    const QString dir = ScratchDir() + QStringLiteral("/stores");
    QDir().mkpath(dir);
    const QString path = dir + u'/' + QLatin1String(name) + QStringLiteral(".conf");
    QFile::remove(path);
    return path;
}

// Safer, true colour, 75 dpi, anti-aliasing 2 and 2, paper index 0, no fixed media.
inline options::Options FirstStartOptions() {
    options::Options o;
    o.Safer = true;
    o.Resolution = 75;
    o.ColourDepth = 4;
    o.TextAlpha = 2;
    o.GraphicsAlpha = 2;
    return o;
}

// Every field away from its first-start value.
inline options::Options ChangedOptions() {
    return {3, 2, false, true, 9, {612, -792}, 1200, 0, 1, 4, true};
}

} // namespace quillorn::test
