// A driver that does not load leaves every card uninitialised, and says why: the file tried and
// the system's reason, for a caller's buffer. Fresh processes (ktr4_fresh_tests): the driver must
// not have been bound before.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ktr4.h"
#include "ktr4sim.h"

namespace {

std::string load_error()
{
    char text[512];
    EXPECT_EQ(KTR4_driver_load_error(text, sizeof text), KTR4_OK);
    return text;
}

TEST(DriverLoadError, AMissingFileIsNamedWithTheSystemsReasonUntilALoadSucceeds)
{
    EXPECT_EQ(load_error(), "");  // nothing tried yet
    setenv("KTR4IO_LIBRARY", "/nonexistent/libnothing.so", 1);
    ASSERT_EQ(KTR4_initial(), KTR4_ERR_DRIVER_LOAD);
    uint16_t info = 0;
    EXPECT_EQ(KTR4_info(0, &info), KTR4_ERR_NOT_INITIALISED);
    const std::string reason = load_error();
    const std::string file = "/nonexistent/libnothing.so";
    EXPECT_NE(reason.find(file), std::string::npos) << reason;
    EXPECT_GT(reason.size(), file.size() + 2)
        << "the system's reason is missing: " << reason;  // in the system's language

    char cut[8] = "xxxxxxx";
    EXPECT_EQ(KTR4_driver_load_error(cut, sizeof cut), KTR4_ERR_RANGE);
    EXPECT_EQ(std::string(cut), reason.substr(0, 7));
    EXPECT_EQ(KTR4_driver_load_error(nullptr, 10), KTR4_ERR_RANGE);
    EXPECT_EQ(KTR4_driver_load_error(cut, 0), KTR4_ERR_RANGE);

    // A later KTR4_initial tries again.
    unsetenv("KTR4IO_LIBRARY");
    ktr4sim_reset();
    ASSERT_EQ(KTR4_initial(), KTR4_OK);
    EXPECT_EQ(load_error(), "");
    EXPECT_EQ(KTR4_info(0, &info), KTR4_OK);
}

TEST(DriverLoadError, ADriverLackingAnOperationIsNamedWithTheOperation)
{
    setenv("KTR4IO_LIBRARY", INCOMPLETE_DRIVER, 1);
    ASSERT_EQ(KTR4_initial(), KTR4_ERR_DRIVER_OPERATION);
    int32_t position = 0;
    EXPECT_EQ(KTR4_read_current_position(0, 0, &position), KTR4_ERR_NOT_INITIALISED);
    const std::string reason = load_error();
    EXPECT_NE(reason.find(INCOMPLETE_DRIVER), std::string::npos) << reason;
    EXPECT_NE(reason.find("ktr4io_write_register"), std::string::npos) << reason;
}

}  // namespace
