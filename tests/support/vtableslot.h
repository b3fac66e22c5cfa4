// Where a virtual operation sits in its class's virtual table. On the Itanium
// C++ ABI (g++ and clang on Linux) a pointer to a virtual member function
// holds 1 + the byte offset of its slot, and the destructor takes the first
// two slots, so the n-th operation (the destructor being the first) sits at
// slot index n.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

// The slot index of a virtual member function, or -1 for a non-virtual one.
template <class F> long vtableSlot(F member) {
    struct Representation {
        std::uintptr_t ptr;
        std::ptrdiff_t adjust;
    };
    static_assert(sizeof(F) == sizeof(Representation));
    Representation r;
    std::memcpy(&r, &member, sizeof r);
    return (r.ptr & 1) == 0 ? -1 : static_cast<long>((r.ptr - 1) / sizeof(void*));
}
