#pragma once
// A small HTTP/1.1 server on 127.0.0.1 for the release check's tests: each path answers as the
// test set it up (a whole answer, a redirection, an answer that stalls, trickles or never stops
// growing), and every request is recorded with its headers. It runs in the test's own event
// loop: a test that starts a program against it waits with a signal spy, not a blocking wait.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QMap>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

class LocalHttpServer
{
public:
    /// How a path answers.
    struct Response
    {
        enum Kind
        {
            Whole,   ///< status, headers, Content-Length, body; then the connection closes
            Stalled, ///< headers announcing more than the part of the body sent; then silence
            Trickle, ///< headers, then one byte of body every kTrickleMs, never done
            Flood,   ///< headers without a length, then 64 KiB chunks as fast as they go, never done
            HeaderFlood, ///< the status line, then header lines as fast as they go, never done
        };
        Kind kind = Whole;
        int status = 200;
        int delayMs = 0; ///< the answer starts this long after the request
        QByteArray body;
        QList<QPair<QByteArray, QByteArray>> headers;
    };

    /// One request as received.
    struct Request
    {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; ///< names in lower case
        bool hasHeader(const QByteArray &name) const { return headers.contains(name.toLower()); }
        QByteArray header(const QByteArray &name) const { return headers.value(name.toLower()); }
    };

    static constexpr int kTrickleMs = 50;
    static constexpr int kFloodChunkBytes = 64 * 1024;

    LocalHttpServer()
    {
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
    }

    bool listen() { return m_server.listen(QHostAddress::LocalHost); }
    quint16 port() const { return m_server.serverPort(); }
    /// The address of path on this server.
    QString url(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
    }

    void route(const QByteArray &path, const Response &response) { m_routes.insert(path, response); }
    /// path answers 200 with body (JSON).
    void json(const QByteArray &path, const QByteArray &body)
    {
        Response r;
        r.body = body;
        r.headers.append(qMakePair(QByteArray("Content-Type"), QByteArray("application/json")));
        route(path, r);
    }
    /// path answers status with a Location header (after delayMs).
    void redirect(const QByteArray &path, const QByteArray &location, int status = 302, int delayMs = 0)
    {
        Response r;
        r.status = status;
        r.delayMs = delayMs;
        r.headers.append(qMakePair(QByteArray("Location"), location));
        route(path, r);
    }
    /// A chain of count redirections from "/<name>1" ... to target (absolute path or URL);
    /// returns the first path.
    QByteArray chain(const QByteArray &name, int count, const QByteArray &target, int delayMs = 0)
    {
        for (int i = 1; i <= count; ++i) {
            const QByteArray next = i == count ? target : "/" + name + QByteArray::number(i + 1);
            redirect("/" + name + QByteArray::number(i), next, 302, delayMs);
        }
        return count > 0 ? "/" + name + "1" : target;
    }

    /// Release information with one product entry.
    static QByteArray release(const QByteArray &product, const QByteArray &version, const QByteArray &url)
    {
        return "{\"updates\": {\"" + product + "\": {\"latest-version\": \"" + version +
               "\", \"download-url\": \"" + url + "\"}}}";
    }

    QList<Request> requests;
    /// Connections still open (a stalled or endless answer the client gave up on is closed by it).
    int openConnections() const
    {
        int n = 0;
        for (const QPointer<QTcpSocket> &s : m_sockets)
            n += s && s->state() == QAbstractSocket::ConnectedState;
        return n;
    }

private:
    void serve(QTcpSocket *socket)
    {
        m_sockets.append(socket);
        auto *buffer = new QByteArray;
        QObject::connect(socket, &QObject::destroyed, [buffer] { delete buffer; });
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer] {
            *buffer += socket->readAll();
            const int end = buffer->indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> lines = buffer->left(end).split('\n');
            buffer->clear();
            Request request;
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            request.method = first.value(0);
            request.path = first.value(1);
            for (int i = 1; i < lines.size(); ++i) {
                const int colon = lines.at(i).indexOf(':');
                if (colon > 0)
                    request.headers.insert(lines.at(i).left(colon).trimmed().toLower(),
                                           lines.at(i).mid(colon + 1).trimmed());
            }
            requests.append(request);
            const QByteArray path = request.path.left(
                request.path.indexOf('?') < 0 ? request.path.size() : request.path.indexOf('?'));
            Response notFound;
            notFound.status = 404;
            notFound.body = "not found";
            const Response response = m_routes.value(path, notFound);
            if (response.delayMs > 0)
                QTimer::singleShot(response.delayMs, socket,
                                   [this, socket, response] { answer(socket, response); });
            else
                answer(socket, response);
        });
    }

    static QByteArray statusLine(int status)
    {
        return "HTTP/1.1 " + QByteArray::number(status) + " " +
               (status < 300   ? "OK"
                : status < 400 ? "Moved"
                               : "Error") +
               "\r\n";
    }

    void answer(QTcpSocket *socket, const Response &r)
    {
        QByteArray head = statusLine(r.status);
        for (const auto &h : r.headers)
            head += h.first + ": " + h.second + "\r\n";
        switch (r.kind) {
        case Response::Whole:
            socket->write(head + "Content-Length: " + QByteArray::number(r.body.size()) +
                          "\r\nConnection: close\r\n\r\n" + r.body);
            socket->disconnectFromHost();
            break;
        case Response::Stalled:
            socket->write(head + "Content-Length: " + QByteArray::number(r.body.size() + 1000) + "\r\n\r\n" +
                          r.body);
            break;
        case Response::Trickle: {
            socket->write(head + "Content-Length: 100000000\r\n\r\n" + r.body);
            auto *timer = new QTimer(socket);
            QObject::connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
            timer->start(kTrickleMs);
            break;
        }
        case Response::HeaderFlood: {
            QByteArray lines;
            while (lines.size() < kFloodChunkBytes)
                lines += "X-Filler: " + QByteArray(100, 'x') + "\r\n";
            socket->write(head);
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, lines] {
                if (socket->bytesToWrite() < 2 * lines.size())
                    socket->write(lines);
            });
            socket->write(lines);
            break;
        }
        case Response::Flood: {
            socket->write(head + "Connection: close\r\n\r\n" + r.body);
            const QByteArray chunk(kFloodChunkBytes, ' ');
            QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket, chunk] {
                if (socket->bytesToWrite() < 2 * chunk.size())
                    socket->write(chunk);
            });
            socket->write(chunk);
            break;
        }
        }
    }

    QTcpServer m_server;
    QHash<QByteArray, Response> m_routes;
    QList<QPointer<QTcpSocket>> m_sockets;
};
