#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpServer>

namespace quillorn::test {

// A small HTTP/1.1 server on 127.0.0.1 in the test's own thread; it answers while the code
// under test runs its event loop. Paths:
//   /file     200 with `body` and its Content-Length
//   /drop     200 announcing all of `body`, sends half, then closes the connection
//   /stall    200 announcing all of `body`, sends the first KB, then nothing more
//   /stream   200 with `streamSize` bytes made as they are sent, so the server holds only a
//             few of them at a time whatever the size
//   anything else 404
class HttpTestServer {
public:
    HttpTestServer();
    QString url(const QString& path) const;

    QByteArray body;
    qint64 streamSize = 0;
    int requests = 0;

private:
    void answer(QTcpSocket* socket, const QByteArray& path);
    void stream(QTcpSocket* socket);

    QTcpServer server_;
};

// Bytes that do not compress and do not repeat within a few hundred KB.
QByteArray noiseBytes(int size);

} // namespace quillorn::test
