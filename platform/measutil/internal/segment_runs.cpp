// SPDX-License-Identifier: Apache-2.0
#include "platform/measutil/internal/segment_runs.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace QuorUtility::internal {
namespace {

// How far a reconstructed point may lie from the given value: 64 ulp of the larger magnitude
// (finite for every finite a, b, so an overflowing step never widens it).
double Tolerance(double a, double b) {
    constexpr double kUlps = 64.0 * std::numeric_limits<double>::epsilon();
    return kUlps * std::max(std::abs(a), std::abs(b));
}

// Last index of the run from p that a straight line through v[p] and the previous points
// predicts; v[p], v[p + 1] are finite and differ.
std::size_t ExtendLinear(const double* v, std::size_t p, std::size_t n) {
    std::size_t k = p + 2;
    for (; k < n && std::isfinite(v[k]); ++k) {
        const double step = (v[k - 1] - v[p]) / static_cast<double>(k - 1 - p);
        const double predicted = v[p] + step * static_cast<double>(k - p);
        if (!(std::abs(v[k] - predicted) <= Tolerance(v[p], v[k])))
            break;
    }
    return k - 1;
}

// The same for a constant ratio; v[p], v[p + 1] are finite, nonzero, of one sign and differ.
std::size_t ExtendLog(const double* v, std::size_t p, std::size_t n) {
    const bool positive = v[p] > 0.0;
    std::size_t k = p + 2;
    for (; k < n && std::isfinite(v[k]) && (positive ? v[k] > 0.0 : v[k] < 0.0); ++k) {
        const double e = static_cast<double>(k - p) / static_cast<double>(k - 1 - p);
        const double predicted = v[p] * std::pow(v[k - 1] / v[p], e);
        if (!(std::abs(v[k] - predicted) <= Tolerance(v[p], v[k])))
            break;
    }
    return k - 1;
}

// Shrinks the candidate run p .. q until the segment built by make(q) reproduces every point;
// returns the verified last index, or p + 1 when no run of three or more points survives.
template <typename Make>
std::size_t Verified(const double* v, std::size_t p, std::size_t q, Make make) {
    while (q >= p + 2) {
        const Segment s = make(q);
        // Every run is monotonic, so its largest magnitude is at one of its ends.
        const double tol = Tolerance(v[p], v[q]);
        std::size_t bad = 0;
        for (std::size_t j = 1; j + p < q && bad == 0; ++j) {
            if (!(std::abs(s[j] - v[p + j]) <= tol))
                bad = j;
        }
        if (bad == 0)
            return q;
        q = p + bad - 1;
    }
    return p + 1;
}

bool OneSign(double a, double b) {
    return (a > 0.0 && b > 0.0) || (a < 0.0 && b < 0.0);
}

}  // namespace

std::vector<Segment> JoinContinuing(const std::vector<Segment>& segments) {
    std::vector<Segment> out;
    out.reserve(segments.size());
    for (const Segment& s : segments) {
        if (!out.empty() && out.back().Continues(s)) {
            out.back() = out.back().Joined(s);
        } else {
            out.push_back(s);
        }
    }
    return out;
}

void AppendRuns(const double* v, std::size_t n, bool onlyFixed, std::vector<Segment>& out) {
    std::size_t p = 0;
    while (p < n) {
        std::size_t q = p;
        while (q + 1 < n && v[q + 1] == v[p])
            ++q;
        if (q > p || onlyFixed || p + 1 == n) {
            out.push_back(Segment::Fixed(v[p], static_cast<int>(q - p + 1)));
            p = q + 1;
            continue;
        }
        std::size_t lin = p + 1, lg = p + 1;
        if (std::isfinite(v[p]) && std::isfinite(v[p + 1])) {
            lin = Verified(v, p, ExtendLinear(v, p, n), [&](std::size_t e) {
                return Segment::Linear(v[p], v[e], static_cast<int>(e - p + 1));
            });
            if (OneSign(v[p], v[p + 1])) {
                lg = Verified(v, p, ExtendLog(v, p, n), [&](std::size_t e) {
                    return Segment::Log(v[p], v[e], static_cast<int>(e - p + 1));
                });
            }
        }
        if (lg > lin) {
            out.push_back(Segment::Log(v[p], v[lg], static_cast<int>(lg - p + 1)));
            p = lg + 1;
        } else {
            out.push_back(Segment::Linear(v[p], v[lin], static_cast<int>(lin - p + 1)));
            p = lin + 1;
        }
    }
}

}  // namespace QuorUtility::internal
