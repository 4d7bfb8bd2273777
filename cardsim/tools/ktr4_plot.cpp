// ktr4-plot: runs moves on the simulated card through the ktr4 library with the virtual
// clock, and writes for each a CSV of time, positions and speeds and an SVG of position and
// speed against time (and the X-Y path for interpolations). Given a recorded run instead
// (KTR4SIM_RECORD, or ktr4-scope's "Record"), it draws that run's moving axes.
//
//   ktr4-plot [--out DIR] [scenario | FILE ...]     (nothing: all the scenarios)
//
// Scenarios: tcurve-full, tcurve-short, scurve-linear, scurve-pure, line2, arc3p.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "ktr4.h"
#include "ktr4sim.h"
#include "plot_svg.h"
#include "recording_file.h"

namespace {

using ktr4plot::Sample;

struct Scenario {
    std::string name, title;
    std::vector<uint8_t> axes;  // one axis, or x and y of an interpolation
    std::function<int32_t()> start;
};

// LINE2 on axes 0 and 1: 30 000 and 40 000 pulses, start 1000 pps, top 10 000 pps, 0.1 s ramps.
int32_t start_line2()
{
    return KTR4_T_curve_move_LINE2(0, 0, 30000, 40000, 0, 1000, 10000, 0.1, 0.1);
}

// A three-point arc from (0, 0) through (20 000, 20 000) to (40 000, 0) at 8000 pps.
int32_t start_arc3p()
{
    return KTR4_ARC_3P_move_XY(0, 20000, 20000, 40000, 0, 0, 8000);
}

std::vector<Scenario> scenarios()
{
    return {
        {"tcurve-full",
         "T-curve, full profile: 50 000 pulses, 1000 -> 10 000 pps, 0.3 s / 0.6 s",
         {0},
         [] { return KTR4_TR_position_move(0, 0, 50000, 1000, 10000, 0.3, 0.6); }},
        {"tcurve-short",
         "T-curve, shortened (triangle): 3000 pulses, 1000 -> 10 000 pps, 0.3 s / 0.8 s",
         {0},
         [] { return KTR4_TR_position_move(0, 0, 3000, 1000, 10000, 0.3, 0.8); }},
        {"scurve-linear",
         "S-curve with linear part: 50 000 pulses, S sections 2000 pps, 0.4 s / 0.9 s",
         {0},
         [] { return KTR4_SR_position_move(0, 0, 50000, 1000, 10000, 0.4, 0.9, 2000, 2000); }},
        {"scurve-pure",
         "S-curve without linear part: 50 000 pulses, 0.4 s / 0.9 s",
         {0},
         [] { return KTR4_SR_position_move(0, 0, 50000, 1000, 10000, 0.4, 0.9, 0, 0); }},
        {"line2", "LINE2 interpolation: (30 000, 40 000), path speed 10 000 pps", {0, 1}, start_line2},
        {"arc3p", "Three-point arc: (0,0) -> (20 000, 20 000) -> (40 000, 0) at 8000 pps", {0, 1}, start_arc3p},
    };
}

bool all_stopped(const std::vector<uint8_t>& axes)
{
    for (uint8_t a : axes) {
        uint8_t s = 0;
        KTR4_read_motion_status(0, a, 0, &s);
        if (!s)
            return false;
    }
    return true;
}

Sample sample(const std::vector<uint8_t>& axes, uint64_t t0)
{
    Sample s {};
    s.t = static_cast<double>(ktr4sim_now() - t0) / KTR4SIM_TICKS_PER_SECOND;
    for (size_t i = 0; i < axes.size(); ++i) {
        KTR4_read_current_position(0, axes[i], &s.pos[i]);
        KTR4_read_speed(0, axes[i], &s.speed[i]);
    }
    return s;
}

int run(const Scenario& sc, const std::string& dir)
{
    ktr4sim_reset();
    ktr4sim_use_virtual_clock(1);
    ktr4sim_trace_enable(0);
    if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK)
        return 1;
    const uint64_t t0 = ktr4sim_now();
    const int32_t rc = sc.start();
    if (rc != KTR4_OK) {
        std::fprintf(stderr, "%s: the move was refused with code %d\n", sc.name.c_str(), rc);
        return 1;
    }
    std::vector<Sample> samples {sample(sc.axes, t0)};
    const uint64_t step = KTR4SIM_TICKS_PER_SECOND / 2000;  // 0.5 ms
    while (!all_stopped(sc.axes) && samples.size() < 200000) {
        ktr4sim_advance(step);
        samples.push_back(sample(sc.axes, t0));
    }
    const std::string base = dir + "/" + sc.name;
    std::ofstream csv(base + ".csv");
    csv << "time_s";
    for (uint8_t a : sc.axes)
        csv << ",position_" << int(a) << ",speed_" << int(a);
    csv << "\n";
    for (const Sample& s : samples) {
        csv << s.t;
        for (size_t i = 0; i < sc.axes.size(); ++i)
            csv << ',' << s.pos[i] << ',' << s.speed[i];
        csv << "\n";
    }
    if (!ktr4plot::write_svg(base + ".svg", {sc.title, sc.axes, samples}))
        std::fprintf(stderr, "ktr4-plot: cannot write %s.svg\n", base.c_str());
    const Sample& last = samples.back();
    std::printf("%-14s %8.4f s  end", sc.name.c_str(), last.t);
    for (size_t i = 0; i < sc.axes.size(); ++i)
        std::printf(" axis %d = %d", sc.axes[i], last.pos[i]);
    std::printf("  -> %s.csv, %s.svg\n", base.c_str(), base.c_str());
    KTR4_close();
    return 0;
}

