// Finds the cards the driver reports (by default the simulated card), initialises the first
// one and runs a short sequence of moves on axis 0, printing position, speed and status as
// they change. With the simulated driver the card moves in real time.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "ktr4.h"

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point g_begin = Clock::now();

void show(uint8_t card, uint8_t axis, const char* what)
{
    int32_t position = 0;
    double speed = 0;
    uint8_t stopped = 0;
    KTR4_read_current_position(card, axis, &position);
    KTR4_read_speed(card, axis, &speed);
    KTR4_read_motion_status(card, axis, 0, &stopped);
    const double t = std::chrono::duration<double>(Clock::now() - g_begin).count();
    std::printf("%7.2f s  axis %u  position %8d  speed %9.1f pps  %-8s %s\n", t, axis, position, speed,
                stopped ? "stopped" : "moving", what);
}

// Prints the axis every 100 ms until it stops (or `seconds` have passed).
void watch(uint8_t card, uint8_t axis, double seconds)
{
    const auto until = Clock::now() + std::chrono::duration<double>(seconds);
    uint8_t stopped = 0;
    while (Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        show(card, axis, "");
        KTR4_read_motion_status(card, axis, 0, &stopped);
        if (stopped)
            return;
    }
}

void check(const char* call, int32_t rc)
{
    if (rc != KTR4_OK)
        std::printf("  %s returned %d\n", call, rc);
}

constexpr const char* kUsage =
    "Usage: ktr4_demo [-h | --help]\n"
    "Initialises the first KTR4 card the driver reports (by default the simulated card) and runs\n"
    "a T-curve move, an S-curve move back, a velocity move with a speed change and a decelerating\n"
    "stop, and a move stopped at once on axis 0, printing position, speed and status as they change.\n"
    "\n"
    "  -h, --help  print this text and exit\n"
    "\n"
    "Environment: KTR4IO_LIBRARY (the driver library), KTR4SIM_CARDS (the simulated cards).\n"
    "Exit status: 0 done, 1 KTR4_initial failed, 2 a bad argument.\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1) {
        const bool help = std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0;
        if (help && argc == 2) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        std::fprintf(stderr, "ktr4_demo: unknown argument %s\n%s", help ? argv[2] : argv[1], kUsage);
        return 2;
    }
    const int32_t rc = KTR4_initial();
    if (rc != KTR4_OK) {
        std::fprintf(stderr, "KTR4_initial failed with code %d\n", rc);
        return 1;
    }
    int card = -1;
    for (uint8_t c = 0; c < 16 && card < 0; ++c) {
        uint16_t info = 0;
        if (KTR4_info(c, &info) == KTR4_OK) {
            card = c;
            std::printf("card %u: info word 0x%04X\n", c, info);
        }
    }
    if (card < 0) {
        std::printf("no card found\n");
        return KTR4_close() == KTR4_OK ? 0 : 1;
    }
    const auto c = static_cast<uint8_t>(card);
    check("KTR4_init_card", KTR4_init_card(c));
    show(c, 0, "after KTR4_init_card");

    std::printf("-- T-curve relative move of 12 000 pulses, 500 -> 20 000 pps, 0.2 s ramps\n");
    check("KTR4_TR_position_move", KTR4_TR_position_move(c, 0, 12000, 500, 20000, 0.2, 0.2));
    watch(c, 0, 5);

    std::printf("-- S-curve absolute move back to 2000, 500 -> 15 000 pps, 0.3 s ramps\n");
    check("KTR4_SA_position_move", KTR4_SA_position_move(c, 0, 2000, 500, 15000, 0.3, 0.3, 3000, 3000));
    watch(c, 0, 5);

    std::printf("-- velocity move at -8000 pps, then a change to -16 000 pps, then a decelerating stop\n");
    // A fixed speed range keeps one magnification for the run, so the change ramps smoothly.
    check("KTR4_fix_speed_range", KTR4_fix_speed_range(c, 0, 20000));
    check("KTR4_T_velocity_move", KTR4_T_velocity_move(c, 0, 500, -8000, 0.2));
    watch(c, 0, 0.6);
    check("KTR4_velocity_change", KTR4_velocity_change(c, 0, -16000, 0.2));
    show(c, 0, "velocity change");
    watch(c, 0, 0.5);
    check("KTR4_dec_stop", KTR4_dec_stop(c, 0, 0.3));
    show(c, 0, "decelerating stop");
    watch(c, 0, 2);
    check("KTR4_unfix_speed_range", KTR4_unfix_speed_range(c, 0));

    std::printf("-- a move stopped at once halfway\n");
    check("KTR4_TR_position_move", KTR4_TR_position_move(c, 0, 20000, 500, 20000, 0.1, 0.1));
    watch(c, 0, 0.5);
    check("KTR4_imd_stop", KTR4_imd_stop(c, 0));
    show(c, 0, "immediate stop");
    return KTR4_close() == KTR4_OK ? 0 : 1;
}
