#pragma once

#include <functional>
#include <utility>

namespace shell {

// A child widget that costs start-up time but is not seen before its window first shows: it is
// built by the given function the first time anyone reaches for it, and reads like a plain
// pointer from then on.
template <class Widget> class BuiltOnFirstUse {
public:
    explicit BuiltOnFirstUse(std::function<Widget*()> build) : build_(std::move(build)) {}

    Widget* get() {
        if (!widget_)
            widget_ = build_();
        return widget_;
    }
    Widget* operator->() { return get(); }
    operator Widget*() { return get(); }
    bool built() const { return widget_ != nullptr; }

private:
    std::function<Widget*()> build_;
    Widget* widget_ = nullptr;
};

} // namespace shell
