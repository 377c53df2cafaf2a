// The few out-of-line pieces of the C++ runtime that the Windows 95 programs
// use, compiled for the 486 with the programs. The programs are built
// without exceptions and without RTTI, so none of libstdc++'s archive (built
// for the Pentium Pro) is linked: the headers' templates are instantiated in
// our own objects and what stays out of line is here.
//
// Nothing here throws: where the library would throw, the program ends the
// way an uncaught exception would have ended it, with abort().
#include <cstdlib>
#include <new>

namespace std {
const nothrow_t nothrow{};
}

void* operator new(std::size_t size)
{
    if (void* p = std::malloc(size ? size : 1))
        return p;
    std::abort();
}

void* operator new[](std::size_t size)
{
    return ::operator new(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return std::malloc(size ? size : 1);
}

void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

// What the containers, strings and std::function call on misuse or when
// memory runs out.
namespace std {
[[noreturn]] void __throw_bad_alloc() { abort(); }
[[noreturn]] void __throw_bad_array_new_length() { abort(); }
[[noreturn]] void __throw_bad_function_call() { abort(); }
[[noreturn]] void __throw_length_error(const char*) { abort(); }
[[noreturn]] void __throw_logic_error(const char*) { abort(); }
[[noreturn]] void __throw_out_of_range(const char*) { abort(); }
[[noreturn]] void __throw_out_of_range_fmt(const char*, ...) { abort(); }
[[noreturn]] void __throw_invalid_argument(const char*) { abort(); }
[[noreturn]] void __throw_bad_cast() { abort(); }
// _GLIBCXX_ASSERTIONS' checks (index in range, non-empty front/back).
[[noreturn]] void __glibcxx_assert_fail(const char*, int, const char*, const char*) noexcept { abort(); }
}  // namespace std

extern "C" [[noreturn]] void __cxa_pure_virtual() { std::abort(); }
extern "C" [[noreturn]] void __cxa_deleted_virtual() { std::abort(); }
