#pragma once
// A Modbus RTU slave on Debian's libmodbus at the far end of a line, on a thread of its own:
// an independent peer for what the terminal sends and decodes.
#include <modbus.h>

#include <QString>

#include <atomic>
#include <cstdint>
#include <thread>

namespace tessa::testing {

// Slave 1 at 115200 baud, n,8,1. Holding registers 0x200..0x202 hold 0x1234, 0xABCD, 0x0042 and
// input registers 0x100..0x101 hold 0xFFFF, 0x0007; a holding-register read of
// kExceptionBase + code (code 01..0B) is answered with modbus_reply_exception(code).
class ModbusSlave {
public:
    static constexpr int kExceptionBase = 0x300;

    explicit ModbusSlave(const QString& path)
    {
        ctx_ = modbus_new_rtu(path.toLocal8Bit().constData(), 115200, 'N', 8, 1);
        map_ = modbus_mapping_new(0, 0, 0x400, 0x400);
        if (!ctx_ || !map_ || modbus_set_slave(ctx_, 1) != 0 || modbus_connect(ctx_) != 0)
            return;
        modbus_set_indication_timeout(ctx_, 0, 100000);
        map_->tab_registers[0x200] = 0x1234;
        map_->tab_registers[0x201] = 0xABCD;
        map_->tab_registers[0x202] = 0x0042;
        map_->tab_input_registers[0x100] = 0xFFFF;
        map_->tab_input_registers[0x101] = 0x0007;
        thread_ = std::thread([this] {
            std::uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
            while (!stop_) {
                const int length = modbus_receive(ctx_, query);
                if (length <= 0)
                    continue;
                const int address = (query[2] << 8) | query[3];
                const int code = address - kExceptionBase;
                if (query[1] == 0x03 && code > 0 && code <= 0x0B)
                    modbus_reply_exception(ctx_, query, static_cast<unsigned>(code));
                else
                    modbus_reply(ctx_, query, length, map_);
                ++answered;
            }
        });
        ready_ = true;
    }
    ~ModbusSlave()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        if (ctx_) {
            modbus_close(ctx_);
            modbus_free(ctx_);
        }
        if (map_)
            modbus_mapping_free(map_);
    }
    ModbusSlave(const ModbusSlave&) = delete;
    ModbusSlave& operator=(const ModbusSlave&) = delete;

    bool ready() const { return ready_; }
    // Read only after the slave has answered (the answer count orders it).
    std::uint16_t registerValue(int address) const { return map_->tab_registers[address]; }
    std::atomic<int> answered {0};

private:
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* map_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_ {false};
    bool ready_ = false;
};

}  // namespace tessa::testing
