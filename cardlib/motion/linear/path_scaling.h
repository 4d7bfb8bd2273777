// Path-speed scaling of an interpolation: the card paces the line by the axis with the
// longest distance, so the speeds it is given are the path speeds times that axis's share.
#pragma once

#include <cstdint>
#include <span>

namespace ktr4::motion {

// k = max(D_i) / sqrt(sum of D_i²), with D_i = |distance_i|; 0 when every distance is 0.
// The largest share is found by comparing the ratios in group order.
double path_share(std::span<const int32_t> distances);

// trunc(|path_speed| × k), the axis speed in pps.
int32_t scaled_speed(int32_t path_speed, double share);

}  // namespace ktr4::motion
