// The immediate stop, also sent by KTR4_init_card.
#pragma once

#include <cstdint>

namespace ktr4 {

// Stops the axis at once and brings its stop bookkeeping up to date (see KTR4_imd_stop);
// returns the export's first failure so far.
int32_t immediate_stop(uint8_t card, uint8_t axis);

}  // namespace ktr4
