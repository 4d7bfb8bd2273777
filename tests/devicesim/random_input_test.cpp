// Seeded random input, mixed with the messages that change the device's state, fed to the
// device logic on its own clock. Under the sanitizers this is the device's random-input run;
// here it also checks what must hold whatever came before: bounded memory and downloads, and a
// device that answers correctly once the line has been quiet.
#include "simulated_device.h"

#include "modbus_crc.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <unistd.h>

using namespace tessa_device;

TEST(DeviceRandomInput, StaysBoundedAndAnswersAfterAQuietLine)
{
    const auto folder = std::filesystem::temp_directory_path() / ("tessa-device-random-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    DeviceOptions options;
    options.downloadDir = folder;
    SimulatedDevice device(options);

    const std::vector<Bytes> words {bytesOf("c73\r\n"),
                                    bytesOf("c83\r\n"),
                                    bytesOf("c43\r\n"),
                                    bytesOf("c45\r\n"),
                                    bytesOf("ver\r\n"),
                                    bytesOf("REL=9223372036854775807,5\r\n"),
                                    bytesOf("REL=-9223372036854775807,5\r\n"),
                                    bytesOf("c41=8300000\r\n"),
                                    bytesOf("0930"),
                                    bytesOf("\r"),
                                    bytesOf("\n"),
                                    Bytes {0xD8, 0x00, 0xED},
                                    Bytes {0xE6, 0x00, 0xED},
                                    withCrc({0x01, 0x10, 0x00, 0x00, 0x00, 0x01, 0x02, 0x0D, 0x0A}),
                                    withCrc({0x0D, 0x03, 0x00, 0x00, 0x00, 0x7D}),
                                    Bytes {0x01, 0x10, 0x00, 0x00, 0x00, 0x7B, 0xF6},
                                    Bytes(5000, 'x')};
    std::mt19937 random(20261207);
    Millis now = 0;
    for (int round = 0; round < 120; ++round) {
        for (int chunk = 0; chunk < 50; ++chunk) {
            Bytes bytes;
            const std::size_t size = random() % 600 + 1;
            while (bytes.size() < size) {
                if (random() % 5 == 0) {
                    const Bytes& word = words[random() % words.size()];
                    bytes.insert(bytes.end(), word.begin(), word.end());
                } else {
                    bytes.push_back(static_cast<std::uint8_t>(random()));
                }
            }
            now += static_cast<Millis>(random() % 4 == 0 ? random() % 1200 : random() % 3);
            device.receive(bytes, now);
            if (random() % 8 == 0)
                device.poll(now);
            ASSERT_LE(device.held(), StreamSplitter::kLongestDownload + 2 * size);
        }
        // Quiet long enough to end any download, then the device must answer as it should.
        now += 2000;
        device.poll(now);
        now += 10;
        ASSERT_EQ(textOf(device.receive(bytesOf("ver\r\n"), now)), "VER tessa-device 1.00\r\n") << round;
        const Bytes answer = device.receive(withCrc({0x01, 0x03, 0x02, 0x00, 0x00, 0x01}), now);
        ASSERT_EQ(answer.size(), 7u) << round;
        ASSERT_TRUE(hasValidCrc(answer.data(), answer.size())) << round;
    }
    EXPECT_LE(device.savedDownloads().size(), static_cast<std::size_t>(DownloadFolder::kMostFiles));
    for (const auto& path : device.savedDownloads())
        EXPECT_LE(std::filesystem::file_size(path), StreamSplitter::kLongestDownload);
    EXPECT_FALSE(device.savedDownloads().empty());
    std::filesystem::remove_all(folder);
}
