// Reference counting in the shape of COM: every interface object starts with one
// reference, AddRef and Release move the count, and the last Release destroys it.
// ComPtr holds one reference for as long as it lives, so that our own code never
// has to pair AddRef and Release by hand.
#pragma once

#include "tw/assert.h"
#include "win32/win32.h"

#include <concepts>
#include <cstddef>
#include <memory>
#include <utility>

class IUnknown {
public:
    IUnknown(const IUnknown&) = delete;
    IUnknown& operator=(const IUnknown&) = delete;
    // Public so that makeCom can create objects through std::make_unique; outside
    // that, objects are destroyed only by their last Release.
    virtual ~IUnknown() = default;

    ULONG AddRef() { return ++references_; }

    ULONG Release() {
        TW_ASSERT(references_ > 0); // a Release without its reference
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

protected:
    IUnknown() = default;

private:
    ULONG references_ = 1;
};

template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}

    // Shares p: takes a reference of its own.
    explicit ComPtr(T* p) : p_(p) { addRef(); }

    // Takes over the reference that p already carries (a freshly made object, or one
    // handed out through an out-parameter).
    static ComPtr adopt(T* p) {
        ComPtr result;
        result.p_ = p;
        return result;
    }

    ComPtr(const ComPtr& other) : p_(other.p_) { addRef(); }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}

    template <class U>
    requires std::convertible_to<U*, T*> ComPtr(const ComPtr<U>& other) : p_(other.get()) {
        addRef();
    }

    template <class U>
    requires std::convertible_to<U*, T*> ComPtr(ComPtr<U>&& other)
    noexcept : p_(other.detach()) {}

    ComPtr& operator=(const ComPtr& other) {
        ComPtr(other).swap(*this);
        return *this;
    }

    ComPtr& operator=(ComPtr&& other) noexcept {
        ComPtr(std::move(other)).swap(*this);
        return *this;
    }

    ComPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }

    // For out-parameters (T**): drops the reference held now, then lets the callee
    // store a pointer whose reference this holder takes over.
    T** put() {
        reset();
        return &p_;
    }

    void reset() {
        if (T* p = std::exchange(p_, nullptr)) {
            p->Release();
        }
    }

    // Gives up the reference without releasing it.
    [[nodiscard]] T* detach() { return std::exchange(p_, nullptr); }

    void swap(ComPtr& other) noexcept { std::swap(p_, other.p_); }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.p_ == b.p_; }
    friend bool operator==(const ComPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

private:
    void addRef() {
        if (p_ != nullptr) {
            p_->AddRef();
        }
    }

    T* p_ = nullptr;
};

// Makes a reference-counted object; the holder returned owns its first reference.
template <class T, class... Args>
ComPtr<T> makeCom(Args&&... args) {
    return ComPtr<T>::adopt(std::make_unique<T>(std::forward<Args>(args)...).release());
}

// The holder of the same object under a more derived interface, or empty.
template <class T, class U>
ComPtr<T> comCast(const ComPtr<U>& from) {
    return ComPtr<T>(dynamic_cast<T*>(from.get()));
}
