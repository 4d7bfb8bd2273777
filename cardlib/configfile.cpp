// A card's configuration saved to and loaded from a 212-byte little-endian record.
#include <cstdio>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "frame/card_table.h"
#include "frame/export_call.h"
#include "frame/register_access.h"
#include "ktr4.h"

using namespace ktr4;

namespace {

// Registers in file order, by write code; the file holds what their read codes return.
constexpr uint8_t kRegisters[12] = {0x9C, 0x9D, 0x9E, 0x9F, 0xA0, 0xA1, 0xA2, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB};
constexpr size_t kRecordSize = 212;
constexpr size_t kCorrectionSpeedOffset = 192;
constexpr size_t kModeVariantOffset = 208;

void put_u32(unsigned char* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

uint32_t get_u32(const unsigned char* at) {
  return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
         (static_cast<uint32_t>(at[3]) << 24);
}

// The file is written beside its target and renamed over it, so a failed save never
// leaves a truncated configuration in place.
class AtomicFile {
 public:
  explicit AtomicFile(const char* path) : path_(path) {
    const int length = std::snprintf(temp_, sizeof temp_, "%s.ktr4-saving", path);
    if (length >= 0 && static_cast<size_t>(length) < sizeof temp_) file_ = std::fopen(temp_, "wb");
  }
  ~AtomicFile() {
    if (file_ != nullptr) {
      std::fclose(file_);
      std::remove(temp_);
    }
  }
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  bool is_open() const { return file_ != nullptr; }

  bool commit(const unsigned char* bytes, size_t size) {
    const bool written = std::fwrite(bytes, 1, size, file_) == size;
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    bool renamed = false;
    if (written && closed) {
#if defined(_WIN32)
      renamed = MoveFileExA(temp_, path_, MOVEFILE_REPLACE_EXISTING) != 0;
#else
      renamed = std::rename(temp_, path_) == 0;
#endif
    }
    if (!renamed) std::remove(temp_);
    return renamed;
  }

 private:
  const char* path_;
  char temp_[4096] = {};
  std::FILE* file_ = nullptr;
};

}  // namespace

extern "C" {

KTR4_API int32_t KTR4_CALL KTR4_save_config2_file(ktr4_u8 card_slot, const char* path) {
  KTR4_CARD_EXPORT(card_slot);
  AtomicFile file(path);
  if (!file.is_open()) return KTR4_ERR_FILE;
  unsigned char record[kRecordSize] = {};
  size_t offset = 0;
  for (uint8_t code : kRegisters) {
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis, offset += 4) {
      uint32_t value = 0;
      read_register(card, axis, static_cast<uint8_t>(code + 0x40), &value);
      put_u32(record + offset, value);
    }
  }
  for (uint8_t axis = 0; axis < kAxesPerCard; ++axis) {
    put_u32(record + kCorrectionSpeedOffset + 4 * axis, axis_state(card, axis).correction_speed);
    record[kModeVariantOffset + axis] = axis_state(card, axis).mode_variant;
  }
  if (!file.commit(record, sizeof record)) return KTR4_ERR_FILE;
  return last_result();
}

KTR4_API int32_t KTR4_CALL KTR4_load_config_from_file(ktr4_u8 card_slot, const char* path) {
  ExportCall call;
  const uint8_t card = low_byte(card_slot);
  if (card >= kCardCount) return KTR4_ERR_CARD;

  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return KTR4_ERR_FILE;
  unsigned char record[kRecordSize + 1] = {};
  const size_t size = std::fread(record, 1, sizeof record, file);
  std::fclose(file);
  // Anything but a whole record would program the card with bytes that are not there.
  if (size != kRecordSize) return KTR4_ERR_FILE_SIZE;

  size_t offset = 0;
  for (uint8_t code : kRegisters) {
    for (uint8_t axis = 0; axis < kAxesPerCard; ++axis, offset += 4) {
      // A card that is not initialised fails every write with 100, which is then the result.
      last_result() = write_register(card, axis, code, get_u32(record + offset));
    }
  }
  for (uint8_t axis = 0; axis < kAxesPerCard; ++axis) {
    axis_state(card, axis).correction_speed = get_u32(record + kCorrectionSpeedOffset + 4 * axis);
    axis_state(card, axis).mode_variant = record[kModeVariantOffset + axis];
  }
  return last_result();
}

}  // extern "C"
