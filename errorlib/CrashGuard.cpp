#include "errorlib/CrashGuard.h"

#include <array>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <exception>
#include <memory>
#include <string>
#include <typeinfo>

#include <cxxabi.h>
#include <fcntl.h>
#include <unistd.h>

#include "errorlib/MException.h"
#include "errorlib/MRampart.h"

namespace rampart {

namespace {

constexpr std::array<int, 6> kSignals = {SIGSEGV, SIGFPE, SIGILL, SIGBUS, SIGTRAP, SIGINT};

// Everything the signal path needs, prepared when the guard is installed.
struct Prepared {
    ICErrorHandler* handler = nullptr;
    std::array<char, 4096> logPath{};
    std::array<char, 512> component{};
    std::array<char, 512> description{};
    long utcOffset = 0;
    std::array<struct sigaction, kSignals.size()> previous{};
    std::terminate_handler previousTerminate = nullptr;
};

Prepared g_prepared;

// A fixed buffer that appends without allocating.
class SafeText {
public:
    void add(const char* text)
    {
        while (*text != '\0' && m_size + 1 < m_buffer.size()) {
            m_buffer[m_size++] = *text++;
        }
        m_buffer[m_size] = '\0';
    }
    void addNumber(unsigned long value, int width, int base = 10)
    {
        std::array<char, 24> digits{};
        int n = 0;
        do {
            const auto d = static_cast<int>(value % static_cast<unsigned long>(base));
            digits[static_cast<std::size_t>(n++)] = static_cast<char>(d < 10 ? '0' + d : 'A' + d - 10);
            value /= static_cast<unsigned long>(base);
        } while (value != 0 && n < 23);
        while (n < width && n < 23) {
            digits[static_cast<std::size_t>(n++)] = '0';
        }
        char out[24] = {};
        for (int i = 0; i < n; ++i) {
            out[i] = digits[static_cast<std::size_t>(n - 1 - i)];
        }
        add(out);
    }
    void field(const char* label, const char* value)
    {
        add(label);
        add(value);
        add("\r\n");
    }
    [[nodiscard]] const char* data() const { return m_buffer.data(); }
    [[nodiscard]] std::size_t size() const { return m_size; }

private:
    std::array<char, 8192> m_buffer{};
    std::size_t m_size = 0;
};

// "yyyy/mm/dd hh:nn:ss" of the local time, from arithmetic only.
void addTimestamp(SafeText& out, long utcOffset)
{
    const long long t = static_cast<long long>(::time(nullptr)) + utcOffset;
    long long days = t / 86400;
    long long secs = t % 86400;
    if (secs < 0) {
        secs += 86400;
        --days;
    }
    // Civil date from days since 1970-01-01 (proleptic Gregorian).
    days += 719468;
    const long long era = (days >= 0 ? days : days - 146096) / 146097;
    const auto doe = static_cast<unsigned long long>(days - era * 146097);
    const unsigned long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned long long mp = (5 * doy + 2) / 153;
    const unsigned long long d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned long long m = mp < 10 ? mp + 3 : mp - 9;
    const long long y = static_cast<long long>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
    out.addNumber(static_cast<unsigned long>(y), 4);
    out.add("/");
    out.addNumber(static_cast<unsigned long>(m), 2);
    out.add("/");
    out.addNumber(static_cast<unsigned long>(d), 2);
    out.add(" ");
    out.addNumber(static_cast<unsigned long>(secs / 3600), 2);
    out.add(":");
    out.addNumber(static_cast<unsigned long>(secs / 60 % 60), 2);
    out.add(":");
    out.addNumber(static_cast<unsigned long>(secs % 60), 2);
}

// What the report says happened; empty texts leave their fields empty.
struct Cause {
    const char* procedure = "";
    const char* context = "";
    const char* description = "";  // the handler's default description when empty
};

// The report of HandleError for BaseErrorNumber + 8 at a fatal place.
void buildReport(SafeText& out, std::uint32_t code, const char* source, const Cause& cause)
{
    out.add("Rampart Error Report\t\t");
    addTimestamp(out, g_prepared.utcOffset);
    out.add("\r\n\r\n");
    out.field("Component        = ", g_prepared.component.data());
    out.field("Module           = ", "");
    out.field("Procedure        = ", cause.procedure);
    out.field("Context          = ", cause.context);
    out.field("Boundary         = ", "rmpBoundaryNone");
    out.field("Severity         = ", "rmpSeverityFatal");
    out.field("Erl              = ", "0");
    out.add("Exception Code   = &H");
    out.addNumber(code, 8, 16);
    out.add("\r\n");
    out.field("Exception Id     = ", ExceptionName(code));
    out.field("Source           = ", source);
    out.add("\r\n");
    out.field("Description      = ", *cause.description != '\0' ? cause.description : g_prepared.description.data());
    out.field("Suggestion       = ", "");
    out.field("Notes            = ", "");
}

// The names of the signals the guard catches (async-signal-safe: constants only).
const char* signalName(int signal)
{
    switch (signal) {
    case SIGSEGV: return "SIGSEGV";
    case SIGFPE: return "SIGFPE";
    case SIGILL: return "SIGILL";
    case SIGBUS: return "SIGBUS";
    case SIGTRAP: return "SIGTRAP";
    case SIGINT: return "SIGINT";
    default: return "signal";
    }
}

// "Signal SIGSEGV (11)", built without allocating.
void describeSignal(SafeText& out, int signal)
{
    out.add("Signal ");
    out.add(signalName(signal));
    out.add(" (");
    out.addNumber(static_cast<unsigned long>(signal), 1);
    out.add(")");
}

// The type's name as written in the source ("std::runtime_error"), or its
// mangled name when it cannot be demangled.
std::string typeName(const std::type_info& type)
{
    int status = 0;
    const std::unique_ptr<char, void (*)(void*)> demangled(abi::__cxa_demangle(type.name(), nullptr, nullptr, &status),
                                                          std::free);
    return status == 0 && demangled ? std::string(demangled.get()) : std::string(type.name());
}

// The exception that reached std::terminate: where it was raised, its type
// and its message. Called from the terminate handler, where the exception is
// the one being handled.
struct Uncaught {
    std::string procedure;
    std::string context;
    std::string description;
};

Uncaught describeUncaught()
{
    Uncaught u;
    const std::type_info* type = abi::__cxa_current_exception_type();
    if (type == nullptr) {
        u.context = "std::terminate called without an exception";
        return u;
    }
    u.context = "Uncaught exception of type " + typeName(*type);
    try {
        throw;
    } catch (const platform::Error& e) {
        u.procedure = e.source();
        u.description = "Error " + std::to_string(e.number()) + ": " + e.description();
    } catch (const std::exception& e) {
        u.description = e.what();
    } catch (...) {
    }
    return u;
}

void onSignal(int signal, siginfo_t* info, void*)
{
    const std::uint32_t code = ExceptionCodeOfSignal(signal, info != nullptr ? info->si_code : 0);
    SafeText context;
    describeSignal(context, signal);
    SafeText report;
    buildReport(report, code, "Rampart6", Cause{"", context.data(), ""});
    report.add("\r\n");
    const int fd = ::open(g_prepared.logPath.data(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) {
        std::size_t done = 0;
        while (done < report.size()) {
            const ssize_t n = ::write(fd, report.data() + done, report.size() - done);
            if (n <= 0) {
                break;
            }
            done += static_cast<std::size_t>(n);
        }
        ::close(fd);
    }
    // The default action ends the process as the signal would have.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigemptyset(&dfl.sa_mask);
    ::sigaction(signal, &dfl, nullptr);
    ::raise(signal);
}

[[noreturn]] void onTerminate()
{
    if (ICErrorHandler* handler = g_prepared.handler) {
        Uncaught uncaught;
        try {
            uncaught = describeUncaught();
        } catch (...) {
        }
        try {
            const ExceptionInfo info{CppExceptionCode, nullptr};
            (void)handler->HandleException(&info);
        } catch (const platform::Error& e) {
            try {
                SafeText report;
                buildReport(report, CppExceptionCode, e.source().c_str(),
                            Cause{uncaught.procedure.c_str(), uncaught.context.c_str(), uncaught.description.c_str()});
                handler->LogString(report.data());
            } catch (...) {
            }
        } catch (...) {
        }
    }
    std::abort();
}

void copyInto(std::array<char, 4096>& target, const std::string& text)
{
    const std::size_t n = std::min(text.size(), target.size() - 1);
    std::memcpy(target.data(), text.data(), n);
    target[n] = '\0';
}

void copyInto(std::array<char, 512>& target, const std::string& text)
{
    const std::size_t n = std::min(text.size(), target.size() - 1);
    std::memcpy(target.data(), text.data(), n);
    target[n] = '\0';
}

} // namespace

// The alternate stack the signal handler runs on while installed: a fault
// from an overflowed stack leaves no room on that stack for the handler.
class CrashGuard::SignalStack {
public:
    SignalStack() : m_memory(std::make_unique<char[]>(kSize))
    {
        stack_t own{};
        own.ss_sp = m_memory.get();
        own.ss_size = kSize;
        own.ss_flags = 0;
        m_installed = ::sigaltstack(&own, &m_previous) == 0;
    }
    ~SignalStack()
    {
        if (m_installed) {
            // A previous stack that was disabled is restored as disabled.
            ::sigaltstack(&m_previous, nullptr);
        }
    }
    SignalStack(const SignalStack&) = delete;
    SignalStack& operator=(const SignalStack&) = delete;

private:
    // The report buffer (8 KiB) and the handler's calls, with ample room.
    static constexpr std::size_t kSize = 64 * 1024;
    std::unique_ptr<char[]> m_memory;
    stack_t m_previous{};
    bool m_installed = false;
};

CrashGuard::CrashGuard(ICErrorHandler& handler) : m_signalStack(std::make_unique<SignalStack>())
{
    g_prepared.handler = &handler;
    copyInto(g_prepared.component, handler.ComponentName());
    copyInto(g_prepared.description, handler.DefaultErrorDescription());

    // The log file name as LogString would use it today.
    const std::string logFile = handler.LogFile();
    const std::string pattern = handler.PeriodicLogFileFormat();
    std::string path = handler.LogPath() + logFile;
    const std::size_t dot = logFile.find('.');
    if (!pattern.empty() && dot != std::string::npos) {
        path = handler.LogPath() + logFile.substr(0, dot) + FormatDatePattern(LocalNow(), pattern) + "." +
               logFile.substr(dot + 1);
    }
    copyInto(g_prepared.logPath, path);

    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    g_prepared.utcOffset = tm.tm_gmtoff;

    struct sigaction action {};
    action.sa_sigaction = onSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &action, &g_prepared.previous[i]);
    }
    g_prepared.previousTerminate = std::set_terminate(onTerminate);
}

CrashGuard::~CrashGuard()
{
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &g_prepared.previous[i], nullptr);
    }
    std::set_terminate(g_prepared.previousTerminate);
    g_prepared.handler = nullptr;
    m_signalStack.reset();  // after the handlers that ran on it are gone
}

} // namespace rampart
