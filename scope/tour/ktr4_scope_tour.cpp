// ktr4-scope-tour: a small machine program for watching the simulated card in ktr4-scope. On
// the first card it runs a line on axes 0 and 1, a half-circle arc through three points, two
// single-axis moves on axes 2 and 3 at once, and a line to a final point, waiting for each to
// end, then prints the commanded end position of every axis.
//
//   ktr4-scope-tour [--scale F] [--loop] [--hold SECONDS]
//
// --scale multiplies every distance (a quicker tour with F < 1); --loop repeats the tour until
// the program is stopped; --hold keeps the program alive that long after the last move.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "ktr4.h"

namespace {

double g_scale = 1.0;

int32_t scaled(int32_t pulses)
{
    return static_cast<int32_t>(std::lround(pulses * g_scale));
}

bool check(const char* call, int32_t rc)
{
    if (rc == KTR4_OK)
        return true;
    std::fprintf(stderr, "ktr4-scope-tour: %s returned %d\n", call, rc);
    return false;
}

void wait_stopped(uint8_t card)
{
    for (;;) {
        bool all = true;
        for (uint8_t a = 0; a < 4; ++a) {
            uint8_t stopped = 0;
            KTR4_read_motion_status(card, a, 0, &stopped);
            all = all && stopped;
        }
        if (all)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool tour(uint8_t c)
{
    std::printf("-- line on axes 0 and 1\n");
    if (!check("KTR4_T_curve_move_LINE2",
               KTR4_T_curve_move_LINE2(c, 0, scaled(20000), scaled(10000), 0, 1000, 12000, 0.2, 0.2)))
        return false;
    wait_stopped(c);
    std::printf("-- half-circle arc through three points\n");
    if (!check("KTR4_ARC_3P_move_XY", KTR4_ARC_3P_move_XY(c, scaled(15000), scaled(15000), scaled(30000), 0, 0, 8000)))
        return false;
    wait_stopped(c);
    std::printf("-- axes 2 and 3 at once\n");
    if (!check("KTR4_TR_position_move", KTR4_TR_position_move(c, 2, scaled(15000), 500, 10000, 0.2, 0.2))
        || !check("KTR4_SR_position_move", KTR4_SR_position_move(c, 3, scaled(-8000), 500, 6000, 0.3, 0.3, 1000, 1000)))
        return false;
    wait_stopped(c);
    std::printf("-- line to the final point\n");
    if (!check("KTR4_T_curve_move_LINE2",
               KTR4_T_curve_move_LINE2(c, 0, scaled(5000), scaled(-3000), 1, 1000, 12000, 0.2, 0.2)))
        return false;
    wait_stopped(c);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    bool loop = false;
    double hold = 0;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--scale") && i + 1 < argc)
            g_scale = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--loop"))
            loop = true;
        else if (!std::strcmp(argv[i], "--hold") && i + 1 < argc)
            hold = std::atof(argv[++i]);
        else {
            std::fprintf(stderr, "usage: ktr4-scope-tour [--scale F] [--loop] [--hold SECONDS]\n");
            return 2;
        }
    }
    if (!check("KTR4_initial", KTR4_initial()) || !check("KTR4_init_card", KTR4_init_card(0)))
        return 1;
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    do {
        // Each round starts from the origin.
        for (uint8_t a = 0; a < 4; ++a)
            KTR4_set_current_position(0, a, 0);
        if (!tour(0))
            return 1;
    } while (loop);
    const int32_t ends[4] = {scaled(5000), scaled(-3000), scaled(15000), scaled(-8000)};
    for (uint8_t a = 0; a < 4; ++a) {
        int32_t position = 0;
        KTR4_read_current_position(0, a, &position);
        std::printf("end axis %u commanded %d position %d\n", a, ends[a], position);
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(hold));
    return KTR4_close() == KTR4_OK ? 0 : 1;
}
