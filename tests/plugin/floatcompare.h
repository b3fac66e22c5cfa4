// Float arrays compared sample by sample, reporting the first that differs.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <vector>

inline ::testing::AssertionResult samplesEqual(const std::vector<float>& expected,
                                               const std::vector<float>& actual) {
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure()
               << "sizes differ: " << expected.size() << " vs " << actual.size();
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        // Bit-exact, NaN included: the rendering must not depend on how the
        // host cuts its blocks.
        if (!(expected[i] == actual[i]) && !(std::isnan(expected[i]) && std::isnan(actual[i]))) {
            return ::testing::AssertionFailure() << "first difference at index " << i << ": "
                                                 << expected[i] << " vs " << actual[i];
        }
    }
    return ::testing::AssertionSuccess();
}

// The index of the first non-finite sample, or -1.
inline long firstNonFinite(const std::vector<float>& samples) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!std::isfinite(samples[i])) {
            return static_cast<long>(i);
        }
    }
    return -1;
}
