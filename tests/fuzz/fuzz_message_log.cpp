// Any sequence of messages: the log must equal the plain concatenation of the converted
// messages, each block's start preceded by CR LF, and never hold a bare LF; a piece that does not
// begin with the product's name never starts a block.
#include "base/message_log.h"

#include <QByteArrayList>
#include <QString>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    quillorn::MessageLog log;
    log.setProductName(QStringLiteral("GPL Ghostscript"));
    QString expected;
    // Messages are separated by NUL bytes in the input.
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    for (const QByteArray& part : bytes.split('\0')) {
        const QString message = QString::fromUtf8(part);
        QString converted = message;
        converted.replace(u'\n', QStringLiteral("\r\n"));
        if (converted.startsWith(QLatin1String("AFPL")) || log.startsBlock(converted))
            expected += QStringLiteral("\r\n");
        expected += converted;
        if (log.startsBlock(converted) && !converted.startsWith(QLatin1String("AFPL")) &&
            !converted.startsWith(QLatin1String("GPL Ghostscript ")))
            std::abort();
        log.append(message);
    }
    if (log.text() != expected)
        std::abort();
    for (qsizetype i = 0; i < log.text().size(); ++i)
        if (log.text()[i] == u'\n' && (i == 0 || log.text()[i - 1] != u'\r'))
            std::abort();
    return 0;
}
