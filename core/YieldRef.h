// What a run calls between segments to let the program's events through,
// passed by reference: the call happens about ninety times a run, so one
// indirect call there costs nothing, and any callable will do.
#pragma once

#include <memory>
#include <type_traits>

namespace vellorin {

// Refers to a callable returning false when the program is ending; the
// callable must outlive the reference (a temporary lasts for the call it is
// an argument of, which is what a run needs).
class YieldRef {
public:
    template <class Callable>
        requires(!std::is_same_v<std::remove_cvref_t<Callable>, YieldRef> && std::is_invocable_r_v<bool, Callable&>)
    YieldRef(Callable&& callable)
        : callable_(const_cast<void*>(static_cast<const void*>(std::addressof(callable))))
        , call_([](void* target) -> bool { return (*static_cast<std::remove_reference_t<Callable>*>(target))(); })
    {
    }

    bool operator()() const { return call_(callable_); }

private:
    void* callable_;
    bool (*call_)(void*);
};

} // namespace vellorin
