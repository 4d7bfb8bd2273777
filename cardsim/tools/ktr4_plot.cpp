// ktr4-plot: runs moves on the simulated card through the ktr4 library with the virtual
// clock, and writes for each a CSV of time, positions and speeds and an SVG of position and
// speed against time (and the X-Y path for interpolations).
//
//   ktr4-plot [--out DIR] [scenario ...]     (no scenario: all of them)
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

namespace {

struct Sample {
  double t;
  int32_t pos[2];
  double speed[2];
};

struct Scenario {
  std::string name, title;
  std::vector<uint8_t> axes;  // one axis, or x and y of an interpolation
  std::function<int32_t()> start;
};

// LINE2 on axes 0 and 1: 30 000 and 40 000 pulses, start 1000 pps, top 10 000 pps, 0.1 s ramps.
int32_t start_line2() { return KTR4_T_curve_move_LINE2(0, 0, 30000, 40000, 0, 1000, 10000, 0.1, 0.1); }

// A three-point arc from (0, 0) through (20 000, 20 000) to (40 000, 0) at 8000 pps.
int32_t start_arc3p() { return KTR4_ARC_3P_move_XY(0, 20000, 20000, 40000, 0, 0, 8000); }

std::vector<Scenario> scenarios() {
  return {
      {"tcurve-full", "T-curve, full profile: 50 000 pulses, 1000 -> 10 000 pps, 0.3 s / 0.6 s", {0},
       [] { return KTR4_TR_position_move(0, 0, 50000, 1000, 10000, 0.3, 0.6); }},
      {"tcurve-short", "T-curve, shortened (triangle): 3000 pulses, 1000 -> 10 000 pps, 0.3 s / 0.8 s", {0},
       [] { return KTR4_TR_position_move(0, 0, 3000, 1000, 10000, 0.3, 0.8); }},
      {"scurve-linear", "S-curve with linear part: 50 000 pulses, S sections 2000 pps, 0.4 s / 0.9 s", {0},
       [] { return KTR4_SR_position_move(0, 0, 50000, 1000, 10000, 0.4, 0.9, 2000, 2000); }},
      {"scurve-pure", "S-curve without linear part: 50 000 pulses, 0.4 s / 0.9 s", {0},
       [] { return KTR4_SR_position_move(0, 0, 50000, 1000, 10000, 0.4, 0.9, 0, 0); }},
      {"line2", "LINE2 interpolation: (30 000, 40 000), path speed 10 000 pps", {0, 1}, start_line2},
      {"arc3p", "Three-point arc: (0,0) -> (20 000, 20 000) -> (40 000, 0) at 8000 pps", {0, 1}, start_arc3p},
  };
}

bool all_stopped(const std::vector<uint8_t>& axes) {
  for (uint8_t a : axes) {
    uint8_t s = 0;
    KTR4_read_motion_status(0, a, 0, &s);
    if (!s) return false;
  }
  return true;
}

Sample sample(const std::vector<uint8_t>& axes, uint64_t t0) {
  Sample s{};
  s.t = static_cast<double>(ktr4sim_now() - t0) / KTR4SIM_TICKS_PER_SECOND;
  for (size_t i = 0; i < axes.size(); ++i) {
    KTR4_read_current_position(0, axes[i], &s.pos[i]);
    KTR4_read_speed(0, axes[i], &s.speed[i]);
  }
  return s;
}

// --- SVG -----------------------------------------------------------------------------------

struct Chart {
  double x, y, w, h;  // placement in the picture
  std::string title, x_label, y_label;
};

std::string fmt(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4g", v);
  return buf;
}

void draw(std::ostringstream& svg, const Chart& c, const std::vector<std::vector<std::pair<double, double>>>& lines,
          const std::vector<std::string>& colours, bool equal_scale = false) {
  double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
  for (const auto& line : lines)
    for (auto [x, y] : line) {
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
  if (x1 <= x0) x1 = x0 + 1;
  if (y1 <= y0) y1 = y0 + 1;
  const double pad = (y1 - y0) * 0.05;
  y0 -= pad, y1 += pad;
  double sx = c.w / (x1 - x0), sy = c.h / (y1 - y0);
  if (equal_scale) sx = sy = std::min(sx, sy);
  svg << "<rect x='" << c.x << "' y='" << c.y << "' width='" << c.w << "' height='" << c.h
      << "' fill='none' stroke='#999'/>\n";
  svg << "<text x='" << c.x + c.w / 2 << "' y='" << c.y - 8 << "' text-anchor='middle' font-size='14'>" << c.title
      << "</text>\n";
  svg << "<text x='" << c.x + c.w / 2 << "' y='" << c.y + c.h + 32 << "' text-anchor='middle' font-size='12'>"
      << c.x_label << "</text>\n";
  svg << "<text x='" << c.x - 52 << "' y='" << c.y + c.h / 2 << "' font-size='12' transform='rotate(-90 " << c.x - 52
      << ' ' << c.y + c.h / 2 << ")' text-anchor='middle'>" << c.y_label << "</text>\n";
  for (int i = 0; i <= 4; ++i) {
    const double gx = x0 + (x1 - x0) * i / 4, gy = y0 + (y1 - y0) * i / 4;
    svg << "<text x='" << c.x + (gx - x0) * sx << "' y='" << c.y + c.h + 15
        << "' text-anchor='middle' font-size='10'>" << fmt(gx) << "</text>\n";
    svg << "<text x='" << c.x - 4 << "' y='" << c.y + c.h - (gy - y0) * sy + 3
        << "' text-anchor='end' font-size='10'>" << fmt(gy) << "</text>\n";
  }
  for (size_t l = 0; l < lines.size(); ++l) {
    svg << "<polyline fill='none' stroke='" << colours[l % colours.size()] << "' stroke-width='1.5' points='";
    for (auto [x, y] : lines[l]) svg << c.x + (x - x0) * sx << ',' << c.y + c.h - (y - y0) * sy << ' ';
    svg << "'/>\n";
  }
}

void write_svg(const std::string& path, const Scenario& sc, const std::vector<Sample>& samples) {
  const bool xy = sc.axes.size() == 2;
  const double width = xy ? 1100 : 760, height = 600;
  std::ostringstream svg;
  svg << "<svg xmlns='http://www.w3.org/2000/svg' width='" << width << "' height='" << height
      << "' font-family='sans-serif'>\n<rect width='100%' height='100%' fill='white'/>\n";
  svg << "<text x='20' y='24' font-size='15' font-weight='bold'>" << sc.title << "</text>\n";
  const std::vector<std::string> colours{"#1f77b4", "#d62728"};
  std::vector<std::vector<std::pair<double, double>>> pos(sc.axes.size()), spd(sc.axes.size());
  for (const Sample& s : samples)
    for (size_t i = 0; i < sc.axes.size(); ++i) {
      pos[i].push_back({s.t, s.pos[i]});
      spd[i].push_back({s.t, s.speed[i]});
    }
  const std::string legend = xy ? " (blue: axis " + std::to_string(sc.axes[0]) + ", red: axis " +
                                      std::to_string(sc.axes[1]) + ")"
                                : "";
  draw(svg, {80, 60, 600, 200, "Position" + legend, "time (s)", "pulses"}, pos, colours);
  draw(svg, {80, 340, 600, 200, "Speed" + legend, "time (s)", "pulses/s"}, spd, colours);
  if (xy) {
    std::vector<std::vector<std::pair<double, double>>> path(1);
    for (const Sample& s : samples) path[0].push_back({s.pos[0], s.pos[1]});
    draw(svg, {780, 60, 300, 480, "X-Y path", "axis " + std::to_string(sc.axes[0]), "axis " + std::to_string(sc.axes[1])},
         path, {"#2ca02c"}, true);
  }
  svg << "</svg>\n";
  std::ofstream out(path);
  out << svg.str();
  if (!out) std::fprintf(stderr, "ktr4-plot: cannot write %s\n", path.c_str());
}

int run(const Scenario& sc, const std::string& dir) {
  ktr4sim_reset();
  ktr4sim_use_virtual_clock(1);
  ktr4sim_trace_enable(0);
  if (KTR4_initial() != KTR4_OK || KTR4_init_card(0) != KTR4_OK) return 1;
  const uint64_t t0 = ktr4sim_now();
  const int32_t rc = sc.start();
  if (rc != KTR4_OK) {
    std::fprintf(stderr, "%s: the move was refused with code %d\n", sc.name.c_str(), rc);
    return 1;
  }
  std::vector<Sample> samples{sample(sc.axes, t0)};
  const uint64_t step = KTR4SIM_TICKS_PER_SECOND / 2000;  // 0.5 ms
  while (!all_stopped(sc.axes) && samples.size() < 200000) {
    ktr4sim_advance(step);
    samples.push_back(sample(sc.axes, t0));
  }
  const std::string base = dir + "/" + sc.name;
  std::ofstream csv(base + ".csv");
  csv << "time_s";
  for (uint8_t a : sc.axes) csv << ",position_" << int(a) << ",speed_" << int(a);
  csv << "\n";
  for (const Sample& s : samples) {
    csv << s.t;
    for (size_t i = 0; i < sc.axes.size(); ++i) csv << ',' << s.pos[i] << ',' << s.speed[i];
    csv << "\n";
  }
  // Charts need no more than a couple of thousand points.
  std::vector<Sample> thin;
  const size_t every = std::max<size_t>(1, samples.size() / 1500);
  for (size_t i = 0; i < samples.size(); i += every) thin.push_back(samples[i]);
  thin.push_back(samples.back());
  write_svg(base + ".svg", sc, thin);
  const Sample& last = samples.back();
  std::printf("%-14s %8.4f s  end", sc.name.c_str(), last.t);
  for (size_t i = 0; i < sc.axes.size(); ++i) std::printf(" axis %d = %d", sc.axes[i], last.pos[i]);
  std::printf("  -> %s.csv, %s.svg\n", base.c_str(), base.c_str());
  KTR4_close();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::string dir = ".";
  std::vector<std::string> wanted;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--out" && i + 1 < argc) {
      dir = argv[++i];
    } else if (arg == "-h" || arg == "--help") {
      std::printf("usage: ktr4-plot [--out DIR] [scenario ...]\nscenarios:");
      for (const auto& sc : scenarios()) std::printf(" %s", sc.name.c_str());
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
  int failures = 0, ran = 0;
  for (const auto& sc : scenarios()) {
    if (!wanted.empty() && std::find(wanted.begin(), wanted.end(), sc.name) == wanted.end()) continue;
    ++ran;
    failures += run(sc, dir);
  }
  if (ran == 0) {
    std::fprintf(stderr, "ktr4-plot: no such scenario (try --help)\n");
    return 2;
  }
  return failures == 0 ? 0 : 1;
}
