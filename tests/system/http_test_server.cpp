#include "tests/system/http_test_server.h"

#include <QTcpSocket>

namespace quillorn::test {

HttpTestServer::HttpTestServer() {
    server_.listen(QHostAddress::LocalHost, 0);
    connect(&server_, &QTcpServer::newConnection, this, &HttpTestServer::Accept);
}

QString HttpTestServer::Url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
}

void HttpTestServer::Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
            // The request so far lives on the socket until its header is complete.
            QByteArray request = socket->property("request").toByteArray() + socket->readAll();
            socket->setProperty("request", request);
            if (!request.contains("\r\n\r\n") || socket->property("answered").toBool())
                return;
            socket->setProperty("answered", true);
            const QList<QByteArray> words = request.left(request.indexOf("\r\n")).split(' ');
            ++requests;
            Answer(socket, words.size() > 1 ? words[1] : QByteArray());
        });
    }
}

void HttpTestServer::Answer(QTcpSocket* socket, const QByteArray& path) {
    const auto header = [](const char* status, qint64 length) {
        return QByteArray("HTTP/1.1 ") + status +
               "\r\nContent-Type: application/octet-stream\r\nContent-Length: " +
               QByteArray::number(length) + "\r\nConnection: close\r\n\r\n";
    };
    if (path == "/file") {
        socket->write(header("200 OK", body.size()) + body);
        socket->disconnectFromHost();
    } else if (path == "/drop") {
        socket->write(header("200 OK", body.size()) + body.left(body.size() / 2));
        socket->flush();
        socket->disconnectFromHost();
    } else if (path == "/stall") {
        socket->write(header("200 OK", body.size()) + body.left(1024));
        socket->flush();
    } else {
        const QByteArray text = "not found\n";
        socket->write(header("404 Not Found", text.size()) + text);
        socket->disconnectFromHost();
    }
}

QByteArray NoiseBytes(int size) {
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
