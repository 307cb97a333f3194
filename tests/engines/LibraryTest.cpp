// The library as the program sees it: loadable by name, exporting exactly its
// engine names, and keeping the host's progress window choice.

#include "engines/EngineProgress.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <array>
#include <cstdio>
#include <memory>
#include <ranges>
#include <set>
#include <sstream>
#include <string>

namespace {

const std::set<std::string> kFrameAndSmallExports = {
    "ExactDLL", "KMPSearchDLL", "KMPSearchMDLL", "KMPSearchMDLL_sized", "SwitchColLMColDLL",
    "SwitchColLMColDLL_sized", "brentDLL", "brentDblXIntADLL", "tallowin_set_progress_factory",
};

const std::set<std::string> kAllowedExports = {
    "DNAMLDLL", "DNAMLDLLWithProgress", "ExactDLL", "KMPSearchDLL", "KMPSearchMDLL", "SwitchColLMColDLL",
    "brentDLL", "brentDblXIntADLL", "capMainDll", "mapMainDll",
};

bool isSizedOrHook(const std::string& name)
{
    return name.ends_with("_sized") || name.rfind("tallowin_", 0) == 0;
}

std::set<std::string> definedDynamicSymbols(const std::string& file)
{
    const std::string command = "nm -D --defined-only '" + file + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::set<std::string> names;
    if (!pipe)
        return names;
    std::array<char, 512> line{};
    while (std::fgets(line.data(), static_cast<int>(line.size()), pipe.get()) != nullptr) {
        std::istringstream fields(line.data());
        std::string address, type, name;
        if (!(fields >> address >> type >> name))
            continue;
        if (type == "T" || type == "W" || type == "D" || type == "B" || type == "R")
            names.insert(name.substr(0, name.find('@')));
    }
    return names;
}

} // namespace

TEST(TallowinLibrary, ExportsOnlyEngineNamesSizedFormsAndTheProgressHook)
{
    const auto names = definedDynamicSymbols(TALLOWIN_LIBRARY_FILE);
    ASSERT_FALSE(names.empty()) << "nm found no symbols in " << TALLOWIN_LIBRARY_FILE;
    for (const auto& name : names)
        EXPECT_TRUE(kAllowedExports.count(name) == 1 || isSizedOrHook(name)) << "unexpected export " << name;
    for (const auto& name : kFrameAndSmallExports)
        EXPECT_EQ(names.count(name), 1u) << "missing export " << name;
    for (const auto& name : std::string(TALLOWIN_EXPECTED_EXPORTS) | std::views::split(' ')) {
        const std::string n(name.begin(), name.end());
        if (!n.empty()) {
            EXPECT_EQ(names.count(n), 1u) << "missing export " << n;
        }
    }
}

TEST(TallowinLibrary, LoadsByNameAndBindsEveryEngineExport)
{
    void* handle = dlopen("libtallowin.so", RTLD_NOW);
    ASSERT_NE(handle, nullptr) << dlerror();
    for (const auto& name : kFrameAndSmallExports)
        EXPECT_NE(dlsym(handle, name.c_str()), nullptr) << name;
    EXPECT_EQ(dlsym(handle, "_ZN8tallowin12makeProgressEv"), nullptr) << "internal C++ names must stay hidden";
    dlclose(handle);
}
