#include "platform/dll/Library.h"

#include "platform/errors/Error.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using platform::dll::Function;
using platform::dll::Library;

TEST(DllLibrary, BindsAnExportByNameAtItsFirstCall)
{
    Library libm("libm.so.6");
    EXPECT_FALSE(libm.loaded());
    Function<double (*)(double)> cosine(libm, "cos");
    EXPECT_FALSE(libm.loaded());
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_TRUE(libm.loaded());
    EXPECT_EQ(libm.symbol("cos"), reinterpret_cast<void*>(cosine.get()));
}

TEST(DllLibrary, MissingLibraryIsFileNotFound)
{
    Library absent("libtessaray_no_such_library.so");
    try {
        (void)absent.symbol("anything");
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 53);
        EXPECT_EQ(e.description(), "File not found: libtessaray_no_such_library.so");
    }
    EXPECT_FALSE(absent.loaded());
}

TEST(DllLibrary, UnloadableFileIsErrorInLoadingDll)
{
    testsupport::TempDir dir;
    const auto bogus = dir.file("libbogus.so");
    testsupport::writeFile(bogus, "not a shared library");
    Library broken(bogus.string());
    try {
        (void)broken.symbol("anything");
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 48);
    }
}

TEST(DllLibrary, MissingExportIsSpecifiedFunctionNotFound)
{
    Library libm("libm.so.6");
    try {
        (void)libm.symbol("no_such_export_here");
        FAIL() << "no error raised";
    } catch (const platform::Error& e) {
        EXPECT_EQ(e.number(), 453);
        EXPECT_EQ(e.description(), "Specified DLL function not found: no_such_export_here in libm.so.6");
    }
    // The library itself stays usable.
    EXPECT_NE(libm.symbol("sin"), nullptr);
}

} // namespace
