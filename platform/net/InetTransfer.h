#pragma once

// The Internet transfer control: one synchronous HTTP request at a time.
//
// OpenURL returns the whole body of the reply, whatever its HTTP status;
// StatusCode tells the status of the reply it returned last. The
// call does not return before the reply has arrived, failed, timed out or
// been cancelled, but the window system's events keep being delivered while
// it waits, so windows repaint and a Cancel button can be pressed. State
// changes are reported through the StateChanged callback with the control's
// codes (1 looking up the address ... 12 operation successful).
//
// Failures are numbered errors in the control's range:
//   35761  the request timed out
//   35773  the server's name could not be resolved
//   35795  no connection could be made to the server (or the proxy)
//   35796  the connection was closed before the whole reply arrived
//   35783  the request was cancelled
//   35764  a request is still running (OpenURL called while one runs)
//   35750  any other transfer failure

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

namespace inet {
inline constexpr std::int32_t TimedOut = 35761;
inline constexpr std::int32_t StillExecuting = 35764;
inline constexpr std::int32_t NameNotResolved = 35773;
inline constexpr std::int32_t Cancelled = 35783;
inline constexpr std::int32_t CannotConnect = 35795;
inline constexpr std::int32_t ConnectionAborted = 35796;
inline constexpr std::int32_t OtherFailure = 35750;

// Access types.
inline constexpr int UseDefault = 0;  // the system's proxy settings
inline constexpr int Direct = 1;      // no proxy
inline constexpr int NamedProxy = 2;  // the proxy named by setProxy

// State codes reported through StateChanged.
enum class State : int {
    ResolvingHost = 1,
    HostResolved = 2,
    Connecting = 3,
    Connected = 4,
    Requesting = 5,
    RequestSent = 6,
    ReceivingResponse = 7,
    ResponseReceived = 8,
    Disconnecting = 9,
    Disconnected = 10,
    Error = 11,
    ResponseCompleted = 12,
};
} // namespace inet

class InetTransfer {
public:
    virtual ~InetTransfer() = default;

    // The body of the reply to a GET of `url`. Throws platform::Error.
    [[nodiscard]] virtual std::string OpenURL(const std::string& url) = 0;
    // Ends the request that is running (its OpenURL raises 35783); nothing
    // happens when none is running. Safe to call from a handler that runs
    // while OpenURL waits.
    virtual void Cancel() = 0;

    virtual void setAccessType(int type) = 0;
    [[nodiscard]] virtual int AccessType() const = 0;
    // "host" or "host:port" (port 80 when none is given).
    virtual void setProxy(const std::string& proxy) = 0;
    [[nodiscard]] virtual std::string Proxy() const = 0;
    // Seconds a request may take before it times out (0: no limit).
    virtual void setRequestTimeout(int seconds) = 0;
    // The HTTP status (200, 404, 500 ...) of the reply the last OpenURL
    // returned; 0 before any reply and after a request that failed.
    [[nodiscard]] virtual int StatusCode() const = 0;

    std::function<void(int state)> StateChanged;

protected:
    InetTransfer() = default;
    InetTransfer(const InetTransfer&) = default;
    InetTransfer& operator=(const InetTransfer&) = default;

    void emitState(inet::State state)
    {
        if (StateChanged) {
            StateChanged(static_cast<int>(state));
        }
    }
};

} // namespace platform
