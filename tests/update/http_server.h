// SPDX-License-Identifier: GPL-3.0-or-later
// A small HTTP server on 127.0.0.1 for the update tests: each path answers
// with a status and a body, or never answers, or breaks off mid-body.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <algorithm>
#include <memory>

namespace orvane::update {

class TestHttpServer : public QTcpServer {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        bool silent = false;     // accept, read, never answer
        bool truncated = false;  // promise the whole body, send half, close
        qint64 streamed = 0;     // instead of `body`: this many bytes, sent as the socket drains
        int trickleMs = 0;       // send `body` one byte every this many milliseconds
    };
    QMap<QByteArray, Answer> answers;  // by path, "/downs/Velmora.txt"
    int requests = 0;

    TestHttpServer() { listen(QHostAddress::LocalHost, 0); }

    QByteArray Base() const {
        return "http://127.0.0.1:" + QByteArray::number(serverPort()) + "/downs/";
    }

protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        socket->setSocketDescriptor(descriptor);
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
            const QByteArray request = socket->readAll();
            const int end = request.indexOf("\r\n");
            const QList<QByteArray> first = request.left(end).split(' ');
            ++requests;
            const QByteArray path = first.size() > 1 ? first[1] : QByteArray();
            const Answer answer = answers.value(path, Answer{404, "not found", false, false});
            if (answer.silent) {
                return;
            }
            const qint64 length = answer.streamed > 0 ? answer.streamed : answer.body.size();
            QByteArray reply = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\n" +
                               "Content-Length: " + QByteArray::number(length) +
                               "\r\nConnection: close\r\n\r\n";
            if (answer.streamed > 0 || answer.trickleMs > 0) {
                socket->write(reply);
                Stream(socket, answer);
                return;
            }
            reply += answer.truncated ? answer.body.left(answer.body.size() / 2) : answer.body;
            socket->write(reply);
            socket->disconnectFromHost();
        });
    }

private:
    // Sends a long body without holding it, or a short one very slowly.
    void Stream(QTcpSocket* socket, const Answer& answer) {
        auto sent = std::make_shared<qint64>(0);
        if (answer.trickleMs > 0) {
            auto* timer = new QTimer(socket);
            connect(timer, &QTimer::timeout, socket, [socket, sent, answer] {
                if (*sent < answer.body.size()) {
                    socket->write(answer.body.mid(*sent, 1));
                    ++*sent;
                }
            });
            timer->start(answer.trickleMs);
            return;
        }
        const auto more = [socket, sent, total = answer.streamed] {
            const qint64 chunk = 256 * 1024;
            while (socket->bytesToWrite() < chunk && *sent < total) {
                const qint64 size = std::min(chunk, total - *sent);
                socket->write(QByteArray(size, 'x'));
                *sent += size;
            }
        };
        connect(socket, &QTcpSocket::bytesWritten, socket, more);
        more();
    }
};

}  // namespace orvane::update
