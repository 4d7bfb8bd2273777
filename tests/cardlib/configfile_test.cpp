// Saving and loading a card's configuration record, with real files.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"

namespace {

namespace fs = std::filesystem;

const uint32_t kReadCodes[12] = {0xDC, 0xDD, 0xDE, 0xDF, 0xE0, 0xE1, 0xE2, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB};

class ConfigFile : public ktr4test::SimCardTest {
 protected:
  void SetUp() override {
    SimCardTest::SetUp();
    dir_ = fs::temp_directory_path() / ("ktr4cfg-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    start({0, 3});
  }
  void TearDown() override {
    fs::remove_all(dir_);
    SimCardTest::TearDown();
  }
  std::string path(const char* name) const { return (dir_ / name).string(); }

  static std::vector<unsigned char> bytes_of(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void write_bytes(const std::string& file, const std::vector<unsigned char>& bytes) {
    std::ofstream out(file, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  // A value per register and axis that carries the bytes text-mode I/O would mangle.
  static uint32_t sample(int reg, uint32_t axis) {
    return 0x0A0D1A00u + static_cast<uint32_t>(reg * 4) + axis;
  }

  fs::path dir_;
};

TEST_F(ConfigFile, SaveWritesTheTwelveRegistersThenTheTableFieldsLittleEndian) {
  for (int r = 0; r < 12; ++r)
    for (uint32_t axis = 0; axis < 4; ++axis) set_reg(0, axis, kReadCodes[r], sample(r, axis));
  for (uint8_t axis = 0; axis < 4; ++axis) {
    ktr4::axis_state(0, axis).correction_speed = 0x00001A0Du + axis;
    ktr4::axis_state(0, axis).mode_variant = static_cast<uint8_t>(axis == 2 ? 0x1A : 0);
  }
  const std::string file = path("card0.cfg");
  ASSERT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);

  const auto bytes = bytes_of(file);
  ASSERT_EQ(bytes.size(), 212u);
  auto u32_at = [&](size_t at) {
    return static_cast<uint32_t>(bytes[at]) | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
  };
  for (int r = 0; r < 12; ++r)
    for (uint32_t axis = 0; axis < 4; ++axis) EXPECT_EQ(u32_at(r * 16 + axis * 4), sample(r, axis));
  EXPECT_EQ(u32_at(192 + 4), 0x00001A0Eu);
  EXPECT_EQ(bytes[210], 0x1A);
  EXPECT_EQ(bytes[208], 0x00);
  EXPECT_EQ(register_reads().size(), 48u);
  EXPECT_FALSE(fs::exists(file + ".ktr4-saving"));
}

TEST_F(ConfigFile, RoundTripIntoAnotherCardRestoresEverything) {
  for (int r = 0; r < 12; ++r)
    for (uint32_t axis = 0; axis < 4; ++axis) set_reg(0, axis, kReadCodes[r], sample(r, axis));
  ASSERT_EQ(KTR4_backlash_comp(0, 1, 0x0D0, 1, 0x0A0A0A0Au), KTR4_OK);
  const std::string file = path("roundtrip.cfg");
  ASSERT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);

  ktr4sim_trace_clear();
  ASSERT_EQ(KTR4_load_config_from_file(3, file.c_str()), KTR4_OK);  // card 3 is slot 1
  EXPECT_EQ(calls_of(51).size(), 48u);
  for (int r = 0; r < 12; ++r)
    for (uint32_t axis = 0; axis < 4; ++axis)
      EXPECT_EQ(reg(1, axis, kReadCodes[r]), reg(0, axis, kReadCodes[r])) << std::hex << kReadCodes[r];
  EXPECT_EQ(ktr4::axis_state(3, 1).correction_speed, 0x0A0A0A0Au);
  EXPECT_EQ(ktr4::axis_state(3, 1).mode_variant, 1);
  EXPECT_EQ(ktr4::axis_state(3, 0).correction_speed, 1000u);
  // The shadow enables are not part of the file.
  EXPECT_EQ(ktr4::axis_state(3, 1).operation_mode, 0x01000041u);
}

TEST_F(ConfigFile, MissingFileIs309WithNothingWritten) {
  EXPECT_EQ(KTR4_load_config_from_file(0, path("absent.cfg").c_str()), KTR4_ERR_FILE);
  EXPECT_TRUE(trace().empty());
  EXPECT_EQ(KTR4_load_config_from_file(16, path("absent.cfg").c_str()), KTR4_ERR_CARD);
}

TEST_F(ConfigFile, AFileThatIsNotOneWholeRecordChangesNothing) {
  for (size_t size : {0u, 1u, 211u, 213u, 4096u}) {
    const std::string file = path("odd.cfg");
    write_bytes(file, std::vector<unsigned char>(size, 0x5A));
    ktr4sim_trace_clear();
    EXPECT_EQ(KTR4_load_config_from_file(0, file.c_str()), KTR4_ERR_FILE_SIZE) << size;
    EXPECT_TRUE(trace().empty());
    EXPECT_EQ(ktr4::axis_state(0, 0).correction_speed, 1000u);
  }
}

TEST_F(ConfigFile, LoadOnACardNotInitialisedReturns100ButTakesTheTableFields) {
  std::vector<unsigned char> record(212, 0);
  record[192] = 0x34;
  record[193] = 0x12;
  record[211] = 1;
  const std::string file = path("other.cfg");
  write_bytes(file, record);
  EXPECT_EQ(KTR4_load_config_from_file(7, file.c_str()), KTR4_ERR_NOT_INITIALISED);
  EXPECT_TRUE(trace().empty());
  EXPECT_EQ(ktr4::axis_state(7, 0).correction_speed, 0x1234u);
  EXPECT_EQ(ktr4::axis_state(7, 3).mode_variant, 1);
}

TEST_F(ConfigFile, LoadReturnsTheLastWriteResult) {
  const std::string file = path("ok.cfg");
  write_bytes(file, std::vector<unsigned char>(212, 0));
  ktr4sim_fail(51, 44, 0, 1);
  EXPECT_EQ(KTR4_load_config_from_file(0, file.c_str()), KTR4_OK);  // masked by later writes
  ktr4sim_fail(51, 45, 47, 1);
  EXPECT_EQ(KTR4_load_config_from_file(0, file.c_str()), 45);
}

TEST_F(ConfigFile, SaveOnACardNotInitialisedCreatesNoFile) {
  const std::string file = path("never.cfg");
  EXPECT_EQ(KTR4_save_config2_file(5, file.c_str()), KTR4_ERR_NOT_INITIALISED);
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(ConfigFile, SaveReplacesAnOlderLongerFileWhole) {
  const std::string file = path("old.cfg");
  write_bytes(file, std::vector<unsigned char>(1000, 0xEE));
  ASSERT_EQ(KTR4_save_config2_file(0, file.c_str()), KTR4_OK);
  EXPECT_EQ(fs::file_size(file), 212u);
}

TEST_F(ConfigFile, FailedSaveReports309AndLeavesNoPartialFile) {
  // Nothing can be created inside a directory that does not exist.
  EXPECT_EQ(KTR4_save_config2_file(0, path("no/such/dir.cfg").c_str()), KTR4_ERR_FILE);
  EXPECT_TRUE(trace().empty());  // the file is opened before any register is read

  // The target cannot be replaced: the save fails and the temporary file is gone.
  const std::string target = path("a-directory");
  fs::create_directories(fs::path(target) / "inside");
  EXPECT_EQ(KTR4_save_config2_file(0, target.c_str()), KTR4_ERR_FILE);
  EXPECT_TRUE(fs::is_directory(fs::path(target) / "inside"));
  EXPECT_FALSE(fs::exists(target + ".ktr4-saving"));
}

}  // namespace
