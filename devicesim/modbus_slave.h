#pragma once

#include "bytes.h"

#include <array>
#include <cstddef>

namespace tessa_device {

// A Modbus RTU slave with one table of 1024 16-bit registers (addresses 0000..03FF), read by
// functions 03 and 04 and written by 06 and 10. Requests are handed over with their CRC
// already checked; the reply carries its own CRC.
class ModbusSlave {
public:
    static constexpr std::size_t kRegisterCount = 0x400;
    // Register 0200 holds the firmware version (100 = 1.00) until something is written there.
    static constexpr std::size_t kVersionRegister = 0x200;
    static constexpr std::uint16_t kVersion = 100;

    explicit ModbusSlave(std::uint8_t id);

    std::uint8_t id() const { return id_; }
    // The reply to a request for this slave; empty for a broadcast (address 0) or another slave.
    Bytes answer(const Bytes& request);

    std::uint16_t reg(std::size_t address) const { return registers_.at(address); }
    void setReg(std::size_t address, std::uint16_t value) { registers_.at(address) = value; }

private:
    Bytes readRegisters(const Bytes& request);
    Bytes writeSingle(const Bytes& request);
    Bytes writeMultiple(const Bytes& request);
    Bytes exception(std::uint8_t function, std::uint8_t code) const;

    std::uint8_t id_;
    std::array<std::uint16_t, kRegisterCount> registers_ {};
};

// Appends the CRC (low byte first) to a frame.
Bytes withCrc(Bytes frame);

}  // namespace tessa_device
