// Finds the cards the driver reports (by default the simulated card), initialises each and
// prints what it sees. Moves nothing.
#include <cstdio>

#include "ktr4.h"

int main() {
  const int32_t rc = KTR4_initial();
  if (rc != KTR4_OK) {
    std::fprintf(stderr, "KTR4_initial failed with code %d\n", rc);
    return 1;
  }
  int found = 0;
  for (uint32_t card = 0; card < 16; ++card) {
    uint16_t info = 0;
    const int32_t info_rc = KTR4_info(card, &info);
    if (info_rc == KTR4_ERR_NOT_INITIALISED) continue;
    ++found;
    std::printf("card %u: info word 0x%04X (code %d)\n", card, info, info_rc);
    std::printf("  KTR4_init_card -> %d\n", KTR4_init_card(card));
    for (uint32_t axis = 0; axis < 4; ++axis) {
      int32_t position = 0;
      uint8_t stopped = 0;
      KTR4_read_current_position(card, axis, &position);
      KTR4_read_motion_status(card, axis, 0, &stopped);
      std::printf("  axis %u: position %d, %s\n", axis, position, stopped ? "stopped" : "moving");
    }
  }
  std::printf("%d card(s) found\n", found);
  return KTR4_close() == KTR4_OK ? 0 : 1;
}
