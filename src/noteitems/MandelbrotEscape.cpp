#include "noteitems/MandelbrotEscape.h"

#include <algorithm>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define TESSARY_HAS_AVX2_PATH 1
#endif

// This file is compiled without floating-point contraction (see CMakeLists.txt), so the double
// orbits are computed with exactly the operations written here. The argument below allows one
// rounding for every operation; where the vector path fuses a multiplication with an addition,
// the fused operation rounds once where the two would round twice, which stays within it.
//
// Why the fast path agrees with the extended one. Let z be the double orbit and w the extended
// orbit of the same pixel, E(n) a bound on |z(n) - w(n)|. With u = 2^-53 the unit roundoff of
// a double, and the extended one 2^-11 times smaller, one step gives
//     z' - w' = (z - w)(z + w) + (c_double - c_extended) + rounding of both steps,
// so E' <= (2|z| + E) E + b. While a pixel has not escaped, |z|^2 <= 4, so every quantity of a
// step is bounded by a constant plus |c|, and b = u C + 1.001 u (20.01 + 2 C) + 1e-300, with C
// the largest |Re c| + |Im c| of the view, covers the rounding of c to double, the five
// rounded operations of both orbits and underflow. The squared bound S = E^2 is carried:
//     S' >= (1 + t)(2|z| + E)^2 S + (1 + 1/t) b^2  with t = 1/64, and
//     (2|z| + E)^2 <= (1 + t2) 4 |z|^2 + (1 + 1/t2) S  with t2 = 1/1024,
// which needs no square root; the constants below round these factors up with room for the
// rounding of the bound's own arithmetic. The escape test compares |z|^2 with 4 and differs
// from the extended one by at most (2|z| + E) E + 3.01 u |z|^2, which is below 4.1e-6 while
// S <= 1e-12. So a pixel is decided on the fast path only while S <= 1e-12 and |z|^2 stays
// outside 4 +- 5e-6; any other pixel is computed again on the exact path.
//
// Points inside the set are decided early when their orbit is caught by an attracting fixed
// point or 2-cycle. Let w0, w1 be z(n-2), z(n-1) and r = 2^-10. If |w1|^2 <= 0.2 and
// |z(n) - w1| <= 1e-4, then |f(z) - w1| <= r (2|w1| + r) + |f(w1) - w1| + b <= r for every z
// within r of w1, since 2|w1| + r <= 0.8956 and r * 0.1044 > 1e-4 + 2b: the disc of radius r
// about w1 is mapped into itself even with the rounding of either orbit, the extended orbit
// is in it (its distance from the double one is at most E <= 1e-6), so it stays there with
// |z| < 1/2 and never escapes. Likewise for two steps when |w0|^2, |w1|^2 <= 2.25,
// 16 |w0|^2 |w1|^2 <= 0.64 and |z(n) - w0| <= 1e-4: the contraction of two steps over the disc
// about w0 is at most 0.812, r * 0.188 > 1e-4 + 10b, and the orbit keeps |z|^2 below 2.3.
// Such a pixel counts 255.

