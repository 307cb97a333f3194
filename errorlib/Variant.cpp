#include "errorlib/Variant.h"

#include <array>
#include <charconv>

namespace rampart {

namespace {

template <class... F>
struct Overload : F... {
    using F::operator()...;
};
template <class... F>
Overload(F...) -> Overload<F...>;

} // namespace

std::string Variant::TypeName() const
{
    return std::visit(Overload{
                          [](const Empty&) { return std::string("Empty"); },
                          [](const Null&) { return std::string("Null"); },
                          [](bool) { return std::string("Boolean"); },
                          [](std::int16_t) { return std::string("Integer"); },
                          [](std::int32_t) { return std::string("Long"); },
                          [](double) { return std::string("Double"); },
                          [](const std::string&) { return std::string("String"); },
                          [](const Nothing&) { return std::string("Nothing"); },
                          [](const ByteArray&) { return std::string("Byte()"); },
                          [](const VariantArray& a) { return a.elementType + "()"; },
                      },
                      m_value);
}

std::optional<std::string> Variant::CStr() const
{
    return std::visit(Overload{
                          [](const Empty&) -> std::optional<std::string> { return std::string(); },
                          [](const Null&) -> std::optional<std::string> { return std::nullopt; },
                          [](bool b) -> std::optional<std::string> { return std::string(b ? "True" : "False"); },
                          [](std::int16_t n) -> std::optional<std::string> { return std::to_string(n); },
                          [](std::int32_t n) -> std::optional<std::string> { return std::to_string(n); },
                          [](double d) -> std::optional<std::string> {
                              std::array<char, 32> buf{};
                              const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), d);
                              return std::string(buf.data(), r.ptr);
                          },
                          [](const std::string& s) -> std::optional<std::string> { return s; },
                          [](const Nothing&) -> std::optional<std::string> { return std::nullopt; },
                          [](const ByteArray&) -> std::optional<std::string> { return std::nullopt; },
                          [](const VariantArray&) -> std::optional<std::string> { return std::nullopt; },
                      },
                      m_value);
}

} // namespace rampart
