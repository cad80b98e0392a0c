// SPDX-License-Identifier: GPL-2.0-or-later
// Parts of the C and C++ runtimes replaced so that vantrel.exe imports nothing that Windows
// 95/98 export only as a stub failing with ERROR_CALL_NOT_IMPLEMENTED.
//
// The C++ allocation and error paths: left to the library they throw, and throwing links in
// the exception runtime, whose locks call CreateSemaphoreW and whose string exceptions reach
// rand_s and LoadLibraryW. The program is built without exceptions; none of these paths is
// taken by a working program, and when one is, the program says so and ends.
//
// The C runtime's code-page query, which the C99 printf reaches through its wide-character
// conversions: the MinGW-w64 version finds msvcrt.dll with GetModuleHandleW.
#include <windows.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

[[noreturn]] void fatal(const char* what) {
    MessageBoxA(nullptr, what, "Vantrel", MB_OK | MB_ICONHAND | MB_SETFOREGROUND);
    std::abort();
}

void* allocate(std::size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        fatal("Out of memory.");
    }
    return block;
}

}  // namespace

void* operator new(std::size_t size) {
    return allocate(size);
}

void* operator new[](std::size_t size) {
    return allocate(size);
}

void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return std::malloc(size != 0 ? size : 1);
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete[](void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}

void operator delete[](void* block, std::size_t) noexcept {
    std::free(block);
}

namespace std {

void __throw_bad_alloc() {
    fatal("Out of memory.");
}

void __throw_bad_array_new_length() {
    fatal("Out of memory.");
}

void __throw_length_error(const char*) {
    fatal("Internal error: a container grew past its limit.");
}

void __throw_logic_error(const char*) {
    fatal("Internal error: a library precondition was broken.");
}

void __throw_out_of_range(const char*) {
    fatal("Internal error: an index was out of range.");
}

void __throw_out_of_range_fmt(const char*, ...) {
    fatal("Internal error: an index was out of range.");
}

void __throw_invalid_argument(const char*) {
    fatal("Internal error: an invalid argument.");
}

void __throw_bad_optional_access() {
    fatal("Internal error: an empty optional was read.");
}

void __throw_bad_function_call() {
    fatal("Internal error: an empty function was called.");
}

}  // namespace std

// Under its i686 symbol name; the 64-bit check build keeps the runtime's own.
#if defined(__i386__)

// The code page of the C runtime's LC_CTYPE locale: msvcrt's own answer where it has the
// function (later msvcrt.dll versions), else the number after the "." of the locale's name,
// and 0 for the "C" locale. It is defined under the symbol of ___lc_codepage_func, which the
// runtime headers declare as an import and so cannot be defined by that name.
extern "C" unsigned int lc_codepage(void) __asm__("____lc_codepage_func");
extern "C" unsigned int lc_codepage(void) {
    using CodePageFunction = unsigned int(__cdecl*)(void);
    static CodePageFunction msvcrt_function = [] {
        const HMODULE msvcrt = GetModuleHandleA("msvcrt.dll");
        return msvcrt != nullptr ? reinterpret_cast<CodePageFunction>(reinterpret_cast<void*>(
                                       GetProcAddress(msvcrt, "___lc_codepage_func")))
                                 : nullptr;
    }();
    if (msvcrt_function != nullptr) {
        return msvcrt_function();
    }
    const char* name = std::setlocale(LC_CTYPE, nullptr);
    const char* dot = name != nullptr ? std::strchr(name, '.') : nullptr;
    return dot != nullptr ? static_cast<unsigned int>(std::atoi(dot + 1)) : 0u;
}

#endif
