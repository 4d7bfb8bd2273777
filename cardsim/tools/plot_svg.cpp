#include "plot_svg.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

namespace ktr4plot {
namespace {

using Line = std::vector<std::pair<double, double>>;

struct Chart {
    double x, y, w, h;  // placement in the picture
    std::string title, x_label, y_label;
};

const std::vector<std::string> kColours {"#1f77b4", "#d62728", "#2ca02c", "#9467bd"};
const std::vector<std::string> kColourNames {"blue", "red", "green", "purple"};

std::string fmt(double v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    return buf;
}

void draw(std::ostringstream& svg, const Chart& c, const std::vector<Line>& lines,
          const std::vector<std::string>& colours, bool equal_scale = false)
{
    double x0 = 1e300, x1 = -1e300, y0 = 1e300, y1 = -1e300;
    for (const auto& line : lines)
        for (auto [x, y] : line) {
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    if (x1 <= x0)
        x1 = x0 + 1;
    if (y1 <= y0)
        y1 = y0 + 1;
    const double pad = (y1 - y0) * 0.05;
    y0 -= pad, y1 += pad;
    double sx = c.w / (x1 - x0), sy = c.h / (y1 - y0);
    if (equal_scale)
        sx = sy = std::min(sx, sy);
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
        for (auto [x, y] : lines[l])
            svg << c.x + (x - x0) * sx << ',' << c.y + c.h - (y - y0) * sy << ' ';
        svg << "'/>\n";
    }
}

// Charts need no more than a couple of thousand points; the last one is always kept.
std::vector<Sample> thinned(const std::vector<Sample>& samples)
{
    std::vector<Sample> thin;
    const size_t every = std::max<size_t>(1, samples.size() / 1500);
    for (size_t i = 0; i < samples.size(); i += every)
        thin.push_back(samples[i]);
    if (!samples.empty() && (samples.size() - 1) % every != 0)
        thin.push_back(samples.back());
    return thin;
}

}  // namespace

bool write_svg(const std::string& path, const Run& run)
{
    const size_t n = std::min<size_t>(run.axes.size(), 4);
    const bool xy = n == 2;
    const double width = xy ? 1100 : 760, height = 600;
    std::ostringstream svg;
    svg << "<svg xmlns='http://www.w3.org/2000/svg' width='" << width << "' height='" << height
        << "' font-family='sans-serif'>\n<rect width='100%' height='100%' fill='white'/>\n";
    svg << "<text x='20' y='24' font-size='15' font-weight='bold'>" << run.title << "</text>\n";
    std::vector<Line> pos(n), spd(n);
    const std::vector<Sample> samples = thinned(run.samples);
    for (const Sample& s : samples)
        for (size_t i = 0; i < n; ++i) {
            pos[i].push_back({s.t, s.pos[i]});
            spd[i].push_back({s.t, s.speed[i]});
        }
    std::string legend;
    for (size_t i = 0; n > 1 && i < n; ++i)
        legend += (i == 0 ? " (" : ", ") + kColourNames[i] + ": axis " + std::to_string(run.axes[i])
            + (i + 1 == n ? ")" : "");
    if (n == 1)
        legend = " of axis " + std::to_string(run.axes[0]);
    draw(svg, {80, 60, 600, 200, "Position" + legend, "time (s)", "pulses"}, pos, kColours);
    draw(svg, {80, 340, 600, 200, "Speed" + legend, "time (s)", "pulses/s"}, spd, kColours);
    if (xy) {
        std::vector<Line> path(1);
        for (const Sample& s : samples)
            path[0].push_back({s.pos[0], s.pos[1]});
        draw(svg,
             {780, 60, 300, 480, "X-Y path", "axis " + std::to_string(run.axes[0]),
              "axis " + std::to_string(run.axes[1])},
             path, {"#2ca02c"}, true);
    }
    svg << "</svg>\n";
    std::ofstream out(path);
    out << svg.str();
    return static_cast<bool>(out);
}

}  // namespace ktr4plot
