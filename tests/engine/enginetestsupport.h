#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

namespace enginetest {

// Exact float comparison (NaN equal to NaN) that names the first index that differs.
inline ::testing::AssertionResult floatsEqual(const std::vector<float>& expected,
                                              const std::vector<float>& actual) {
    for (std::size_t i = 0; i < expected.size() && i < actual.size(); ++i) {
        if (expected[i] != actual[i] && !(std::isnan(expected[i]) && std::isnan(actual[i]))) {
            return ::testing::AssertionFailure()
                   << "first difference at index " << i << ": expected " << expected[i] << ", got "
                   << actual[i];
        }
    }
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure()
               << "sizes differ: expected " << expected.size() << ", got " << actual.size();
    }
    return ::testing::AssertionSuccess();
}

} // namespace enginetest
