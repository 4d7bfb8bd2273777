// Axis services beside the moves: stops.
#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"

using namespace ktr4;

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_imd_stop(ktr4_u8 card_slot, ktr4_u8 axis_slot) {
  KTR4_AXIS_EXPORT(card_slot, axis_slot);
  write_command(card, static_cast<uint8_t>(1u << axis), 0x49);
  const int32_t rc = note_axis_stop(card, axis);
  axis_state(card, axis).bookkeeping_armed = 1;
  return rc;
}

}  // extern "C"
