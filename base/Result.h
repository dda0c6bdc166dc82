#pragma once

#include <type_traits>
#include <utility>
#include <variant>

#include "base/RaisedError.h"

namespace quillet {

/// The outcome of an operation that can fail: a value, or the RaisedError
/// that ended it. Failures travel as values, never as exceptions, because
/// some of them (a selection refused on every page but one) are routine.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    /// Accepts anything that converts to T (a derived object's pointer, say).
    template <typename U>
        requires(std::is_convertible_v<U, T> && !std::is_same_v<std::decay_t<U>, T> &&
                 !std::is_same_v<std::decay_t<U>, RaisedError>)
    Result(U&& value) : state_(std::in_place_index<0>, T(std::forward<U>(value))) {}
    Result(RaisedError error) : state_(std::in_place_index<1>, std::move(error)) {}

    explicit operator bool() const { return state_.index() == 0; }
    bool ok() const { return state_.index() == 0; }

    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const RaisedError& error() const { return std::get<1>(state_); }

    /// Calls `next` with the value and returns its Result; passes a failure on.
    template <typename F>
    auto and_then(F&& next) const& -> std::invoke_result_t<F, const T&> {
        if (!ok()) return error();
        return std::forward<F>(next)(value());
    }

    /// Maps the value; passes a failure on.
    template <typename F>
    auto transform(F&& map) const& -> Result<std::invoke_result_t<F, const T&>> {
        if (!ok()) return error();
        return std::forward<F>(map)(value());
    }

private:
    std::variant<T, RaisedError> state_;
};

/// The outcome of an operation that returns nothing.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(RaisedError error) : error_(std::move(error)), failed_(true) {}

    explicit operator bool() const { return !failed_; }
    bool ok() const { return !failed_; }
    const RaisedError& error() const { return error_; }

private:
    RaisedError error_;
    bool failed_ = false;
};

using Status = Result<void>;

/// Runs each step (a callable returning Status) in order, and stops at the
/// first that fails; returns that failure, or success.
template <typename... Steps>
Status runInOrder(Steps&&... steps) {
    Status status;
    (void)((status = std::forward<Steps>(steps)()).ok() && ...);
    return status;
}

}  // namespace quillet
