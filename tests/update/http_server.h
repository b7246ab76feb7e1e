// SPDX-License-Identifier: GPL-3.0-or-later
// A small HTTP server on 127.0.0.1 for the update tests: each path answers
// with a status and a body, or never answers, or breaks off mid-body.
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>

namespace orvane::update {

class TestHttpServer : public QTcpServer {
public:
    struct Answer {
        int status = 200;
        QByteArray body;
        bool silent = false;     // accept, read, never answer
        bool truncated = false;  // promise the whole body, send half, close
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
            QByteArray reply = "HTTP/1.1 " + QByteArray::number(answer.status) + " X\r\n" +
                               "Content-Length: " + QByteArray::number(answer.body.size()) +
                               "\r\nConnection: close\r\n\r\n";
            reply += answer.truncated ? answer.body.left(answer.body.size() / 2) : answer.body;
            socket->write(reply);
            socket->disconnectFromHost();
        });
    }
};

}  // namespace orvane::update
