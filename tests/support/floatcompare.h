// Float arrays compared sample by sample, reporting the first that differs.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstring>
#include <vector>

// Bit for bit (NaN equal to NaN): the sound must not change by a bit, whatever
// the machine or the host's block size.
inline ::testing::AssertionResult samplesEqual(const std::vector<float>& expected,
                                               const std::vector<float>& actual) {
    const std::size_t n = expected.size() < actual.size() ? expected.size() : actual.size();
    for (std::size_t i = 0; i < n; ++i) {
        const bool same = std::memcmp(&expected[i], &actual[i], sizeof(float)) == 0 ||
                          (std::isnan(expected[i]) && std::isnan(actual[i]));
        if (!same) {
            return ::testing::AssertionFailure()
                   << "first difference at index " << i << ": expected " << expected[i]
                   << ", actual " << actual[i];
        }
    }
    if (expected.size() != actual.size()) {
        return ::testing::AssertionFailure()
               << "sizes differ: expected " << expected.size() << ", actual " << actual.size();
    }
    return ::testing::AssertionSuccess();
}

// Every sample finite; the failure names the first that is not.
inline ::testing::AssertionResult allFinite(const std::vector<float>& samples) {
    for (std::size_t i = 0; i < samples.size(); ++i) {
        if (!std::isfinite(samples[i])) {
            return ::testing::AssertionFailure() << "value " << samples[i] << " at index " << i;
        }
    }
    return ::testing::AssertionSuccess();
}
