#include "platform/net/QtInet.h"

#include <QEventLoop>
#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include "platform/errors/Error.h"

namespace platform {

namespace {

constexpr const char* Source = "Inet1.OpenURL";

Error transferError(std::int32_t number, const std::string& what)
{
    return Error(number, Source, what);
}

std::int32_t numberOf(QNetworkReply::NetworkError code)
{
    switch (code) {
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::ProxyNotFoundError:
        return inet::NameNotResolved;
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::TemporaryNetworkFailureError:
        return inet::CannotConnect;
    case QNetworkReply::RemoteHostClosedError:
    case QNetworkReply::ProxyConnectionClosedError:
    case QNetworkReply::ProtocolFailure:
        return inet::ConnectionAborted;
    case QNetworkReply::TimeoutError:
    case QNetworkReply::ProxyTimeoutError:
        return inet::TimedOut;
    default:
        return inet::OtherFailure;
    }
}

bool isLoopback(const QUrl& url)
{
    const QString host = url.host();
    if (host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

QtInet::QtInet() : m_manager(std::make_unique<QNetworkAccessManager>()) {}

QtInet::~QtInet()
{
    Cancel();
}

void QtInet::Cancel()
{
    if (m_reply != nullptr) {
        m_cancelled = true;
        m_reply->abort();
    }
}

void QtInet::applyProxy()
{
    if (m_accessType == inet::NamedProxy && !m_proxy.empty()) {
        const QString text = QString::fromStdString(m_proxy).trimmed();
        const qsizetype colon = text.lastIndexOf(QLatin1Char(':'));
        QString host = text;
        quint16 port = 80;
        if (colon > 0) {
            bool ok = false;
            const uint p = text.mid(colon + 1).toUInt(&ok);
            if (ok && p > 0 && p <= 65535) {
                host = text.left(colon);
                port = static_cast<quint16>(p);
            }
        }
        m_manager->setProxy(QNetworkProxy(QNetworkProxy::HttpProxy, host, port));
    } else {
        m_manager->setProxy(QNetworkProxy(QNetworkProxy::NoProxy));
    }
}

std::string QtInet::OpenURL(const std::string& url)
{
    if (m_reply != nullptr) {
        throw transferError(inet::StillExecuting, "A request is still running.");
    }
    const QUrl address(QString::fromStdString(url), QUrl::StrictMode);
    if (!address.isValid() || address.host().isEmpty()) {
        throw transferError(inet::OtherFailure, "The address \"" + url + "\" is not a valid web address.");
    }

    applyProxy();
    if (m_accessType == inet::UseDefault && !isLoopback(address)) {
        const QList<QNetworkProxy> proxies = QNetworkProxyFactory::systemProxyForQuery(QNetworkProxyQuery(address));
        if (!proxies.isEmpty()) {
            m_manager->setProxy(proxies.first());
        }
    }

    emitState(inet::State::ResolvingHost);
    emitState(inet::State::HostResolved);
    emitState(inet::State::Connecting);
    emitState(inet::State::Connected);
    emitState(inet::State::Requesting);

    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);

    m_cancelled = false;
    m_timedOut = false;
    m_statusCode = 0;
    QPointer<QNetworkReply> reply = m_manager->get(request);
    m_reply = reply.data();

    QEventLoop loop;
    m_loop = &loop;
    QTimer timer;
    timer.setSingleShot(true);
    bool receiving = false;
    QObject::connect(reply.data(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply.data(), &QNetworkReply::readyRead, &loop, [&] {
        if (!receiving) {
            receiving = true;
            emitState(inet::State::ReceivingResponse);
        }
    });
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        m_timedOut = true;
        if (reply) {
            reply->abort();
        }
    });
    emitState(inet::State::RequestSent);
    if (m_timeoutSeconds > 0) {
        timer.start(m_timeoutSeconds * 1000);
    }
    if (!reply->isFinished()) {
        loop.exec();
    }
    timer.stop();
    m_loop = nullptr;
    m_reply = nullptr;

    const QByteArray body = reply->isOpen() ? reply->readAll() : QByteArray();
    const QNetworkReply::NetworkError code = reply->error();
    const QString errorText = reply->errorString();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    reply->deleteLater();

    if (m_timedOut) {
        emitState(inet::State::Error);
        throw transferError(inet::TimedOut, "The server did not answer within " + std::to_string(m_timeoutSeconds) +
                                                " seconds.");
    }
    if (m_cancelled) {
        throw transferError(inet::Cancelled, "The request was cancelled.");
    }
    // An HTTP status such as 404 or 500 still has a body: the caller judges it.
    const bool httpStatus = code >= QNetworkReply::ContentAccessDenied && code <= QNetworkReply::UnknownContentError;
    const bool serverStatus = code >= QNetworkReply::InternalServerError && code <= QNetworkReply::UnknownServerError;
    if (code != QNetworkReply::NoError && !httpStatus && !serverStatus) {
        emitState(inet::State::Error);
        throw transferError(numberOf(code), errorText.toStdString());
    }
    m_statusCode = status;
    emitState(inet::State::ResponseReceived);
    emitState(inet::State::Disconnecting);
    emitState(inet::State::Disconnected);
    emitState(inet::State::ResponseCompleted);
    return body.toStdString();
}

} // namespace platform
