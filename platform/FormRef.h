// A program-wide reference to a form: the form object is created on first
// use, and there is never a second one.
#pragma once

#include <memory>

namespace vellorin::platform {

template <class FormType>
class FormRef {
public:
    FormType* operator->() { return &**this; }
    FormType& operator*()
    {
        if (!form_)
            form_ = std::make_unique<FormType>();
        return *form_;
    }
    bool isEmpty() const { return !form_; }
    // Discards the form object and its window; the next use makes a new one.
    void reset() { form_.reset(); }

private:
    std::unique_ptr<FormType> form_;
};

} // namespace vellorin::platform
