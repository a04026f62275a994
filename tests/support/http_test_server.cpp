#include "tests/support/http_test_server.h"

#include <QTcpSocket>
#include <algorithm>

namespace quillorn::test {

HttpTestServer::HttpTestServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            // Sockets close with the server; the request so far lives on the socket.
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray request =
                    socket->property("request").toByteArray() + socket->readAll();
                socket->setProperty("request", request);
                if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
                    return;
                socket->setProperty("answered", true);
                ++requests;
                answer(socket, request.left(request.indexOf("\r\n")).split(' ').value(1));
            });
        }
    });
}

QString HttpTestServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void HttpTestServer::answer(QTcpSocket* socket, const QByteArray& path) {
    const auto header = [](const char* status, qint64 length) {
        return QByteArray("HTTP/1.1 ") + status +
               "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
               QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
    };
    if (path == "/file" || path == "/drop" || path == "/stall") {
        const qsizetype sent = path == "/file"   ? body.size()
                               : path == "/drop" ? body.size() / 2
                                                 : 1024;
        socket->write(header("200 OK", body.size()) + body.left(sent));
        socket->flush();
    } else if (path == "/stream") {
        socket->write(header("200 OK", streamSize));
        socket->setProperty("left", streamSize);
        QObject::connect(socket, &QTcpSocket::bytesWritten, socket,
                         [this, socket] { stream(socket); });
        stream(socket);
        return;
    } else {
        socket->write(header("404 Not Found", 10) + "not found\n");
    }
    if (path != "/stall")
        socket->disconnectFromHost();
}

void HttpTestServer::stream(QTcpSocket* socket) {
    // The next piece only once the socket has passed on most of the last one.
    constexpr qint64 piece = qint64(64) * 1024;
    const qint64 left = socket->property("left").toLongLong();
    if (left <= 0 || socket->bytesToWrite() > piece)
        return;
    static const QByteArray noise = noiseBytes(piece);
    const qint64 n = std::min(left, piece);
    socket->write(noise.constData(), n);
    socket->setProperty("left", left - n);
    if (left == n)
        socket->disconnectFromHost();
}

QByteArray noiseBytes(int size) {
    QByteArray bytes(size, Qt::Uninitialized);
    quint32 state = 2463534242u;
    for (int i = 0; i < size; ++i) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        bytes[i] = static_cast<char>(state & 0xFF);
    }
    return bytes;
}

} // namespace quillorn::test
