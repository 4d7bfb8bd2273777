// The general outputs, also driven by KTR4_init_card.
#pragma once

#include <cstdint>

namespace ktr4 {

// Output point 0-11 of the axis on or off (see KTR4_write_output_point); 302 for another point.
int32_t write_output_point(uint8_t card, uint8_t axis, uint8_t point, bool on);

}  // namespace ktr4
