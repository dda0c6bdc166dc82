#pragma once

#include <windows.h>

#include <utility>

namespace quillet::win32 {

/// Owns one reference to a COM interface.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    /// Takes over a reference that the caller already holds.
    static ComPtr adopt(T* raw) {
        ComPtr ptr;
        ptr.raw_ = raw;
        return ptr;
    }
    /// Adds a reference of its own.
    static ComPtr share(T* raw) {
        if (raw) raw->AddRef();
        return adopt(raw);
    }

    ComPtr(const ComPtr& other) : raw_(other.raw_) {
        if (raw_) raw_->AddRef();
    }
    ComPtr(ComPtr&& other) noexcept : raw_(std::exchange(other.raw_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(raw_, other.raw_);
        return *this;
    }
    ~ComPtr() {
        if (raw_) raw_->Release();
    }

    T* get() const { return raw_; }
    T* operator->() const { return raw_; }
    explicit operator bool() const { return raw_ != nullptr; }
    /// For an out parameter: releases what is held, and receives a new reference.
    T** out() {
        *this = ComPtr();
        return &raw_;
    }
    /// Hands the reference to the caller.
    T* detach() { return std::exchange(raw_, nullptr); }

    template <typename U>
    ComPtr<U> query(REFIID iid) const {
        ComPtr<U> result;
        if (raw_) raw_->QueryInterface(iid, reinterpret_cast<void**>(result.out()));
        return result;
    }

private:
    T* raw_ = nullptr;
};

}  // namespace quillet::win32