namespace {

constexpr double kUnitRoundoff = 0x1p-53;
constexpr double kGrowthNorm = 4.09;   // >= (1 + 1/64)(1 + 1/1024) 4 (1 + 3u), with room
constexpr double kGrowthBound = 1046;  // >= (1 + 1/64)(1 + 1024), with room
constexpr double kAddedFactor = 66;    // >= 1 + 64, with room
constexpr double kBoundLimit = 1e-12;  // the largest squared error bound that still decides
constexpr double kEscapeMargin = 5e-6; // |z|^2 within this of 4 is left to the exact path
constexpr double kEscapeNorm = 4.0;
// The fast path is used only for views whose points all lie within this of the origin
// (|Re c| + |Im c|); farther points escape at once on the exact path anyway.
constexpr double kFastReach = 8.0;
// A padding point: it escapes at the first step.
constexpr double kPaddingReal = 4.0;
constexpr int kGroup = 8; // pixels per vector group: two vectors of four
// The trap of an attracting fixed point or 2-cycle is looked for at every eighth step.
constexpr int kTrapPeriod = 8;
constexpr double kTrapDistance = 1e-8;      // squared distance of z(n) from z(n-1) or z(n-2)
constexpr double kFixedPointNorm = 0.2;     // |z(n-1)|^2 for a fixed point
constexpr double kCycleNorm = 2.25;         // |z(n-2)|^2 and |z(n-1)|^2 for a 2-cycle
constexpr double kCycleContraction = 0.64;  // 16 |z(n-2)|^2 |z(n-1)|^2 for a 2-cycle

bool Trapped(double x, double y, double x0, double y0, double x1, double y1)
{
    const double norm0 = x0 * x0 + y0 * y0;
    const double norm1 = x1 * x1 + y1 * y1;
    const double distance1 = (x - x1) * (x - x1) + (y - y1) * (y - y1);
    const double distance0 = (x - x0) * (x - x0) + (y - y0) * (y - y0);
    return (norm1 <= kFixedPointNorm && distance1 <= kTrapDistance)
        || (norm0 <= kCycleNorm && norm1 <= kCycleNorm && 16 * norm0 * norm1 <= kCycleContraction
            && distance0 <= kTrapDistance);
}

// The count decided at step n for a pixel whose bound or norm left the safe range, or -1 when
// the exact path must decide.
int Decide(int n, double norm, double bound)
{
    if (bound > kBoundLimit || norm <= kEscapeNorm + kEscapeMargin)
        return -1;
    return n;
}

int BoundedCount(double real, double imaginary, const MandelbrotEscape::Bounds& bounds)
{
    double x = 0, y = 0, x2 = 0, y2 = 0, norm = 0, bound = 0;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (int n = 1; n < MandelbrotEscape::kNoEscape; ++n) {
        const double xy = x * y;
        y = (xy + xy) + imaginary;
        x = (x2 - y2) + real;
        bound = (norm * bounds.growth_norm + bound * bounds.growth_bound) * bound + bounds.added;
        x2 = x * x;
        y2 = y * y;
        norm = x2 + y2;
        if (norm > kEscapeNorm - kEscapeMargin || bound > kBoundLimit)
            return Decide(n, norm, bound);
        switch (n % kTrapPeriod) {
        case kTrapPeriod - 2:
            x0 = x;
            y0 = y;
            break;
        case kTrapPeriod - 1:
            x1 = x;
            y1 = y;
            break;
        case 0:
            if (Trapped(x, y, x0, y0, x1, y1))
                return MandelbrotEscape::kNoEscape;
            break;
        default:
            break;
        }
    }
    return MandelbrotEscape::kNoEscape;
}

#ifdef TESSARY_HAS_AVX2_PATH
__attribute__((target("avx2,fma"))) __m256d SquaredDistance(__m256d x, __m256d y, __m256d x0, __m256d y0)
{
    const __m256d dx = _mm256_sub_pd(x, x0);
    const __m256d dy = _mm256_sub_pd(y, y0);
    return _mm256_add_pd(_mm256_mul_pd(dx, dx), _mm256_mul_pd(dy, dy));
}

// The lanes of Trapped above.
__attribute__((target("avx2,fma"))) __m256d TrappedLanes(
    __m256d x, __m256d y, __m256d x0, __m256d y0, __m256d x1, __m256d y1)
{
    const __m256d zero = _mm256_setzero_pd();
    const __m256d norm0 = SquaredDistance(x0, y0, zero, zero);
    const __m256d norm1 = SquaredDistance(x1, y1, zero, zero);
    const __m256d near = _mm256_set1_pd(kTrapDistance);
    const __m256d fixed_point = _mm256_and_pd(_mm256_cmp_pd(norm1, _mm256_set1_pd(kFixedPointNorm), _CMP_LE_OQ),
        _mm256_cmp_pd(SquaredDistance(x, y, x1, y1), near, _CMP_LE_OQ));
    const __m256d cycle_norms = _mm256_and_pd(_mm256_cmp_pd(norm0, _mm256_set1_pd(kCycleNorm), _CMP_LE_OQ),
        _mm256_cmp_pd(norm1, _mm256_set1_pd(kCycleNorm), _CMP_LE_OQ));
    const __m256d contraction = _mm256_mul_pd(_mm256_mul_pd(norm0, norm1), _mm256_set1_pd(16));
    const __m256d cycle = _mm256_and_pd(_mm256_and_pd(cycle_norms,
                                            _mm256_cmp_pd(contraction, _mm256_set1_pd(kCycleContraction), _CMP_LE_OQ)),
        _mm256_cmp_pd(SquaredDistance(x, y, x0, y0), near, _CMP_LE_OQ));
    return _mm256_or_pd(fixed_point, cycle);
}

// Eight pixels of one row, as two vectors of four so that the two dependency chains overlap.
// counts[i] receives the count, or -1 where the exact path must decide.
//
// The orbit is written with fused operations: a fused multiply-add rounds once where the
// separate operations round twice, so its error is within the per-step rounding allowed for
// above. A lane stays active only while its bound is at most kBoundLimit, so the bound's own
// term growth_bound * S is at most growth_bound * kBoundLimit and is added as a constant.
__attribute__((target("avx2,fma"))) void VectorGroup(
    const double* real, double imaginary, const MandelbrotEscape::Bounds& bounds, int* counts)
{
    const __m256d ci = _mm256_set1_pd(imaginary);
    const __m256d cr[2] = { _mm256_loadu_pd(real), _mm256_loadu_pd(real + 4) };
    const __m256d growth_norm = _mm256_set1_pd(bounds.growth_norm);
    const __m256d growth_floor = _mm256_set1_pd(bounds.growth_bound * kBoundLimit * (1 + 0x1p-20));
    const __m256d added = _mm256_set1_pd(bounds.added);
    const __m256d limit = _mm256_set1_pd(kBoundLimit);
    const __m256d near_escape = _mm256_set1_pd(kEscapeNorm - kEscapeMargin);
    __m256d x[2], y[2], y2[2], norm[2], bound[2];
    __m256d x0[2], y0[2], x1[2], y1[2]; // z(n-2) and z(n-1) for the trap
    for (int v = 0; v < 2; ++v)
        x[v] = y[v] = y2[v] = norm[v] = bound[v] = x0[v] = y0[v] = x1[v] = y1[v] = _mm256_setzero_pd();
    unsigned active = 0xFF;
    for (int n = 1; n < MandelbrotEscape::kNoEscape; ++n) {
        unsigned events = 0;
        for (int v = 0; v < 2; ++v) {
            const __m256d real_part = _mm256_fmsub_pd(x[v], x[v], y2[v]);
            y[v] = _mm256_fmadd_pd(_mm256_add_pd(x[v], x[v]), y[v], ci);
            x[v] = _mm256_add_pd(real_part, cr[v]);
            bound[v] = _mm256_fmadd_pd(_mm256_fmadd_pd(norm[v], growth_norm, growth_floor), bound[v], added);
            y2[v] = _mm256_mul_pd(y[v], y[v]);
            norm[v] = _mm256_fmadd_pd(x[v], x[v], y2[v]);
            const __m256d event = _mm256_or_pd(
                _mm256_cmp_pd(norm[v], near_escape, _CMP_GT_OQ), _mm256_cmp_pd(bound[v], limit, _CMP_GT_OQ));
            events |= unsigned(_mm256_movemask_pd(event)) << (4 * v);
        }
        events &= active;
        if (events) {
            alignas(32) double norms[kGroup];
            alignas(32) double bounds_now[kGroup];
            for (int v = 0; v < 2; ++v) {
                _mm256_store_pd(norms + 4 * v, norm[v]);
                _mm256_store_pd(bounds_now + 4 * v, bound[v]);
            }
            for (int lane = 0; lane < kGroup; ++lane) {
                if (events & (1u << lane))
                    counts[lane] = Decide(n, norms[lane], bounds_now[lane]);
            }
            active &= ~events;
            if (!active)
                return;
        }
        switch (n % kTrapPeriod) {
        case kTrapPeriod - 2:
            for (int v = 0; v < 2; ++v) {
                x0[v] = x[v];
                y0[v] = y[v];
            }
            break;
        case kTrapPeriod - 1:
            for (int v = 0; v < 2; ++v) {
                x1[v] = x[v];
                y1[v] = y[v];
            }
            break;
        case 0: {
            unsigned trapped = 0;
            for (int v = 0; v < 2; ++v)
                trapped |= unsigned(_mm256_movemask_pd(TrappedLanes(x[v], y[v], x0[v], y0[v], x1[v], y1[v]))) << (4 * v);
            trapped &= active;
            for (int lane = 0; lane < kGroup; ++lane) {
                if (trapped & (1u << lane))
                    counts[lane] = MandelbrotEscape::kNoEscape;
            }
            active &= ~trapped;
            if (!active)
                return;
            break;
        }
        default:
            break;
        }
    }
    for (int lane = 0; lane < kGroup; ++lane) {
        if (active & (1u << lane))
            counts[lane] = MandelbrotEscape::kNoEscape;
    }
}
#endif

}

