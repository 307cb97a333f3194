#include "errorlib/MException.h"

#include <array>
#include <csignal>
#include <utility>

namespace rampart {

namespace {

constexpr std::array<std::pair<std::uint32_t, const char*>, 23> kNames = {{
    {0x80000001, "EXCEPTION_GUARD_PAGE_VIOLATION"},
    {0x80000002, "EXCEPTION_DATATYPE_MISALIGNMENT"},
    {0x80000003, "EXCEPTION_BREAKPOINT"},
    {0x80000004, "EXCEPTION_SINGLE_STEP"},
    {0xC0000005, "EXCEPTION_ACCESS_VIOLATION"},
    {0xC0000006, "EXCEPTION_IN_PAGE_ERROR"},
    {0xC0000008, "EXCEPTION_INVALID_HANDLE"},
    {0xC000001D, "EXCEPTION_ILLEGAL_INSTRUCTION"},
    {0xC0000025, "EXCEPTION_NONCONTINUABLE_EXCEPTION"},
    {0xC0000026, "EXCEPTION_INVALID_DISPOSITION"},
    {0xC000008C, "EXCEPTION_ARRAY_BOUNDS_EXCEEDED"},
    {0xC000008D, "EXCEPTION_FLT_DENORMAL_OPERAND"},
    {0xC000008E, "EXCEPTION_FLT_DIVIDE_BY_ZERO"},
    {0xC000008F, "EXCEPTION_FLT_INEXACT_RESULT"},
    {0xC0000090, "EXCEPTION_FLT_INVALID_OPERATION"},
    {0xC0000091, "EXCEPTION_FLT_OVERFLOW"},
    {0xC0000092, "EXCEPTION_FLT_STACK_CHECK"},
    {0xC0000093, "EXCEPTION_FLT_UNDERFLOW"},
    {0xC0000094, "EXCEPTION_INT_DIVIDE_BY_ZERO"},
    {0xC0000095, "EXCEPTION_INT_OVERFLOW"},
    {0xC0000096, "EXCEPTION_PRIVILEGED_INSTRUCTION"},
    {0xC00000FD, "EXCEPTION_STACK_OVERFLOW"},
    {0xC000013A, "EXCEPTION_CONTROL_C_EXIT"},
}};

} // namespace

const char* ExceptionName(std::uint32_t code)
{
    for (const auto& [c, name] : kNames) {
        if (c == code) {
            return name;
        }
    }
    return "Exception Code";
}

std::uint32_t InnermostExceptionCode(const ExceptionInfo* info)
{
    if (info == nullptr) {
        return 0;
    }
    const ExceptionInfo* record = info;
    for (int followed = 1; record->nested != nullptr && followed < 16; ++followed) {
        record = record->nested;
    }
    return record->code;
}

std::uint32_t ExceptionCodeOfSignal(int signal, int siCode)
{
    switch (signal) {
    case SIGSEGV: return 0xC0000005;
    case SIGFPE:
        switch (siCode) {
        case FPE_INTDIV: return 0xC0000094;
        case FPE_INTOVF: return 0xC0000095;
        case FPE_FLTDIV: return 0xC000008E;
        case FPE_FLTOVF: return 0xC0000091;
        case FPE_FLTUND: return 0xC0000093;
        case FPE_FLTRES: return 0xC000008F;
        case FPE_FLTSUB: return 0xC000008C;
        default: return 0xC0000090;
        }
    case SIGILL: return siCode == ILL_PRVOPC ? 0xC0000096 : 0xC000001D;
    case SIGBUS: return siCode == BUS_ADRALN ? 0x80000002 : 0xC0000006;
    case SIGTRAP: return siCode == TRAP_TRACE ? 0x80000004 : 0x80000003;
    case SIGINT: return 0xC000013A;
    default: return 0;
    }
}

} // namespace rampart
