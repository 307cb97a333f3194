#pragma once

// Creating objects by class identifier.
//
// An in-process server is a shared library that exports, with C linkage and
// never letting an exception out:
//
//     std::int32_t tessaray_create_instance(const char* clsid, const char* iid, void** out);
//         0 and *out = a new object of class clsid, as a pointer to the
//         interface iid (the caller owns it and deletes it through that
//         interface); or an error number: 429 the class is not served here,
//         430 the interface is not supported, 7 out of memory.
//     std::int32_t tessaray_register_server();    // 0 or a registry result code
//     std::int32_t tessaray_unregister_server();
//
// A class is registered in the machine hive of the registry (of the registry
// in force, or of the installation's own folder, see ServerPath):
//     Software\Classes\CLSID\{clsid}                   default value: class name
//     Software\Classes\CLSID\{clsid}\InprocServer32    default value: library path,
//                                                      "ThreadingModel"="Apartment"
//
// CreateInstance looks the class up, loads the library (once; it is never
// unloaded, since the objects and their code live in it) and calls its
// factory. An unregistered class, a library that cannot be loaded or one
// without the factory is error 429 "ActiveX component can't create object";
// an interface the class does not support is 430.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace platform::com {

inline constexpr const char* CreateInstanceSymbol = "tessaray_create_instance";
inline constexpr const char* RegisterServerSymbol = "tessaray_register_server";
inline constexpr const char* UnregisterServerSymbol = "tessaray_unregister_server";

using CreateInstanceFn = std::int32_t (*)(const char* clsid, const char* iid, void** out);
using RegisterServerFn = std::int32_t (*)();

// "Software\Classes\CLSID\" + clsid.
[[nodiscard]] std::string ClassKeyPath(std::string_view clsid);

// The registered library of a class, or nullopt when it is not registered.
// The registry in force is asked first; when it has no registration, or one
// whose library file no longer exists, the machine hive of the installation's
// own folder (registry::machineWideFolder()) is asked.
[[nodiscard]] std::optional<std::filesystem::path> ServerPath(std::string_view clsid);

// A new object as the interface iid. Throws platform::Error 429 or 430 (see above).
[[nodiscard]] void* CreateInstance(std::string_view clsid, std::string_view iid);

// A new object of class clsid as Interface, which names its identifier in Interface::IID.
template <class Interface>
[[nodiscard]] std::unique_ptr<Interface> CreateObject(std::string_view clsid)
{
    return std::unique_ptr<Interface>(static_cast<Interface*>(CreateInstance(clsid, Interface::IID)));
}

// Writes the class keys above; answers 0 or the registry's result code.
[[nodiscard]] long RegisterClass(std::string_view clsid, std::string_view className, const std::filesystem::path& library);
// Removes the class key with everything below it; 0 also when it was not registered.
[[nodiscard]] long UnregisterClass(std::string_view clsid);

// The file of the loaded library (or program) that holds `address`.
[[nodiscard]] std::filesystem::path ModulePathOf(const void* address);

// Loads a server library and calls its registration export (or its
// unregistration export when `unregister`). Throws platform::Error 48 when
// the library cannot be loaded or lacks the export; answers the export's result.
[[nodiscard]] std::int32_t RegisterServerLibrary(const std::filesystem::path& library, bool unregister = false);

} // namespace platform::com
