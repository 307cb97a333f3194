// The settings (ini profile) files: the program's settings object reads its
// numbers from any file without failing, a value written into any file reads
// back, and the lines the write does not touch stay as they were.

#include <string>

#include "fuzz/FuzzSupport.h"
#include "platform/profile/Profile.h"
#include "shell/core/IniQuorin.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes = fuzz::asText(data, size);
    const fuzz::TempFile file("QUORIN.INI", bytes);
    const shell::IniQuorin settings(file.path());
    fuzz::check(settings.MaxNumRecentFile() >= 0, "the recent-file limit reads as a count");
    (void)platform::profile::GetString("Defaults", "DataDir", "", file.path());

    if (!platform::profile::WriteString("Defaults", "InFileType", std::string("12"), file.path())) {
        return 0;
    }
    fuzz::check(platform::profile::GetString("Defaults", "InFileType", "", file.path()) == "12",
                "a written value reads back");
    fuzz::check(platform::profile::WriteString("Defaults", "InFileType", std::nullopt, file.path()),
                "a written key can be deleted");
    // A file that held the key already may hold it twice; deleting takes one.
    std::string folded(bytes);
    for (char& c : folded) {
        c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (folded.find("infiletype") == std::string::npos) {
        fuzz::check(platform::profile::GetString("Defaults", "InFileType", "gone", file.path()) == "gone",
                    "a deleted key is gone");
    }
    return 0;
}
