// The gadget's own allocations, where a sweep can fail them one at a time.
//
// Built over this platform, the gadget library is linked with its references
// to malloc, calloc and the non-throwing new wrapped (--wrap): they land here
// and only then in the allocator, and what they return is noted as held by
// the gadget until it is freed. Nothing else in the process is affected, and
// a gadget built for the TV links the allocator directly.
#include <cerrno>
#include <cstdlib>
#include <new>

#include "fallible.h"

// The mangled names of the non-throwing new, whose size argument is size_t.
#if __SIZEOF_SIZE_T__ == 8
#define VSIM_NEW_NOTHROW __wrap__ZnwmRKSt9nothrow_t
#define VSIM_NEW_ARRAY_NOTHROW __wrap__ZnamRKSt9nothrow_t
#else
#define VSIM_NEW_NOTHROW __wrap__ZnwjRKSt9nothrow_t
#define VSIM_NEW_ARRAY_NOTHROW __wrap__ZnajRKSt9nothrow_t
#endif

extern "C" {

// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the name --wrap gives
__attribute__((visibility("default"))) void* __wrap_malloc(std::size_t size) {
    if (vsim::FailNow("malloc", __builtin_return_address(0))) {
        errno = ENOMEM;
        return nullptr;
    }
    void* p = std::malloc(size);
    vsim::Held(p, "malloc", __builtin_return_address(0));
    return p;
}

// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): the name --wrap gives
__attribute__((visibility("default"))) void* __wrap_calloc(std::size_t count, std::size_t size) {
    if (vsim::FailNow("calloc", __builtin_return_address(0))) {
        errno = ENOMEM;
        return nullptr;
    }
    void* p = std::calloc(count, size);
    vsim::Held(p, "calloc", __builtin_return_address(0));
    return p;
}

__attribute__((visibility("default"))) void* VSIM_NEW_NOTHROW(std::size_t size, const std::nothrow_t& tag) {
    if (vsim::FailNow("new (nothrow)", __builtin_return_address(0))) return nullptr;
    void* p = ::operator new(size, tag);
    vsim::Held(p, "new (nothrow)", __builtin_return_address(0));
    return p;
}

__attribute__((visibility("default"))) void* VSIM_NEW_ARRAY_NOTHROW(std::size_t size, const std::nothrow_t& tag) {
    if (vsim::FailNow("new[] (nothrow)", __builtin_return_address(0))) return nullptr;
    void* p = ::operator new[](size, tag);
    vsim::Held(p, "new[] (nothrow)", __builtin_return_address(0));
    return p;
}

}  // extern "C"
