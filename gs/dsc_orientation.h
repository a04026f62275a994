#pragma once

#include <QByteArray>
#include <QString>
#include <map>

namespace quillorn::gs {

// How a PostScript document's own comments say its pages lie, in quarter turns that Ghostscript's
// page device /Orientation takes to show them upright (0 none; 3, a quarter turn clockwise, for a
// landscape page, whose lines run up the portrait sheet; 1 for seascape; 2 upside down).
struct DscOrientation {
    int document = 0;            // %%Orientation, or the defaults' %%PageOrientation
    std::map<int, int> pages;    // a page's own %%PageOrientation, by its position from 1
    int forPage(int page) const; // the page's own, else the document's
    friend bool operator==(const DscOrientation&, const DscOrientation&) = default;
};

// Read from the text's DSC comments: %%Orientation in the header ("(atend)" takes the trailer's),
// %%PageOrientation between %%BeginDefaults and %%EndDefaults for every page and after a page's
// %%Page: for that page (the last one there wins). Comments of embedded documents and what data
// sections hold are not the document's.
DscOrientation dscOrientation(const QByteArray& text);
// The same for a file; nothing known (all upright) for a PDF or a file that cannot be read.
DscOrientation dscOrientationOf(const QString& path);

// The page device /Orientation that shows a page lying as `page` says turned further by the
// user's choice (both in quarter turns counter-clockwise).
int combinedOrientation(int page, int chosen);

} // namespace quillorn::gs
