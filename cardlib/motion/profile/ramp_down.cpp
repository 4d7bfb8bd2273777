#include "ramp_down.h"

#include <cmath>

#include "arithmetic.h"
#include "operation_mode.h"

namespace ktr4::motion {
namespace {

// The register values as doubles: every product below is formed in double precision.
struct Terms {
    double fl, fh, ur1, dr1, k, sum, s_acc, s_dec;

    explicit Terms(const RampInput& in)
        : fl(in.fl)
        , fh(in.fh)
        , ur1(static_cast<double>(in.ur) + 1.0)
        , dr1(static_cast<double>(in.dr) + 1.0)
        , k(kRampDivisor * (static_cast<double>(in.mg) + 1.0))
        , sum(static_cast<double>(in.ur) + static_cast<double>(in.dr) + 2.0)
        , s_acc(in.s_acc)
        , s_dec(in.s_dec)
    {
    }
};

// Unequal S-curve sections: L the larger, Q the smaller; KL and P weigh the section that is
// kept when the larger one is given up.
struct UnequalSections {
    double b, l, q, kl, p;

    explicit UnequalSections(const Terms& t)
        : b(t.ur1 * t.s_acc + t.dr1 * t.s_dec)
    {
        if (t.s_acc < t.s_dec) {
            l = t.s_dec, q = t.s_acc, kl = 2.0 * t.dr1 + t.ur1, p = t.ur1 * t.s_acc;
        } else {
            l = t.s_acc, q = t.s_dec, kl = 2.0 * t.ur1 + t.dr1, p = t.dr1 * t.s_dec;
        }
    }
};

// The cases that the times decide before any distance is looked at.
bool decided_by_time(const RampInput& in, RampCase& kind)
{
    if (in.t_dec == 0.0) {
        kind = RampCase::kNoDeceleration;
        return true;
    }
    if (in.t_dec <= 2.0 * in.t_acc) {
        kind = RampCase::kCardFindsPoint;
        return true;
    }
    return false;
}

RampCase t_case_by_distance(const RampInput& in, uint32_t distance)
{
    const Terms t(in);
    const double need = (t.fh * t.fh - t.fl * t.fl) * t.sum / t.k;
    return static_cast<double>(distance) <= need ? RampCase::kTriangle : RampCase::kFull;
}

// A shortened operating speed is written without the register clamp, but it must never
// exceed the operating speed the move asked for (some S-curve thresholds lie above the
// distance a full profile needs, where the formulas would run faster than requested) and
// never fall below 1 (a zero-length move from the lowest start speed).
uint32_t limit_shortened(int32_t fh_prime, uint32_t fh)
{
    if (fh_prime < 1)
        return 1;
    return static_cast<uint32_t>(fh_prime) > fh ? fh : static_cast<uint32_t>(fh_prime);
}

uint32_t dp_of(double value)
{
    return clamp_ramp_down_point(trunc_to_i32(value));
}

// DP of a profile whose deceleration keeps its S-curve section S_dec.
uint32_t sectioned_dp(const Terms& t, double top)
{
    return dp_of((top - t.fl + 2.0 * t.s_dec) * (t.fl + top) * t.dr1 / t.k);
}

}  // namespace

uint32_t with_ramp_bits(uint32_t mode, RampCase kind)
{
    switch (kind) {
    case RampCase::kNoDeceleration:
        return mode | kManualRampDownBit | kShortenedBit;
    case RampCase::kCardFindsPoint:
        return mode & ~(kManualRampDownBit | kShortenedBit);
    case RampCase::kFull:
        return (mode | kManualRampDownBit) & ~kShortenedBit;
    default:
        return mode | kManualRampDownBit | kShortenedBit;
    }
}

RampCase ramp_case_T(const RampInput& in, uint32_t distance)
{
    RampCase kind {};
    if (decided_by_time(in, kind))
        return kind;
    return t_case_by_distance(in, distance);
}

RampCase ramp_case_T_manual(const RampInput& in, uint32_t distance)
{
    if (in.t_dec == 0.0)
        return RampCase::kNoDeceleration;
    return t_case_by_distance(in, distance);
}

RampCase ramp_case_S(const RampInput& in, uint32_t distance)
{
    RampCase kind {};
    if (decided_by_time(in, kind))
        return kind;
    const Terms t(in);
    const double d = distance;
    if (in.s_acc == 0 && in.s_dec == 0) {
        const double need = 2.0 * (t.fh * t.fh - t.fl * t.fl) * t.sum / t.k;
        return d <= need ? RampCase::kTriangle : RampCase::kFull;
    }
    if (in.s_acc == in.s_dec) {
        const double s = t.s_acc;
        const double need = (t.fh - t.fl + 2.0 * s) * (t.fh + t.fl) * t.sum / t.k;
        const double low = 8.0 * s * (s + t.fl) * t.sum / t.k;
        if (d <= need && d > low)
            return RampCase::kSymmetricShortened;
        if (d <= low)
            return RampCase::kTriangle;
        return RampCase::kFull;
    }
    const UnequalSections u(t);
    const double need = ((t.fh - t.fl) * t.sum + 2.0 * u.b) * (t.fh + t.fl) / t.k;
    const double mid = (u.kl * u.l + u.p) * (u.l + t.fl) * 4.0 / t.k;
    const double low = 8.0 * u.q * (u.q + t.fl) * t.sum / t.k;
    if (d <= need && d > mid)
        return RampCase::kBothSectionsKept;
    if (d <= mid && d > low)
        return RampCase::kLargerSectionGivenUp;
    if (d <= low)
        return RampCase::kTriangle;
    return RampCase::kFull;
}

RampDown shape_ramp_T(const RampInput& in, RampCase kind, uint32_t distance)
{
    RampDown out {kind, in.fh, 0, false};
    const Terms t(in);
    if (kind == RampCase::kFull) {
        out.dp = dp_of((t.fh * t.fh - t.fl * t.fl) * t.dr1 / t.k);
    } else if (kind == RampCase::kTriangle) {
        const double peak = std::sqrt(t.k * static_cast<double>(distance) / t.sum + t.fl * t.fl);
        out.fh = limit_shortened(trunc_to_i32(kTriangleFactor * peak), in.fh);
        const double top = out.fh;
        out.dp = dp_of((top * top - t.fl * t.fl) * t.dr1 / t.k);
    }
    return out;
}

RampDown shape_ramp_S(const RampInput& in, RampCase kind, uint32_t distance)
{
    RampDown out {kind, in.fh, 0, false};
    const Terms t(in);
    const double d = distance;
    switch (kind) {
    case RampCase::kNoDeceleration:
    case RampCase::kCardFindsPoint:
        break;
    case RampCase::kFull:
        // Without a deceleration section the deceleration is a pure S-curve, twice as long as
        // a linear one over the same speeds.
        out.dp = in.s_dec == 0 ? dp_of(2.0 * (t.fh * t.fh - t.fl * t.fl) * t.dr1 / t.k)
                               : dp_of((t.fh - t.fl + 2.0 * t.s_dec) * (t.fh + t.fl) * t.dr1 / t.k);
        break;
    case RampCase::kTriangle: {
        const double peak = std::sqrt(t.k * d / (2.0 * t.sum) + t.fl * t.fl);
        out.fh = limit_shortened(trunc_to_i32(kTriangleFactor * peak), in.fh);
        const double top = out.fh;
        out.dp = dp_of(2.0 * (top * top - t.fl * t.fl) * t.dr1 / t.k);
        out.ranges_zeroed = true;
        break;
    }
    case RampCase::kSymmetricShortened: {
        const double s = t.s_acc;
        const double root = std::sqrt(t.k * d / t.sum + (s - t.fl) * (s - t.fl));
        out.fh = limit_shortened(trunc_to_i32(kTriangleFactor * (root - s)), in.fh);
        out.dp = sectioned_dp(t, out.fh);
        break;
    }
    case RampCase::kBothSectionsKept: {
        const UnequalSections u(t);
        const double root = std::sqrt(u.b * u.b + t.sum * (t.k * d - 2.0 * t.fl * u.b + t.sum * t.fl * t.fl));
        out.fh = limit_shortened(trunc_to_i32(kTriangleFactor * (root - u.b) / t.sum), in.fh);
        out.dp = sectioned_dp(t, out.fh);
        break;
    }
    case RampCase::kLargerSectionGivenUp: {
        const UnequalSections u(t);
        const double root = std::sqrt(u.p * u.p + u.kl * (t.k * d - 2.0 * t.fl * u.p + u.kl * t.fl * t.fl));
        out.fh = limit_shortened(trunc_to_i32(kTriangleFactor * (root - u.p) / u.kl), in.fh);
        out.dp = sectioned_dp(t, out.fh);
        break;
    }
    }
    return out;
}

}  // namespace ktr4::motion
