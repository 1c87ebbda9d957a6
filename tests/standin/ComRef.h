#pragma once

// An owned COM reference: released when the holder goes away.

#include <unknwn.h>

namespace standin {

template <class T> class ComRef {
public:
    ComRef() = default;
    // Takes over a reference the caller already owns.
    static ComRef Adopt(T* pointer) {
        ComRef ref;
        ref.pointer_ = pointer;
        return ref;
    }
    // Adds a reference of its own.
    static ComRef Share(T* pointer) {
        if (pointer)
            pointer->AddRef();
        return Adopt(pointer);
    }
    ComRef(const ComRef& other) : pointer_(other.pointer_) {
        if (pointer_)
            pointer_->AddRef();
    }
    ComRef(ComRef&& other) noexcept : pointer_(other.pointer_) { other.pointer_ = nullptr; }
    ComRef& operator=(ComRef other) noexcept {
        T* old = pointer_;
        pointer_ = other.pointer_;
        other.pointer_ = old;
        return *this;
    }
    ~ComRef() { Reset(); }

    void Reset() {
        T* old = pointer_;
        pointer_ = nullptr;
        if (old)
            old->Release();
    }
    // For out parameters: releases what is held and exposes the slot.
    T** Receive() {
        Reset();
        return &pointer_;
    }
    // Hands the reference to the caller.
    T* Detach() {
        T* pointer = pointer_;
        pointer_ = nullptr;
        return pointer;
    }
    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

private:
    T* pointer_ = nullptr;
};

} // namespace standin
