#pragma once
// Measurement helpers for the kernel tests: sine sources, RMS and zero crossings.

#include <cmath>
#include <cstddef>
#include <vector>

namespace qvtest {

inline constexpr double kTwoPi = 6.283185307179586476925;

inline double rms(const std::vector<float>& v, std::size_t from = 0) {
    double sum = 0.0;
    for (std::size_t i = from; i < v.size(); ++i) sum += double(v[i]) * double(v[i]);
    return v.size() > from ? std::sqrt(sum / double(v.size() - from)) : 0.0;
}

inline double mean(const std::vector<float>& v) {
    double sum = 0.0;
    for (float x : v) sum += x;
    return v.empty() ? 0.0 : sum / double(v.size());
}

inline double variance(const std::vector<float>& v) {
    const double m = mean(v);
    double sum = 0.0;
    for (float x : v) sum += (x - m) * (x - m);
    return v.empty() ? 0.0 : sum / double(v.size());
}

// Lag-1 autocorrelation coefficient.
inline double lagOneCorrelation(const std::vector<float>& v) {
    const double m = mean(v);
    double num = 0.0, den = 0.0;
    for (std::size_t i = 0; i + 1 < v.size(); ++i) num += (v[i] - m) * (v[i + 1] - m);
    for (float x : v) den += (x - m) * (x - m);
    return den > 0.0 ? num / den : 0.0;
}

// Upward zero crossings from index `from` on.
inline int risingZeroCrossings(const std::vector<float>& v, std::size_t from = 0) {
    int count = 0;
    for (std::size_t i = from + 1; i < v.size(); ++i)
        if (v[i - 1] < 0.0f && v[i] >= 0.0f) ++count;
    return count;
}

inline double decibels(double ratio) { return 20.0 * std::log10(ratio); }

} // namespace qvtest
