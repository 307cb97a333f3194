#pragma once

// What the program's error reporter asks of the error handler object of the
// error-handling library: procedure tracing, the debug-mode flag and error
// propagation across a boundary. The program holds one link for its whole
// run; until the library is connected a link that does nothing stands in.

#include <string_view>

namespace shell {

// Boundary values of PropagateError.
inline constexpr int BoundaryNone = 1;
inline constexpr int BoundaryVB = 2;

class ErrorHandlerLink {
public:
    virtual ~ErrorHandlerLink() = default;

    virtual void TraceEnter(std::string_view module, std::string_view procedure) = 0;
    virtual void TraceExit(std::string_view module, std::string_view procedure) = 0;
    [[nodiscard]] virtual bool DebugMode() const = 0;
    virtual void PropagateError(int boundary) = 0;
};

class NullErrorHandlerLink final : public ErrorHandlerLink {
public:
    void TraceEnter(std::string_view, std::string_view) override {}
    void TraceExit(std::string_view, std::string_view) override {}
    [[nodiscard]] bool DebugMode() const override { return false; }
    void PropagateError(int) override {}
};

} // namespace shell
