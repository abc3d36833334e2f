// A replaceable service: the program uses the toolkit's own implementation,
// and a test may put its own in its place (nullptr puts the standard one back).
#pragma once

namespace vellorin::platform {

template <class Interface>
class Seam {
public:
    explicit Seam(Interface& standard) : standard_(standard) {}
    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;

    Interface& operator*() const { return replacement_ ? *replacement_ : standard_; }
    Interface* operator->() const { return &**this; }
    void replace(Interface* replacement) { replacement_ = replacement; }

private:
    Interface& standard_;
    Interface* replacement_ = nullptr;
};

} // namespace vellorin::platform
