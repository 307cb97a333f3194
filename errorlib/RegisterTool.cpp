// rampart6-register [--unregister] [library]
// Registers the error-handling library's classes in the registry (or removes
// them), by calling the library's own registration export. Without a library
// argument it takes librampart6.so beside this program.

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/com/Com.h"
#include "platform/errors/Error.h"

namespace {
void here() {}
} // namespace

int main(int argc, char** argv)
{
    bool unregister = false;
    std::filesystem::path library;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--unregister") == 0) {
            unregister = true;
        } else {
            library = argv[i];
        }
    }
    if (library.empty()) {
        library = platform::com::ModulePathOf(reinterpret_cast<const void*>(&here)).parent_path() / "librampart6.so";
    }
    try {
        const std::int32_t rc = platform::com::RegisterServerLibrary(std::filesystem::absolute(library), unregister);
        if (rc != 0) {
            std::fprintf(stderr, "rampart6-register: the registry refused the change (code %d)\n", rc);
            return 1;
        }
    } catch (const platform::Error& e) {
        std::fprintf(stderr, "rampart6-register: %s\n", e.what());
        return 1;
    }
    return 0;
}
