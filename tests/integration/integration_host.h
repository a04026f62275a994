#pragma once

// What the integration tests share beyond the viewer's host: a conversion as the dialog runs it,
// and compressed bytes.
#include "convert/core/conversion.h"
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "tests/convert/conversion_fixture.h"
#include "tests/viewer/viewer_host.h"

#include <array>
#include <zlib.h>

namespace quillorn::test {

// Converts at 72 dpi, with the host's user, worker and messages; the dialog's outcome.
inline convert::RunOutcome convertWith(ViewerHost& host, const QString& input, int format,
                                       int choice, const QString& output,
                                       convert::ConversionProgress* progress = nullptr) {
    return convertAndWait(settings(input, format, choice, output), host.options,
                          {host.dialogs, host.runner, host.messages, {}, progress});
}

// The chunk compressed the given number of times over, as one zlib stream or as a gzip file.
inline QByteArray deflated(QByteArray chunk, int times = 1, bool gzip = false) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, gzip ? 15 + 16 : 15, 8, Z_DEFAULT_STRATEGY);
    QByteArray out;
    std::array<unsigned char, 65536> buffer{};
    for (int round = 1; round <= times; ++round) {
        z.next_in = reinterpret_cast<unsigned char*>(chunk.data());
        z.avail_in = static_cast<uInt>(chunk.size());
        do {
            z.next_out = buffer.data();
            z.avail_out = buffer.size();
            deflate(&z, round < times ? Z_NO_FLUSH : Z_FINISH);
            out.append(reinterpret_cast<char*>(buffer.data()),
                       static_cast<qsizetype>(buffer.size() - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    return out;
}

} // namespace quillorn::test
