#pragma once

#include <cstddef>
#include <cstdint>

namespace tessa_device {

// CRC-16/MODBUS (initial FFFF, reflected polynomial A001). Written here on its own rather than
// shared with the terminal, so a fault in one is caught by the other in the end-to-end tests.
std::uint16_t modbusCrc(const std::uint8_t* data, std::size_t size);

// True when the last two bytes are the CRC of the bytes before them, low byte first.
bool hasValidCrc(const std::uint8_t* frame, std::size_t size);

}  // namespace tessa_device
