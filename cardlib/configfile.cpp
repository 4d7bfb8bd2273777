// A card's configuration saved to and loaded from a 212-byte little-endian record.
//
// The file is read or written outside the library lock: only the card traffic takes it, so a
// slow file never delays another thread's call (an emergency stop above all).
#include "config/record_file.h"
#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "frame/register_map.h"
#include "ktr4.h"

using namespace ktr4;

namespace {

// Registers in file order, by write code; the file holds what their read codes return.
constexpr uint8_t kRegisters[12] = {kWord1Code,          kWord2Code,       kWord3Code,      kSoftLimitConfigCode,
                                    kLatchWordCode,      kEnvironmentCode, kVibrationCode,  kSoftLimitPlusCode,
                                    kSoftLimitMinusCode, kSavedWordACode,  kSavedWordBCode, kComparatorDataCode};
constexpr size_t kRecordSize = 212;
constexpr size_t kCorrectionSpeedOffset = 192;
constexpr size_t kModeVariantOffset = 208;

void put_u32(unsigned char* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t get_u32(const unsigned char* at)
{
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16)
        | (static_cast<uint32_t>(at[3]) << 24);
}

// The record as the card and the card table hold it now; the first failed read's code, or 0.
// Nothing of a failed read goes into the record.
int32_t collect_record(uint8_t card, unsigned char* record)
{
    size_t offset = 0;
    for (uint8_t code : kRegisters) {
        for (uint8_t axis = 0; axis < kAxesPerCard; ++axis, offset += 4) {
            uint32_t value = 0;
            if (int32_t rc = read_register(card, axis, read_code(code), &value))
                return rc;
            put_u32(record + offset, value);
        }
    }
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis) {
        put_u32(record + kCorrectionSpeedOffset + 4 * axis, axis_state(card, axis).profile.correction_speed);
        record[kModeVariantOffset + axis] = axis_state(card, axis).profile.mode_variant;
    }
    return KTR4_OK;
}

int32_t check_saving_card(uint8_t card)
{
    ExportCall call;
    return check_card(card);
}

}  // namespace

extern "C" {

// A save writes the file only when every register was read: a record with a missing value
// would later program the card with a wrong one. The first failed read's code is returned
// and the old file stays as it was.
KTR4_API int32_t KTR4_CALL KTR4_save_config2_file(ktr4_u8 card_slot, const char* path)
{
    const uint8_t card = low_byte(card_slot);
    if (int32_t rc = check_saving_card(card))
        return rc;  // before the file is touched
    FileReplacement file;
    if (!file.prepare(path))
        return KTR4_ERR_FILE;
    unsigned char record[kRecordSize] = {};
    {
        ExportCall call;
        if (int32_t rc = check_card(card))
            return rc;
        if (int32_t rc = collect_record(card, record))
            return rc;
    }
    if (!file.commit(record, sizeof record))
        return KTR4_ERR_FILE;
    return KTR4_OK;
}

KTR4_API int32_t KTR4_CALL KTR4_load_config_from_file(ktr4_u8 card_slot, const char* path)
{
    const uint8_t card = low_byte(card_slot);
    {
        ExportCall call;
        if (card >= kCardCount)
            return KTR4_ERR_CARD;
    }
    // A longer file gives its first record; a shorter one would program the card with bytes
    // that are not there.
    unsigned char record[kRecordSize] = {};
    switch (read_record_prefix(path, record, sizeof record)) {
    case RecordRead::kComplete:
        break;
    case RecordRead::kCannotOpen:
        return KTR4_ERR_FILE;
    case RecordRead::kTooShort:
        return KTR4_ERR_FILE_SIZE;
    }

    ExportCall call;
    // A card that is not initialised takes no register (the result is then 100), but its axes'
    // settings kept in the library are loaded all the same.
    const int32_t checked = check_card(card);
    size_t offset = 0;
    for (uint8_t code : kRegisters) {
        for (uint8_t axis = 0; axis < kAxesPerCard; ++axis, offset += 4) {
            if (checked == KTR4_OK)
                write_register(card, axis, code, get_u32(record + offset));
        }
    }
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis) {
        axis_state(card, axis).profile.correction_speed = get_u32(record + kCorrectionSpeedOffset + 4 * axis);
        axis_state(card, axis).profile.mode_variant = record[kModeVariantOffset + axis];
    }
    if (checked != KTR4_OK)
        return recorded(checked);
    return last_result();
}

}  // extern "C"
