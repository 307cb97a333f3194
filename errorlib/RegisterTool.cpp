// rampart6-register [--unregister] [--machine] [library]
// Registers the error-handling library's classes in the registry (or removes
// them), by calling the library's own registration export. Without a library
// argument it takes librampart6.so beside this program. With --machine the
// registration goes to the installation's own hive folder (the one beside
// this program, see registry::machineWideFolder()), where every user of the
// installation finds it; otherwise to the registry in force (the user's).

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/com/Com.h"
#include "platform/errors/Error.h"
#include "platform/registry/Registry.h"

namespace {
void here() {}
} // namespace

int main(int argc, char** argv)
{
    bool unregister = false;
    bool machine = false;
    std::filesystem::path library;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--unregister") == 0) {
            unregister = true;
        } else if (std::strcmp(argv[i], "--machine") == 0) {
            machine = true;
        } else {
            library = argv[i];
        }
    }
    if (library.empty()) {
        library = platform::com::ModulePathOf(reinterpret_cast<const void*>(&here)).parent_path() / "librampart6.so";
    }
    if (machine) {
        // The library writes where the registry folder variable points, in
        // its own copy of the registry code: point it at the installation's.
        const std::filesystem::path folder = platform::registry::machineWideFolder();
        if (folder.empty()) {
            std::fprintf(stderr, "rampart6-register: the installation's registry folder is unknown\n");
            return 1;
        }
        ::setenv("TESSARAY_REGISTRY_DIR", folder.c_str(), 1);
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
