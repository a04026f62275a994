#include "base/message_log.h"

#include <QRegularExpression>

namespace quillorn {

QString MessageLog::converted(const QString& message) {
    QString out = message;
    out.replace(u'\n', QStringLiteral("\r\n"));
    return out;
}

bool MessageLog::startsBlock(const QString& converted) const {
    if (converted.startsWith(QLatin1String("AFPL")))
        return true;
    if (productName_.isEmpty() || !converted.startsWith(productName_))
        return false;
    // The banner: the product, its version and its date in parentheses. The trailer of a failed
    // run ("GPL Ghostscript 10.00.0: Unrecoverable error") names the product too, but ends the
    // block it belongs to.
    static const QRegularExpression banner(
        QStringLiteral("^ \\d+(?:\\.\\d+)* \\(\\d{4}-\\d{2}-\\d{2}\\)"));
    return banner.match(converted.mid(productName_.size())).hasMatch();
}

QString MessageLog::append(const QString& message) {
    QString piece = converted(message);
    if (startsBlock(piece))
        piece.prepend(QStringLiteral("\r\n"));
    text_ += piece;
    return piece;
}

} // namespace quillorn
