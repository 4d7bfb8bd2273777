// The driver library, loaded at the first KTR4_initial and kept for the process's life.
#pragma once

#include <cstdint>
#include <string>

#include "ktr4.h"

namespace ktr4 {

struct DriverOps {
    int32_t(KTR4_CALL* find_cards)(uint16_t device_type, uint32_t handles[16], uint8_t* count);
    int32_t(KTR4_CALL* card_info)(uint32_t handle, void* record);
    int32_t(KTR4_CALL* open_card)(uint32_t handle, void* open_record);
    int32_t(KTR4_CALL* set_interrupt)(uint32_t handle, void* interrupt_record);
    int32_t(KTR4_CALL* read_interrupt_status)(uint32_t handle, void* status_block);
    int32_t(KTR4_CALL* reset_interrupt)(uint32_t handle, uint32_t card);
    int32_t(KTR4_CALL* read_port16)(uint32_t handle, uint16_t offset, uint16_t* word);
    int32_t(KTR4_CALL* write_port16)(uint32_t handle, uint16_t offset, uint16_t word);
    int32_t(KTR4_CALL* read_register)(uint32_t handle, uint16_t axis, uint16_t code, uint32_t* value);
    int32_t(KTR4_CALL* write_register)(uint32_t handle, uint16_t axis, uint16_t code, uint32_t value);
};

// Loads the driver if it is not loaded yet: KTR4_OK, KTR4_ERR_DRIVER_LOAD or
// KTR4_ERR_DRIVER_OPERATION. A failed attempt is retried at the next call.
int32_t bind_driver();

// Why the last failed load failed, "<file>: <reason>"; empty when none failed or the driver
// is bound. Read and written under the library lock.
const std::string& driver_load_failure();

// The bound operations; only valid after bind_driver() returned KTR4_OK (every card with
// a handle was found through them).
const DriverOps& driver();

}  // namespace ktr4
