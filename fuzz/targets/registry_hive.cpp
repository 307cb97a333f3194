// The registry hive files: a text that reads as a hive is written again, and
// the written text must read back and write the same text.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/registry/HiveData.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using platform::registry::detail::HiveData;
    const auto hive = HiveData::fromText(fuzz::asText(data, size));
    if (!hive) {
        return 0;
    }
    const std::string written = hive->toText();
    const auto again = HiveData::fromText(written);
    fuzz::check(again.has_value(), "a written hive reads back");
    fuzz::check(again->toText() == written, "a written hive writes the same text again");
    return 0;
}
