#include "path_scaling.h"

#include <cmath>

#include "motion/profile/arithmetic.h"

namespace ktr4::motion {

double path_share(std::span<const int32_t> distances)
{
    double sum = 0.0;
    for (int32_t d : distances) {
        const double m = magnitude(d);
        sum += m * m;
    }
    const double length = std::sqrt(sum);
    if (length == 0.0)
        return 0.0;
    double share = 0.0;
    for (int32_t d : distances) {
        const double ratio = static_cast<double>(magnitude(d)) / length;
        if (ratio > share)
            share = ratio;
    }
    return share;
}

int32_t scaled_speed(int32_t path_speed, double share)
{
    return trunc_to_i32(static_cast<double>(magnitude(path_speed)) * share);
}

}  // namespace ktr4::motion
