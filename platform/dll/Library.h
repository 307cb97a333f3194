#pragma once

// Functions of a shared library bound by name at their first call, the way
// the program declares the routines of its engine library.
//
//     platform::dll::Library tallowin("libtallowin.so");
//     auto exact = tallowin.function<ExactFn>("ExactDLL");   // loads, binds
//
// The library is looked for beside the program first, then where the system
// loader looks. It is loaded once, on the first request, and stays loaded.
// A library that is not there raises run-time error 53 ("File not found: "
// and its name), one that is there but cannot be loaded error 48 ("Error in
// loading DLL"), and a missing export error 453 ("Specified DLL function not
// found: " with the export's and the library's names).

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

namespace platform::dll {

class Library {
public:
    explicit Library(std::string fileName);
    ~Library() = default; // stays loaded: functions bound from it may be kept
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    const std::string& fileName() const { return fileName_; }
    bool loaded() const;

    // The address of the export `name`. Throws platform::Error 53, 48 or 453.
    void* symbol(std::string_view name);

    template <class Fn>
    Fn function(std::string_view name)
    {
        return reinterpret_cast<Fn>(symbol(name));
    }

private:
    void load(); // with mutex_ held

    std::string fileName_;
    mutable std::mutex mutex_;
    void* handle_ = nullptr;
    std::map<std::string, void*, std::less<>> symbols_;
};

// One export, bound at its first call and kept.
template <class Fn>
class Function {
public:
    Function(Library& library, const char* name) : library_(library), name_(name) {}

    Fn get()
    {
        if (fn_ == nullptr)
            fn_ = library_.function<Fn>(name_);
        return fn_;
    }

    template <class... Args>
    auto operator()(Args... args)
    {
        return get()(args...);
    }

private:
    Library& library_;
    const char* name_;
    Fn fn_ = nullptr;
};

} // namespace platform::dll
