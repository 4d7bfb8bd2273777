// The TTL line configuration, also reset by KTR4_init_card.
#pragma once

#include <cstdint>

namespace ktr4 {

// Routes the two TTL lines by mode 0-3 (see KTR4_config_TTL_IO_MODE); 302 for another mode.
int32_t configure_ttl_io(uint8_t card, uint8_t mode);

}  // namespace ktr4
