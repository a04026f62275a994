// Any input path and format index: the proposed output name keeps the input's folder and ends in
// the format's ending, and any text made literal names itself and nothing else.
#include "convert/core/formats.h"
#include "convert/core/output_files.h"
#include "gs/arguments.h"

#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const int format = static_cast<int>(data[0] % 14) - 1; // -1 and 11, 12 are out of range
    const QString input = QString::fromUtf8(reinterpret_cast<const char*>(data + 1),
                                            static_cast<qsizetype>(size - 1));
    const QString proposal = quillorn::convert::proposeOutputName(input, format);
    if (const auto* f = quillorn::convert::formatAt(format)) {
        if (!proposal.endsWith(QString::fromUtf8(f->nameEnding)))
            std::abort();
        // A "%" of the input is doubled in the proposal; its first file has the input's name.
        const qsizetype dot = input.lastIndexOf(u'.');
        if (!quillorn::convert::firstOutputName(proposal).startsWith(dot < 0 ? input
                                                                             : input.left(dot)))
            std::abort();
    }

    // Text made literal names exactly one file: itself, whatever "%" forms it holds.
    if (quillorn::convert::firstOutputName(quillorn::gs::literalOutputPath(input)) != input)
        std::abort();
    return 0;
}
