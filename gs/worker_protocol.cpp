#include "gs/worker_protocol.h"

#include <QtEndian>

namespace quillorn::gs::protocol {

Q_LOGGING_CATEGORY(lcWorker, "quillorn.worker", QtInfoMsg)

QByteArray frame(Tag tag, QByteArrayView payload) {
    QByteArray out;
    out.reserve(5 + payload.size());
    out.append(static_cast<char>(tag));
    char length[4];
    qToLittleEndian<quint32>(static_cast<quint32>(payload.size()), length);
    out.append(length, 4);
    out.append(payload);
    return out;
}

std::optional<Frame> FrameReader::next() {
    const qsizetype available = buffer_.size() - read_;
    if (available < 5)
        return std::nullopt;
    const char* head = buffer_.constData() + read_;
    const auto length = static_cast<qsizetype>(qFromLittleEndian<quint32>(head + 1));
    if (available - 5 < length)
        return std::nullopt;
    Frame frame{static_cast<Tag>(head[0]), QByteArray(head + 5, length)};
    read_ += 5 + length;
    // Drop what has been read once it is worth the copy.
    if (read_ > 65536 && read_ * 2 > buffer_.size()) {
        buffer_.remove(0, read_);
        read_ = 0;
    }
    return frame;
}

} // namespace quillorn::gs::protocol
