#pragma once

#include "command_lines.h"
#include "device_state.h"
#include "download_folder.h"
#include "modbus_slave.h"
#include "stream_splitter.h"

#include <filesystem>
#include <functional>
#include <optional>

namespace tessa_device {

struct DeviceOptions {
    std::uint8_t slaveId = 1;
    // Where downloaded files are kept (program-001.txt, parameters-002.txt, ...); none if empty.
    std::filesystem::path downloadDir;
    StreamSplitter::Timing timing;
};

// The device at the far end of the line: takes the bytes the terminal sends and returns the
// bytes it answers. Time is passed in, so tests run it on their own clock.
class SimulatedDevice {
public:
    explicit SimulatedDevice(DeviceOptions options = {});

    Bytes receive(const Bytes& bytes, Millis now);
    // Answers what became complete by a quiet gap; call it at deadline().
    Bytes poll(Millis now);
    std::optional<Millis> deadline() const { return splitter_.deadline(); }
    // Bytes received and not yet answered.
    std::size_t held() const { return splitter_.held(); }

    // One line per message and per answer, for the operator's log.
    void setLog(std::function<void(const std::string&)> log) { log_ = std::move(log); }

    const DeviceState& state() const { return state_; }
    ModbusSlave& modbus() { return modbus_; }
    // The files received, in order, as written to the download folder.
    const std::vector<std::filesystem::path>& savedDownloads() const { return saved_; }

private:
    Bytes answer(const Message& message, Millis now);
    Bytes answerBurst(const Bytes& burst);
    Bytes answerJog(const Bytes& frame, Millis now);
    Bytes storeDownload(const Message& file);
    void log(const std::string& text) const;

    DeviceOptions options_;
    StreamSplitter splitter_;
    DeviceState state_;
    CommandLines lines_;
    ModbusSlave modbus_;
    LineReply::Then awaiting_ = LineReply::Then::Nothing;
    std::optional<DownloadFolder> folder_;
    std::vector<std::filesystem::path> saved_;
    std::function<void(const std::string&)> log_;
};

// Bytes as "01 03 02" for logs.
std::string hexText(const Bytes& bytes);

}  // namespace tessa_device
