#pragma once

// The program's one error type: a numbered error with a source and a
// description, as every subsystem raises and reports it.
//
// Numbers are the run-time library's (6 overflow, 9 subscript out of range,
// 11 division by zero, 52-76 file errors, ...) or a subsystem's own; the
// source names the procedures the error passed through, the description says
// what went wrong. Cores throw it; only boundaries catch it (the window guard,
// file load and save, the engine interface).

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace platform {

// Error numbers the program raises by name.
namespace err {
inline constexpr std::int32_t Raised = 1;             // raised by RaiseError
inline constexpr std::int32_t InvalidCall = 5;        // invalid procedure call or argument
inline constexpr std::int32_t Overflow = 6;
inline constexpr std::int32_t OutOfMemory = 7;
inline constexpr std::int32_t Subscript = 9;          // subscript out of range
inline constexpr std::int32_t DivisionByZero = 11;
inline constexpr std::int32_t TypeMismatch = 13;
inline constexpr std::int32_t BadFileNumber = 52;     // bad file name or number
inline constexpr std::int32_t FileNotFound = 53;
inline constexpr std::int32_t BadFileMode = 54;
inline constexpr std::int32_t FileAlreadyOpen = 55;
inline constexpr std::int32_t DeviceIO = 57;
inline constexpr std::int32_t FileExists = 58;
inline constexpr std::int32_t DiskFull = 61;
inline constexpr std::int32_t InputPastEnd = 62;
inline constexpr std::int32_t TooManyFiles = 67;
inline constexpr std::int32_t PermissionDenied = 70;
inline constexpr std::int32_t PathFileAccess = 75;
inline constexpr std::int32_t PathNotFound = 76;
inline constexpr std::int32_t ObjectNotSet = 91;
inline constexpr std::int32_t InvalidUseOfNull = 94;
inline constexpr std::int32_t ResultShape = 195;      // matrix result has the wrong shape
inline constexpr std::int32_t InnerDimensions = 197;  // matrix inner dimensions differ
inline constexpr std::int32_t InvalidPropertyValue = 380;
inline constexpr std::int32_t CannotCreateObject = 429;
inline constexpr std::int32_t PrinterError = 482;
inline constexpr std::int32_t FileDialogCancelled = 32755;
} // namespace err

// Source given to errors that the run-time itself raises.
inline constexpr std::string_view RuntimeSource = "Quorin";

// Default visibility: the error is thrown inside shared libraries loaded at
// run time (librampart6.so), and the client's catch must match that type.
class [[gnu::visibility("default")]] Error : public std::exception {
public:
    Error(std::int32_t number, std::string source, std::string description);

    // A run-time error: source "Quorin" and the number's standard description.
    [[nodiscard]] static Error runtime(std::int32_t number);
    // A run-time error with its standard description, raised by the named procedure.
    [[nodiscard]] static Error runtime(std::int32_t number, std::string source);

    [[nodiscard]] std::int32_t number() const noexcept { return m_number; }
    [[nodiscard]] const std::string& source() const noexcept { return m_source; }
    [[nodiscard]] const std::string& description() const noexcept { return m_description; }

    // Adds one line to the trail: ", " + source + CR LF to the source and
    // ", " + note + CR LF to the description. The number stays.
    void appendTrail(std::string_view source, std::string_view note);

    [[nodiscard]] const char* what() const noexcept override;

private:
    std::int32_t m_number;
    std::string m_source;
    std::string m_description;
    std::string m_what;
};

// The run-time library's text for an error number; "Application-defined or
// object-defined error" for numbers it has no text for.
[[nodiscard]] std::string StandardDescription(std::int32_t number);

// Turns whatever is being handled into a numbered error: an Error as it is,
// std::bad_alloc as 7, std::out_of_range and std::length_error as 9,
// std::overflow_error as 6, std::invalid_argument as 5, any other exception as
// 1 with its text. Call only inside a catch block.
[[nodiscard]] Error currentAsError();

// The error being handled by the innermost active catch block of this thread,
// or null when none is (or when what is handled is not an Error). The pointer
// is valid while that catch block runs.
[[nodiscard]] Error* pendingError() noexcept;

// Starts or extends an error trail.
// With no error pending, raises Error(1, source, description).
// Inside a catch block of an Error, appends ", source CR LF" to its source and
// ", description CR LF" to its description and returns; rethrow it with
// `throw;` to pass the trail on.
// Inside a catch block of any other exception, raises that exception as a
// numbered error (see currentAsError) with the line appended.
//
//     try { loadSheet(); }
//     catch (const platform::Error&) {
//         platform::RaiseError("OpenBook", "while loading the first sheet");
//         throw;
//     }
void RaiseError(std::string_view source, std::string_view description);

} // namespace platform
