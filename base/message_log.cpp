#include "base/message_log.h"

#include <QCoreApplication>
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
    if (text_.size() > kMaxChars)
        dropOldest();
    return piece;
}

void MessageLog::clear() {
    dropped_ += text_.size();
    text_.clear();
    droppedNote_ = 0;
    lostChars_ = 0;
}

QStringView MessageLog::since(qint64 shownEnd) const {
    const qint64 from = shownEnd - dropped_;
    if (from < droppedNote_ || from > text_.size())
        return text_;
    return QStringView(text_).mid(from);
}

void MessageLog::dropOldest() {
    // Down to three quarters at once, so that a flood does not cut the front at every append;
    // at the start of a block where there is one near, else of a line.
    const qsizetype excess = text_.size() - kMaxChars * 3 / 4;
    qsizetype cut = text_.indexOf(QStringLiteral("\r\n\r\n"), excess);
    if (cut < 0 || cut - excess > kMaxChars / 4)
        cut = text_.indexOf(QStringLiteral("\r\n"), excess);
    if (cut < 0 || cut - excess > kMaxChars / 4)
        cut = excess;
    // The note counts what the user lost, not the notes before it.
    lostChars_ += cut - droppedNote_;
    const QString note = QCoreApplication::translate(
                             "quillorn::base", "[%1 characters of older messages were dropped]\r\n")
                             .arg(lostChars_);
    text_.remove(0, cut);
    text_.prepend(note);
    // What is kept stays where it was counted from the start.
    dropped_ += cut - note.size();
    droppedNote_ = note.size();
}

} // namespace quillorn
