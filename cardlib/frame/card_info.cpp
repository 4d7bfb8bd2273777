// The card's information record (KTR4_info).
#include "card_table.h"
#include "driver_binding.h"
#include "export_call.h"
#include "ktr4.h"
#include "ktr4io.h"

using namespace ktr4;

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_info(ktr4_u8 card_slot, uint16_t* info)
{
    KTR4_CARD_EXPORT(card_slot);
    unsigned char record[KTR4IO_INFO_RECORD_SIZE] = {};
    if (int32_t rc = recorded(driver().card_info(card_state(card).handle, record)))
        return rc;
    *info = static_cast<uint16_t>(record[4] | (record[5] << 8));
    return KTR4_OK;
}

}  // extern "C"
