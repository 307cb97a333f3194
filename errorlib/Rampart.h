#pragma once

// Public types of the error-handling library librampart6.so: identifiers,
// enumerations, the client's error object and the choice codes.
//
// A client creates the handler through the class factory:
//
//     auto handler = platform::com::CreateObject<rampart::ICErrorHandler>(rampart::CLSID_CErrorHandler);
//     handler->SetComponentName("Quorin");
//     handler->Initialize();
//
// The library raises platform::Error (number, source, description); its own
// errors have the source "Rampart" and numbers relative to BaseErrorNumber.

#include <cstdint>
#include <string>

#include "platform/errors/Error.h"

namespace rampart {

// Identifiers of the type library, its classes, interfaces and enumerations.
inline constexpr const char* LIBID_Rampart6 = "{F0601E0E-368F-11D5-A8C1-0090273E728F}";
inline constexpr const char* CLSID_CErrorHandler = "{F0601E1C-368F-11D5-A8C1-0090273E728F}";
inline constexpr const char* IID_ICErrorHandler = "{E47AFAB9-8085-11D5-A920-0090273E728F}";
inline constexpr const char* IID_ICErrorHandlerEvents = "{E47AFABA-8085-11D5-A920-0090273E728F}";
inline constexpr const char* CLSID_IErrorClient = "{F0601E1A-368F-11D5-A8C1-0090273E728F}";
inline constexpr const char* IID_IErrorClient = "{0F8F9298-3696-11D5-A8C1-0090273E728F}";
inline constexpr const char* GUID_RampartBoundaryType = "{0F8F929A-3696-11D5-A8C1-0090273E728F}";
inline constexpr const char* GUID_RampartSeverityType = "{0F8F929B-3696-11D5-A8C1-0090273E728F}";
inline constexpr const char* GUID_RampartAPIReturnType = "{0F8F929C-3696-11D5-A8C1-0090273E728F}";
inline constexpr const char* GUID_RampartRetryType = "{0F8F929D-3696-11D5-A8C1-0090273E728F}";

// The kind of call boundary at the procedure that handles an error.
enum RampartBoundaryType : std::int32_t {
    rmpBoundaryNone = 1,
    rmpBoundaryVB = 2,
    rmpBoundaryFirewall = 3,
    rmpBoundaryActiveX = 4,
};

enum RampartSeverityType : std::int32_t {
    rmpSeverityCosmetic = 1,
    rmpSeverityNormal = 2,
    rmpSeverityFatal = 3,
};

// How a failed system call reports failure (note the prefix of the last one).
enum RampartAPIReturnType : std::int32_t {
    rmpAPIBool = 1,
    rmpAPILong = 2,
    rmpAPIHandle = 3,
    rmbAPIVoid = 4,
};

enum RampartRetryType : std::int32_t {
    rmpRetryLine = 1,
    rmpRetryProcedure = 2,
    rmpRetryNone = 3,
};

// The user's choice, returned by HandleError and set by the callbacks.
// Any other value coming back from a callback counts as rmpActionNone.
enum RampartActionType : std::int16_t {
    rmpActionNone = 0,
    rmpActionCancel = 2,
    rmpActionEnd = 3,
    rmpActionRetry = 4,
    rmpActionIgnore = 5,
};

// The client's error object: the error being handled and where it happened.
struct ErrObject {
    std::int32_t Number = 0;
    std::string Source;
    std::string Description;
    std::int32_t LastDllError = 0;  // the system error code (errno) captured after the failing call
    std::int32_t Erl = 0;           // line number of the failing statement, 0 when unknown

    ErrObject() = default;
    ErrObject(std::int32_t number, std::string source, std::string description, std::int32_t lastDllError = 0,
              std::int32_t erl = 0)
        : Number(number), Source(std::move(source)), Description(std::move(description)),
          LastDllError(lastDllError), Erl(erl)
    {
    }
    explicit ErrObject(const platform::Error& e) : Number(e.number()), Source(e.source()), Description(e.description()) {}
};

// One record of a chain of exception records: the code and the record nested
// in it (null for none). The innermost record's code names the exception.
struct ExceptionInfo {
    std::uint32_t code = 0;
    const ExceptionInfo* nested = nullptr;
};

} // namespace rampart
