#pragma once

// A small HTTP server on 127.0.0.1 for the retrieval tests: it answers every
// GET with the reply its handler builds from the request target, records the
// targets, and can misbehave on purpose: send a cut-off body, close the
// connection without a reply, or never answer. It runs in the test's own
// thread: the transfer's waiting loop serves it.

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

class LoopbackServer : public QObject {
public:
    enum class Mode { Normal, Truncated, CloseWithoutReply, NeverAnswer };
    struct Reply {
        std::string body;
        Mode mode = Mode::Normal;
        int status = 200;
    };
    using Handler = std::function<Reply(const std::string& target)>;

    explicit LoopbackServer(Handler handler) : m_handler(std::move(handler))
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
    }

    [[nodiscard]] std::string base() const { return "http://127.0.0.1:" + std::to_string(m_server.serverPort()); }
    [[nodiscard]] const std::vector<std::string>& targets() const { return m_targets; }

    // The decoded value of a query key of a target ("" when absent).
    static std::string param(const std::string& target, const std::string& key)
    {
        const auto q = target.find('?');
        if (q == std::string::npos) {
            return {};
        }
        std::string query = target.substr(q + 1);
        std::size_t at = 0;
        while (at <= query.size()) {
            const auto amp = query.find('&', at);
            const std::string pair = query.substr(at, amp == std::string::npos ? std::string::npos : amp - at);
            if (pair.rfind(key + "=", 0) == 0) {
                return QByteArray::fromPercentEncoding(QByteArray::fromStdString(pair.substr(key.size() + 1)))
                    .toStdString();
            }
            if (amp == std::string::npos) {
                break;
            }
            at = amp + 1;
        }
        return {};
    }

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            auto buffer = std::make_shared<QByteArray>();
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket, buffer] {
                buffer->append(socket->readAll());
                const auto end = buffer->indexOf("\r\n\r\n");
                if (end < 0) {
                    return;
                }
                const QByteArray line = buffer->left(buffer->indexOf("\r\n"));
                buffer->clear();
                const QList<QByteArray> parts = line.split(' ');
                const std::string target = parts.size() > 1 ? parts[1].toStdString() : std::string();
                m_targets.push_back(target);
                answer(*socket, m_handler(target));
            });
        }
    }

    static void answer(QTcpSocket& socket, const Reply& reply)
    {
        switch (reply.mode) {
        case Mode::NeverAnswer:
            return;
        case Mode::CloseWithoutReply:
            socket.disconnectFromHost();
            return;
        case Mode::Normal:
        case Mode::Truncated: {
            const std::size_t promised = reply.body.size() + (reply.mode == Mode::Truncated ? 4000 : 0);
            std::string head = "HTTP/1.1 " + std::to_string(reply.status) + (reply.status == 200 ? " OK" : " Error") +
                               "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(promised) +
                               "\r\nConnection: close\r\n\r\n";
            socket.write(QByteArray::fromStdString(head + reply.body));
            socket.flush();
            socket.disconnectFromHost();
            return;
        }
        }
    }

    QTcpServer m_server;
    Handler m_handler;
    std::vector<std::string> m_targets;
};

} // namespace testsupport
