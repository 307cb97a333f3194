#pragma once

// Exception codes and their names, and the translation of the fatal signals
// and std::terminate of this platform into those codes.

#include <cstdint>
#include <string>

#include "errorlib/Rampart.h"

namespace rampart {

// Code of an exception thrown by C++ code and never caught.
inline constexpr std::uint32_t CppExceptionCode = 0xE06D7363;

// "EXCEPTION_ACCESS_VIOLATION" and the other names of the 23 known codes;
// "Exception Code" for any other code.
[[nodiscard]] const char* ExceptionName(std::uint32_t code);

// The code of the innermost record of the chain; at most 16 records are
// followed, so that a cyclic or runaway chain ends. 0 for no record.
[[nodiscard]] std::uint32_t InnermostExceptionCode(const ExceptionInfo* info);

// The exception code of a fatal signal (SIGSEGV, SIGFPE, SIGILL, SIGBUS,
// SIGTRAP, SIGINT) with its si_code; 0 for another signal.
[[nodiscard]] std::uint32_t ExceptionCodeOfSignal(int signal, int siCode);

} // namespace rampart
