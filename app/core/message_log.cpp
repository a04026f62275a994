#include "app/core/message_log.h"

namespace quillorn {

QString MessageLog::Convert(const QString& message) {
    QString out = message;
    out.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
    return out;
}

bool MessageLog::StartsBlock(const QString& converted) const {
    if (converted.startsWith(QLatin1String("AFPL")))
        return true;
    return !productName_.isEmpty() && converted.startsWith(productName_);
}

QString MessageLog::Append(const QString& message) {
    QString piece = Convert(message);
    if (StartsBlock(piece))
        piece.prepend(QLatin1String("\r\n"));
    text_ += piece;
    return piece;
}

namespace {
MessageHandler& Handler() {
    static MessageHandler handler;
    return handler;
}
} // namespace

void SetMessageHandler(MessageHandler handler) {
    Handler() = std::move(handler);
}

void AddMessage(const QString& message) {
    if (Handler())
        Handler()(message);
}

} // namespace quillorn