bool MandelbrotView::operator==(const MandelbrotView& other) const
{
    const auto same = [](long double a, long double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    return same(zoom_rate, other.zoom_rate) && same(shift_x, other.shift_x) && same(shift_y, other.shift_y)
        && width == other.width && height == other.height;
}

MandelbrotEscape::MandelbrotEscape(const MandelbrotView& view)
    : m_width(std::max(0, view.width))
    , m_height(std::max(0, view.height))
{
    if (m_width == 0 || m_height == 0) {
        m_width = m_height = 0;
        return;
    }
    const long double step = view.zoom_rate / std::min(m_width, m_height);
    const long double offset_x = step * m_width * view.shift_x;
    const long double offset_y = step * m_height * view.shift_y;
    m_real.resize(m_width);
    m_imaginary.resize(m_height);
    for (int x = 0; x < m_width; ++x)
        m_real[x] = x * step + offset_x;
    for (int y = 0; y < m_height; ++y)
        m_imaginary[y] = y * step + offset_y;

    long double reach_x = 0, reach_y = 0;
    for (long double real : m_real)
        reach_x = std::fabs(real) > reach_x || std::isnan(real) ? std::fabs(real) : reach_x;
    for (long double imaginary : m_imaginary)
        reach_y = std::fabs(imaginary) > reach_y || std::isnan(imaginary) ? std::fabs(imaginary) : reach_y;
    const long double reach = reach_x + reach_y;
    // NaN fails this test as well.
    m_fast = reach <= kFastReach;
    if (!m_fast)
        return;
    const int padded = (m_width + kGroup - 1) / kGroup * kGroup;
    m_real_double.assign(padded, kPaddingReal);
    for (int x = 0; x < m_width; ++x)
        m_real_double[x] = static_cast<double>(m_real[x]);
    const double c = static_cast<double>(reach) * (1 + kUnitRoundoff);
    const double b = kUnitRoundoff * c + 1.001 * kUnitRoundoff * (20.01 + 2 * c) + 1e-300;
    m_bounds = { kGrowthNorm, kGrowthBound, kAddedFactor * b * b };
}

bool MandelbrotEscape::VectorPathAvailable()
{
#ifdef TESSARY_HAS_AVX2_PATH
    static const bool available = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return available;
#else
    return false;
#endif
}

std::uint8_t MandelbrotEscape::ExactCount(long double real, long double imaginary)
{
    long double x = 0, y = 0, x2 = 0, y2 = 0;
    for (int n = 1; n < kNoEscape; ++n) {
        y = 2 * x * y + imaginary;
        x = x2 - y2 + real;
        x2 = x * x;
        y2 = y * y;
        if (x2 + y2 > 4)
            return static_cast<std::uint8_t>(n);
    }
    return kNoEscape;
}

int MandelbrotEscape::ComputeRow(int y, std::uint8_t* counts, Path path) const
{
    if (y < 0 || y >= m_height)
        return 0;
    const long double imaginary = m_imaginary[y];
    if (path == Path::Best)
        path = VectorPathAvailable() ? Path::Vector : Path::Scalar;
    if (path == Path::Vector && !VectorPathAvailable())
        path = Path::Scalar;
    if (!m_fast)
        path = Path::Exact;

    if (path == Path::Exact) {
        for (int x = 0; x < m_width; ++x)
            counts[x] = ExactCount(m_real[x], imaginary);
        return m_width;
    }
    int exact = 0;
    const double imaginary_double = static_cast<double>(imaginary);
    int group[kGroup];
    for (int start = 0; start < m_width; start += kGroup) {
        const int end = std::min(m_width, start + kGroup);
#ifdef TESSARY_HAS_AVX2_PATH
        if (path == Path::Vector)
            VectorGroup(m_real_double.data() + start, imaginary_double, m_bounds, group);
        else
#endif
            for (int x = start; x < end; ++x)
                group[x - start] = BoundedCount(m_real_double[x], imaginary_double, m_bounds);
        for (int x = start; x < end; ++x) {
            const int count = group[x - start];
            exact += count < 0;
            counts[x] = count < 0 ? ExactCount(m_real[x], imaginary) : static_cast<std::uint8_t>(count);
        }
    }
    return exact;
}
