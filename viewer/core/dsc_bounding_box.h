#pragma once

#include <QString>
#include <optional>

namespace quillorn::viewer {

// The document's bounding box in PostScript points, from its lower-left corner.
struct BoundingBox {
    double llx = 0, lly = 0, urx = 0, ury = 0;
    friend bool operator==(const BoundingBox&, const BoundingBox&) = default;
};

// The "%%BoundingBox: llx lly urx ury" comment of a PostScript or EPS document (also inside an
// EPS file with a binary preview header): the header's first one, or with "(atend)" the one in
// the trailer. Nothing for a document without one (PDF among them), an empty box or a file that
// cannot be read.
std::optional<BoundingBox> documentBoundingBox(const QString& path);

// The same rule over the document's text.
std::optional<BoundingBox> boundingBoxFromText(const QByteArray& head, const QByteArray& tail);

} // namespace quillorn::viewer