// Draws a recorded run: DIR/<name without .csv>.svg.
int plot_file(const std::string& path, const std::string& dir)
{
    ktr4plot::Run run;
    std::string error;
    if (!ktr4plot::read_recording(path, run, error)) {
        std::fprintf(stderr, "ktr4-plot: %s\n", error.c_str());
        return 1;
    }
    const std::filesystem::path file(path);
    run = ktr4plot::only_axes(run, ktr4plot::moving_axes(run));
    run.title = "Recorded run " + file.filename().string();
    const std::string svg = dir + "/" + file.stem().string() + ".svg";
    if (!ktr4plot::write_svg(svg, run)) {
        std::fprintf(stderr, "ktr4-plot: cannot write %s\n", svg.c_str());
        return 1;
    }
    std::printf("%-14s %8.4f s  %zu samples  -> %s\n", file.filename().c_str(), run.samples.back().t,
                run.samples.size(), svg.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string dir = ".";
    std::vector<std::string> wanted;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--out" && i + 1 < argc) {
            dir = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            std::printf("usage: ktr4-plot [--out DIR] [scenario | FILE ...]\nscenarios:");
            for (const auto& sc : scenarios())
                std::printf(" %s", sc.name.c_str());
            std::printf("\n");
            return 0;
        } else {
            wanted.push_back(arg);
        }
    }
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::fprintf(stderr, "ktr4-plot: cannot create %s: %s\n", dir.c_str(), error.message().c_str());
        return 1;
    }
    const std::vector<Scenario> all = scenarios();
    if (wanted.empty())
        for (const auto& sc : all)
            wanted.push_back(sc.name);
    int failures = 0;
    for (const std::string& name : wanted) {
        const auto sc = std::find_if(all.begin(), all.end(), [&](const Scenario& s) { return s.name == name; });
        if (sc != all.end()) {
            failures += run(*sc, dir);
        } else if (std::filesystem::is_regular_file(name)) {
            failures += plot_file(name, dir);
        } else {
            std::fprintf(stderr, "ktr4-plot: %s is neither a scenario nor a file (try --help)\n", name.c_str());
            return 2;
        }
    }
    return failures == 0 ? 0 : 1;
}
