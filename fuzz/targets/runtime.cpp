// The run-time's number reading and formatting: Val, IsNumeric, CDbl, CStr
// and Format. The first 8 bytes are a double for Format, the rest is the
// text: the number text for Val and CDbl and the pattern for Format.

#include <cmath>
#include <cstring>
#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/errors/Error.h"
#include "platform/runtime/Convert.h"
#include "platform/runtime/Format.h"

namespace {

void readNumber(std::string_view text)
{
    double value = 0;
    bool overflow = false;
    try {
        value = platform::rt::Val(text);
    } catch (const platform::Error& e) {
        fuzz::check(e.number() == platform::err::Overflow, "Val raises only overflow");
        overflow = true;
    }
    fuzz::check(overflow || std::isfinite(value), "Val gives a finite number");
    if (platform::rt::IsNumeric(text)) {
        try {
            const double whole = platform::rt::CDbl(text);
            fuzz::check(!overflow && whole == value, "CDbl of a numeric text is its Val");
        } catch (const platform::Error& e) {
            fuzz::check(overflow && e.number() == platform::err::Overflow, "CDbl fails only where Val does");
        }
    }
    if (!overflow) {
        // The general text of a number reads back to it within its 15 digits;
        // only the largest doubles round up past the range on the way.
        try {
            const double again = platform::rt::Val(platform::rt::CStr(value));
            fuzz::check(std::fabs(again - value) <= 1e-14 * std::fabs(value), "CStr reads back through Val");
        } catch (const platform::Error&) {
            fuzz::check(std::fabs(value) > 1.797693134862310e308, "CStr reads back through Val without overflow");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string_view text = fuzz::asText(data, size);
    readNumber(text);
    if (size >= sizeof(double)) {
        double value = 0;
        std::memcpy(&value, data, sizeof(double));
        text.remove_prefix(sizeof(double));
        readNumber(text);
        try {
            (void)platform::rt::Format(value, text);
        } catch (const platform::Error& e) {
            fuzz::check(!std::isfinite(value) && e.number() == platform::err::Overflow,
                        "Format refuses only what is not a finite number");
        }
    }
    return 0;
}
