// Any arguments, with or without a print job: deciding the road must not crash, and a View or
// Convert road must give back exactly the text after the first colon.
#include "app/core/command_line.h"

#include <QByteArrayList>
#include <QStringList>
#include <cstdint>
#include <cstdlib>

using quillorn::app::Road;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool printJob = data[0] & 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));
    QStringList arguments;
    for (const QByteArray& part : bytes.split('\0'))
        arguments << QString::fromUtf8(part);
    const QString commandLine = quillorn::app::joinCommandLine(arguments);
    const auto request = quillorn::app::decideRoad(printJob, commandLine);

    if (printJob && request.road != Road::PrintJob)
        std::abort();
    const qsizetype colon = commandLine.indexOf(u':');
    switch (request.road) {
    case Road::View:
    case Road::Convert: {
        if (colon < 0 || request.argument != commandLine.mid(colon + 1))
            std::abort();
        const QString word = commandLine.left(colon).toUpper();
        if (word !=
            (request.road == Road::View ? QStringLiteral("/VIEW") : QStringLiteral("/CONVERT")))
            std::abort();
        break;
    }
    case Road::Interactive:
        if (!commandLine.isEmpty())
            std::abort();
        break;
    case Road::Invalid:
        if (request.commandLine != commandLine)
            std::abort();
        break;
    case Road::PrintJob:
        if (!printJob)
            std::abort();
        break;
    }
    return 0;
}
