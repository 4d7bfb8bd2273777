// The library's interpolations, arcs and interrupts on the moving simulated card, end to end:
// what an application sees when it programs through the exports and waits for the card.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

#include "frame/card_table.h"
#include "ktr4.h"
#include "ktr4sim.h"
#include "sim_fixture.h"
#include "speed_watch.h"

namespace {

constexpr uint64_t kSecond = KTR4SIM_TICKS_PER_SECOND;

using LibraryMotion = ktr4test::MovingCardTest;

TEST_F(LibraryMotion, LinesThroughTheExportsEndTogetherOnTheirCommandedEnds)
{
    std::mt19937 rng(2024);
    for (int i = 0; i < 150; ++i) {
        int32_t d[4];
        for (int32_t& v : d)
            v = static_cast<int32_t>(rng() % 40001) - 20000;
        const int kind = i % 3;
        const int32_t top = 2000 + static_cast<int32_t>(rng() % 30000);
        int32_t rc = 0;
        if (kind == 0)
            rc = KTR4_T_curve_move_LINE2(0, 3, d[1], d[2], 0, 500, top, 0.05, 0.1);  // axes 1 and 2
        if (kind == 1)
            rc = KTR4_S_curve_move_LINE3(0, 0, d[0], d[1], d[2], 0, 500, top, 0.1, 0.1, 0, 0);
        if (kind == 2)
            rc = KTR4_T_curve_move_LINE4(0, d[0], d[1], d[2], d[3], 0, 500, top, 0.1, 0.05);
        ASSERT_EQ(rc, KTR4_OK) << "case " << i;
        ktr4test::SpeedWatch watch;
        for (int k = 0; k < 4000 && !all_stopped(); ++k)
            ASSERT_TRUE(watch.advance(kSecond / 20)) << "case " << i;
        ASSERT_TRUE(all_stopped()) << "case " << i;
        uint64_t end = 0;
        bool first = true;
        for (uint8_t a = 0; a < 4; ++a) {
            EXPECT_EQ(position(a), ktr4::axis_state(0, a).end.commanded_end) << "case " << i << " axis " << int(a);
            const bool in_group = kind == 2 || (kind == 1 && a < 3) || (kind == 0 && (a == 1 || a == 2));
            if (!in_group || d[a] == 0)
                continue;
            if (first)
                end = ktr4sim_stop_tick(0, a);
            first = false;
            EXPECT_EQ(ktr4sim_stop_tick(0, a), end) << "case " << i << " axis " << int(a);
        }
    }
}

TEST_F(LibraryMotion, ThreePointArcsStayOnTheirCircleAndEndOnTheirEndPoint)
{
    std::mt19937 rng(77);
    int ran = 0;
    for (int i = 0; i < 60; ++i) {
        const int32_t x1 = static_cast<int32_t>(rng() % 20001) - 10000,
                      y1 = static_cast<int32_t>(rng() % 20001) - 10000;
        const int32_t x2 = static_cast<int32_t>(rng() % 20001) - 10000,
                      y2 = static_cast<int32_t>(rng() % 20001) - 10000;
        const int32_t sx = position(0), sy = position(1);
        const int32_t rc = KTR4_ARC_3P_move_XY(0, x1, y1, x2, y2, 0, 20000);
        if (rc == KTR4_ERR_ARC_GEOMETRY) {  // collinear or unreachable: a line to the end instead
            for (int k = 0; k < 4000 && !all_stopped(); ++k)
                ktr4sim_advance(kSecond / 10);
            continue;
        }
        if (rc == KTR4_ERR_RANGE) {  // nearly on a line: the centre would have to move too far
            EXPECT_EQ(position(0), sx) << "case " << i;
            EXPECT_EQ(position(1), sy) << "case " << i;
            EXPECT_TRUE(all_stopped()) << "case " << i;
            continue;
        }
        ASSERT_EQ(rc, KTR4_OK) << "case " << i;
        ++ran;
        uint32_t cx = 0, cy = 0;
        ASSERT_EQ(ktr4sim_get_register(0, 0, 0xD8, &cx), 0);
        ASSERT_EQ(ktr4sim_get_register(0, 1, 0xD8, &cy), 0);
        const double centre_x = sx + static_cast<int32_t>(cx), centre_y = sy + static_cast<int32_t>(cy);
        // The integer centre leaves start and end a little off one radius: the path stays within a
        // pulse of the band between the two.
        const double r_start = std::hypot(sx - centre_x, sy - centre_y);
        const double r_end = std::hypot(ktr4::axis_state(0, 0).end.commanded_end - centre_x,
                                        ktr4::axis_state(0, 1).end.commanded_end - centre_y);
        const double low = std::min(r_start, r_end) - 1.0, high = std::max(r_start, r_end) + 1.0;
        ktr4test::SpeedWatch watch;
        for (int k = 0; k < 20000 && !all_stopped(); ++k) {
            ASSERT_TRUE(watch.advance(kSecond / 50)) << "case " << i;
            const double r = std::hypot(position(0) - centre_x, position(1) - centre_y);
            ASSERT_GE(r, low) << "case " << i;
            ASSERT_LE(r, high) << "case " << i;
        }
        ASSERT_TRUE(all_stopped()) << "case " << i;
        EXPECT_EQ(position(0), ktr4::axis_state(0, 0).end.commanded_end) << "case " << i;
        EXPECT_EQ(position(1), ktr4::axis_state(0, 1).end.commanded_end) << "case " << i;
    }
    EXPECT_GT(ran, 20);
}

TEST_F(LibraryMotion, CentreArcsRunOnlyToEndsOnTheirCircleAndNeverJump)
{
    // Ends on, near and off the circle through the start: one off it could only be reached by a
    // jump after running round.
    std::mt19937 rng(88);
    int ran = 0, refused = 0;
    for (int i = 0; i < 40; ++i) {
        const int32_t cx = static_cast<int32_t>(rng() % 1201) - 600, cy = static_cast<int32_t>(rng() % 1201) - 600;
        const double r = std::hypot(cx, cy), a = (rng() % 6283) / 1000.0;
        const int32_t off = i % 2 ? 0 : static_cast<int32_t>(rng() % 41) - 20;  // pulses off the circle
        const auto ex = static_cast<int32_t>(std::lround(cx + (r + off) * std::cos(a)));
        const auto ey = static_cast<int32_t>(std::lround(cy + (r + off) * std::sin(a)));
        const int32_t sx = position(0), sy = position(1);
        const int32_t rc = KTR4_ARC_center_move_XY(0, cx, cy, ex, ey, 0, 1000, i % 3);
        if (rc == KTR4_ERR_RANGE) {
            ++refused;
            EXPECT_TRUE(all_stopped()) << "case " << i;
            EXPECT_EQ(position(0), sx) << "case " << i;
            EXPECT_EQ(position(1), sy) << "case " << i;
            continue;
        }
        if (rc == KTR4_ERR_ARC_GEOMETRY) {  // the correction met the end point: a line runs
            for (int k = 0; k < 4000 && !all_stopped(); ++k)
                ktr4sim_advance(kSecond / 10);
            continue;
        }
        ASSERT_EQ(rc, KTR4_OK) << "case " << i;
        ++ran;
        ktr4test::SpeedWatch watch;
        for (int k = 0; k < 20000 && !all_stopped(); ++k)
            ASSERT_TRUE(watch.advance(kSecond / 1000)) << "case " << i;
        ASSERT_TRUE(all_stopped()) << "case " << i;
        EXPECT_EQ(position(0), sx + ex) << "case " << i;
        EXPECT_EQ(position(1), sy + ey) << "case " << i;
    }
    EXPECT_GT(ran, 15);
    EXPECT_GT(refused, 5);
    // The probe's arc: its end 300 pulses inside the circle, at 1 pulse per millisecond.
    const int32_t sx = position(0), sy = position(1);
    EXPECT_EQ(KTR4_ARC_center_move_XY(0, -1000, 1, -300, 2, 0, 1000, 0), KTR4_ERR_RANGE);
    EXPECT_TRUE(all_stopped());
    EXPECT_EQ(position(0), sx);
    EXPECT_EQ(position(1), sy);
}

std::atomic<int> g_move_ends {0};
void KTR4_CALL count_move_end(uint8_t)
{
    ++g_move_ends;
}

TEST_F(LibraryMotion, AMoveEndReachesTheApplicationsCallback)
{
    g_move_ends = 0;
    ASSERT_EQ(KTR4_set_INT_source(0, 2, 0x1, 0x1), KTR4_OK);  // pass on the move-end event
    ASSERT_EQ(KTR4_set_INT_mask(0, 2, 1), KTR4_OK);
    KTR4_EVENT event;
    ASSERT_EQ(KTR4_enable_IRQ(0, &event), KTR4_OK);
    ASSERT_EQ(KTR4_link_IRQ_process(0, count_move_end), KTR4_OK);

    ASSERT_EQ(KTR4_TR_position_move(0, 2, 5000, 1000, 20000, 0.05, 0.05), KTR4_OK);
    ktr4sim_advance(kSecond);
    EXPECT_TRUE(ktr4test::eventually([] { return g_move_ends > 0; }));
    EXPECT_EQ(g_move_ends, 1);
    EXPECT_EQ(position(2), 5000);

    // A move of an axis whose event factor does not ask to be told stays silent.
    ASSERT_EQ(KTR4_TR_position_move(0, 3, 100, 1000, 20000, 0.05, 0.05), KTR4_OK);
    ktr4sim_advance(kSecond);
    uint32_t flags = 0;
    ASSERT_EQ(KTR4_read_event_flag(0, 3, &flags), KTR4_OK);
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(KTR4_disable_IRQ(0), KTR4_OK);
    ktr4sim_raise_interrupt(0, 0, 0, 0);  // nothing is enabled now; the service thread stays parked
    EXPECT_EQ(g_move_ends, 1);
}

}  // namespace
