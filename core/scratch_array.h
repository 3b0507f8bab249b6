// Arrays of working values that a pass writes before it reads them (the
// gathered pairs of the force passes, the values kept between the threaded
// passes).  Growing one leaves the new entries uninitialised: zero-filling
// the 18 million gathered pairs of a 200,000-atom crystal (220 MB) took one
// thread ~150 ms before the first threaded evaluation, which then wrote
// every entry anyway.  Now each page is first touched by the thread that
// fills it, and pages never written are never made resident.
#pragma once

#include <memory>
#include <new>
#include <utility>
#include <vector>

namespace vantrel {

template <typename T>
struct ScratchAllocator : std::allocator<T> {
    using value_type = T;
    template <typename U>
    struct rebind {
        using other = ScratchAllocator<U>;
    };

    ScratchAllocator() = default;
    template <typename U>
    ScratchAllocator(const ScratchAllocator<U>&) noexcept {}

    // Default-initialises: no zero-fill of trivial entries on resize.
    template <typename U>
    void construct(U* p) noexcept(noexcept(::new(static_cast<void*>(p)) U)) {
        ::new (static_cast<void*>(p)) U;
    }
    template <typename U, typename... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

template <typename T>
using ScratchArray = std::vector<T, ScratchAllocator<T>>;

}  // namespace vantrel
