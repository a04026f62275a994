// Any arguments, with or without a print job: deciding the road must not crash; "--help" and
// "--version" alone win over everything; a View or Convert road gives back exactly the bytes
// after the first colon (or the single argument that names a file) and their text.
#include "app/core/command_line.h"

#include <QByteArrayList>
#include <QFile>
#include <cstdint>
#include <cstdlib>

using quillorn::app::Road;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const bool printJob = data[0] & 1;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1),
                           static_cast<qsizetype>(size - 1));
    // Arguments never hold a NUL; it separates them here. "F..." names an existing file.
    const QByteArrayList arguments = bytes.isEmpty() ? QByteArrayList() : bytes.split('\0');
    const auto isFile = [](const QByteArray& raw) { return raw.startsWith('F'); };
    const auto request = quillorn::app::decideRoad(printJob, arguments, isFile);

    const QString commandLine = quillorn::app::joinCommandLine(arguments);
    const QByteArray joined = arguments.join(' ');
    const bool alone = arguments.size() == 1;
    const bool help = alone && arguments.front() == "--help";
    const bool version = alone && arguments.front() == "--version";
    if ((request.road == Road::Help) != help || (request.road == Road::Version) != version)
        std::abort();
    if (!help && !version && printJob != (request.road == Road::PrintJob))
        std::abort();
    if (request.commandLine != commandLine)
        std::abort();
    const qsizetype colon = commandLine.indexOf(u':');
    switch (request.road) {
    case Road::View:
    case Road::Convert: {
        const QString word = colon < 0 ? QString() : commandLine.left(colon).toUpper();
        const bool switched = word == QLatin1String("/VIEW") || word == QLatin1String("/CONVERT");
        if (switched) {
            if (word != (request.road == Road::View ? QStringLiteral("/VIEW")
                                                    : QStringLiteral("/CONVERT")) ||
                request.argument != commandLine.mid(colon + 1) ||
                request.rawArgument != joined.mid(joined.indexOf(':') + 1))
                std::abort();
        } else if (request.road != Road::View || !alone || !isFile(arguments.front()) ||
                   request.rawArgument != arguments.front() ||
                   request.argument != QFile::decodeName(arguments.front())) {
            std::abort();
        }
        break;
    }
    case Road::Interactive:
        if (!arguments.isEmpty())
            std::abort();
        break;
    case Road::Invalid:
        if (arguments.isEmpty() || (alone && isFile(arguments.front())))
            std::abort();
        break;
    case Road::Help:
    case Road::Version:
    case Road::PrintJob:
        break;
    }
    return 0;
}
