// The library as the program sees it: loadable by name, exporting exactly its
// engine names, and keeping the host's progress window choice.

#include "engines/EngineProgress.h"
#include "engines/map/MapExports.h"
#include "engines/small/SmallExports.h"
#include "platform/dll/Library.h"
#include "platform/errors/Error.h"

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

TEST(TallowinLibrary, NeedsNoQtLibrary)
{
    const std::string command = std::string("readelf -d '") + TALLOWIN_LIBRARY_FILE + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::string all;
    std::array<char, 512> line{};
    while (std::fgets(line.data(), static_cast<int>(line.size()), pipe.get()) != nullptr)
        all += line.data();
    ASSERT_NE(all.find("NEEDED"), std::string::npos);
    EXPECT_EQ(all.find("libQt"), std::string::npos) << all;
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

TEST(TallowinLibrary, CallableThroughTheProgramsLoaderByName)
{
    platform::dll::Library tallowin("libtallowin.so");
    std::vector<std::string> names(kFrameAndSmallExports.begin(), kFrameAndSmallExports.end());
    for (const auto& name : std::string(TALLOWIN_EXPECTED_EXPORTS) | std::views::split(' ')) {
        if (!name.empty())
            names.emplace_back(name.begin(), name.end());
    }
    for (const auto& name : names)
        EXPECT_NE(tallowin.symbol(name), nullptr) << name;

    platform::dll::Function<decltype(&ExactDLL)> exact(tallowin, "ExactDLL");
    double two = 0, one = 0;
    EXPECT_EQ(exact(3, 1, 1, 3, &two, &one), 1);
    EXPECT_NEAR(two, 34.0 / 70.0, 1e-12);

    platform::dll::Function<decltype(&KMPSearchDLL)> kmp(tallowin, "KMPSearchDLL");
    EXPECT_EQ(kmp("abaaba", "aab", 3, 6), 2);

    platform::dll::Function<decltype(&mapMainDll)> align(tallowin, "mapMainDll");
    std::string messages(4096, ' '), output(64, ' ');
    int32_t order[2] = {-1, -1};
    EXPECT_EQ(align("a b", 3, "ACGT ACGT", 9, 2, 10, -5, 10, 10, 4, 0, "", 0, nullptr, messages.data(),
                    output.data(), order),
              1);
    EXPECT_STREQ(output.c_str(), "ACGT;ACGT;");

    try {
        (void)tallowin.symbol("NoSuchEngine");
        FAIL() << "a missing export must raise";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 453);
    }
}
