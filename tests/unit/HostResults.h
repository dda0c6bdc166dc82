#pragma once

#include <stdexcept>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "base/Result.h"
#include "simhost/Utf8.h"

namespace quillet::testing {

/// The value of a host call that the test needs to go on; a failure ends the
/// test with the host's description instead of a bad_variant_access.
template <typename T>
T valueOf(Result<T> result) {
    if (!result) throw std::runtime_error("host call failed: " + simhost::toUtf8(result.error().description));
    return std::move(result).value();
}

inline void succeed(const Status& status) {
    if (!status) throw std::runtime_error("host call failed: " + simhost::toUtf8(status.error().description));
}

/// Whether `result` failed with exactly `expected`.
template <typename T>
::testing::AssertionResult failedWith(const Result<T>& result, const RaisedError& expected) {
    if (result) return ::testing::AssertionFailure() << "the call succeeded";
    if (result.error() != expected)
        return ::testing::AssertionFailure() << "failed with " << result.error().number << " \""
                                             << simhost::toUtf8(result.error().description) << "\"";
    return ::testing::AssertionSuccess();
}

/// Whether `result` failed with the host's number `number`, whatever its description.
template <typename T>
::testing::AssertionResult failedWith(const Result<T>& result, int32_t number) {
    if (result) return ::testing::AssertionFailure() << "the call succeeded";
    if (result.error().number != number) return ::testing::AssertionFailure() << "failed with " << result.error().number;
    return ::testing::AssertionSuccess();
}

}  // namespace quillet::testing
