#include "base/message_log.h"

namespace quillorn {

QString MessageLog::converted(const QString& message) {
    QString out = message;
    out.replace(u'\n', QStringLiteral("\r\n"));
    return out;
}

bool MessageLog::startsBlock(const QString& converted) const {
    if (converted.startsWith(QLatin1String("AFPL")))
        return true;
    return !productName_.isEmpty() && converted.startsWith(productName_);
}

QString MessageLog::append(const QString& message) {
    QString piece = converted(message);
    if (startsBlock(piece))
        piece.prepend(QStringLiteral("\r\n"));
    text_ += piece;
    return piece;
}

} // namespace quillorn
