#pragma once

// The values a client hands to LogData: a small variant with the run-time's
// type names and text conversion.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "errorlib/rampart6_export.h"

namespace rampart {

class Variant;

struct Empty {};
struct Null {};
struct Nothing {};  // an object reference that is not set

// A Byte() array.
struct ByteArray {
    std::int32_t lower = 0;
    std::vector<std::uint8_t> items;
};

// An array of another element type ("String", "Double", "Variant", ...).
struct VariantArray {
    std::string elementType;
    std::int32_t lower = 0;
    std::vector<Variant> items;
};

class RAMPART6_EXPORT Variant {
public:
    using Storage = std::variant<Empty, Null, bool, std::int16_t, std::int32_t, double, std::string, Nothing,
                                 ByteArray, VariantArray>;

    Variant() = default;
    Variant(Storage value) : m_value(std::move(value)) {}  // NOLINT: implicit on purpose
    Variant(const char* text) : m_value(std::string(text)) {}

    [[nodiscard]] const Storage& value() const { return m_value; }

    // "Empty", "Null", "Boolean", "Integer", "Long", "Double", "String",
    // "Nothing", "Byte()", and the element type followed by "()" for arrays.
    [[nodiscard]] std::string TypeName() const;

    // The value as text: numbers in their shortest form ("1.5", "2"),
    // Booleans "True"/"False", Empty "". nullopt where the run-time fails
    // (Null, Nothing, arrays).
    [[nodiscard]] std::optional<std::string> CStr() const;

private:
    Storage m_value;
};

} // namespace rampart
