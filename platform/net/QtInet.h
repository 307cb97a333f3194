#pragma once

// The Internet transfer control on QtNetwork: OpenURL waits for its reply in
// a local event loop, so the application stays responsive; a timer ends a
// request that takes longer than the time-out.

#include <memory>
#include <string>

#include "platform/net/InetTransfer.h"

class QNetworkAccessManager;
class QNetworkReply;
class QEventLoop;

namespace platform {

class QtInet final : public InetTransfer {
public:
    QtInet();
    ~QtInet() override;
    QtInet(const QtInet&) = delete;
    QtInet& operator=(const QtInet&) = delete;

    [[nodiscard]] std::string OpenURL(const std::string& url) override;
    void Cancel() override;
    void setAccessType(int type) override { m_accessType = type; }
    [[nodiscard]] int AccessType() const override { return m_accessType; }
    void setProxy(const std::string& proxy) override { m_proxy = proxy; }
    [[nodiscard]] std::string Proxy() const override { return m_proxy; }
    void setRequestTimeout(int seconds) override { m_timeoutSeconds = seconds; }
    [[nodiscard]] int StatusCode() const override { return m_statusCode; }

    [[nodiscard]] bool busy() const { return m_reply != nullptr; }

private:
    void applyProxy();

    std::unique_ptr<QNetworkAccessManager> m_manager;
    QNetworkReply* m_reply = nullptr;
    QEventLoop* m_loop = nullptr;
    int m_accessType = inet::UseDefault;
    std::string m_proxy;
    int m_timeoutSeconds = 60;
    int m_statusCode = 0;
    bool m_cancelled = false;
    bool m_timedOut = false;
};

} // namespace platform
