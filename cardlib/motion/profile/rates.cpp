#include "rates.h"

#include "arithmetic.h"

namespace ktr4::motion {
namespace {

// trunc(time × clock / divisor) − 1, the subtraction wrapping (indefinite − 1 is the largest
// integer), then the signed clamp to 1..65535.
uint32_t rate_over(double time, uint32_t divisor)
{
    const int32_t truncated = trunc_quotient(time * kReferenceClock, divisor);
    const auto rate = static_cast<int32_t>(static_cast<uint32_t>(truncated) - 1u);
    if (rate < 1)
        return 1;
    return rate > static_cast<int32_t>(kRegisterMax) ? kRegisterMax : static_cast<uint32_t>(rate);
}

}  // namespace

uint32_t t_rate(double time, uint32_t from, uint32_t to)
{
    if (to == from)
        return kRegisterMax;
    return rate_over(time, 4u * (to - from));
}

uint32_t s_rate(double time, uint32_t from, uint32_t to, uint32_t range)
{
    if (range != 0) {
        const uint32_t span = to - from + 2u * range;
        if (span == 0)
            return kRegisterMax;
        return rate_over(time, 4u * span);
    }
    if (to == from)
        return kRegisterMax;
    return rate_over(time, 8u * (to - from));
}

uint32_t dec_stop_rate(double time, uint32_t speed, uint32_t s_dec, bool s_curve)
{
    if (s_curve && s_dec != 0) {
        const uint32_t divisor = 4u * (speed + 2u * s_dec);
        if (divisor == 0)
            return kRegisterMax;
        return rate_over(time, divisor);
    }
    if (speed == 0)
        return kRegisterMax;
    return rate_over(time, (s_curve ? 8u : 4u) * speed);
}

}  // namespace ktr4::motion
