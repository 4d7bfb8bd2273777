#include "plot/path_plot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ktr4path {
namespace {

constexpr double kWidth = 800, kPathTop = 40, kPathHeight = 500, kSpeedTop = 600, kSpeedHeight = 250, kMargin = 60;

std::string num(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", v);
    return text;
}

std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '&')
            out += "&amp;";
        else
            out += c;
    }
    return out;
}

// Blue (slow) to red (fast).
std::string colour(double fraction)
{
    const int red = static_cast<int>(std::lround(255 * std::clamp(fraction, 0.0, 1.0)));
    char text[16];
    std::snprintf(text, sizeof text, "#%02x40%02x", red, 255 - red);
    return text;
}

}  // namespace

std::string pathPlotSvg(const std::vector<PlannedBlock>& blocks, const std::string& title)
{
    double minX = INFINITY, maxX = -INFINITY, minY = INFINITY, maxY = -INFINITY, fastest = 0, total = 0;
    for (const PlannedBlock& b : blocks) {
        for (const Position* p : {&b.segment.start, &b.segment.end}) {
            minX = std::min(minX, (*p)[kX]);
            maxX = std::max(maxX, (*p)[kX]);
            minY = std::min(minY, (*p)[kY]);
            maxY = std::max(maxY, (*p)[kY]);
        }
        fastest = std::max(fastest, b.peakSpeed);
        total += b.segment.length;
    }
    std::string svg =
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"800\" height=\"900\" "
        "font-family=\"sans-serif\" font-size=\"12\">\n<rect width=\"800\" height=\"900\" fill=\"white\"/>\n";
    svg += "<text x=\"" + num(kMargin) + "\" y=\"24\" font-size=\"16\">" + escaped(title) + "</text>\n";
    if (blocks.empty())
        return svg + "<text x=\"60\" y=\"80\">no motion</text>\n</svg>\n";
    // The path, X to the right and Y up, one scale for both.
    const double spanX = std::max(maxX - minX, 1e-9), spanY = std::max(maxY - minY, 1e-9);
    const double scale = std::min((kWidth - 2 * kMargin) / spanX, (kPathHeight - 20) / spanY);
    auto px = [&](double x) { return kMargin + (x - minX) * scale; };
    auto py = [&](double y) { return kPathTop + kPathHeight - 10 - (y - minY) * scale; };
    for (const PlannedBlock& b : blocks) {
        const Segment& s = b.segment;
        const bool traverse = s.kind == MoveKind::StraightTraverse;
        svg += "<line x1=\"" + num(px(s.start[kX])) + "\" y1=\"" + num(py(s.start[kY])) + "\" x2=\""
            + num(px(s.end[kX])) + "\" y2=\"" + num(py(s.end[kY])) + "\" stroke=\""
            + (traverse ? std::string("#aaaaaa") : colour(fastest > 0 ? b.peakSpeed / fastest : 0)) + "\""
            + (traverse ? " stroke-dasharray=\"4 3\"" : "") + " stroke-width=\"1.5\"/>\n";
    }
    svg += "<text x=\"" + num(kMargin) + "\" y=\"" + num(kPathTop + kPathHeight + 16)
        + "\">X-Y path (traverses dashed; blue slow, red at " + num(fastest * 60) + " units/min)</text>\n";
    // Speed along the path: each block sampled at its ends, the ends of its ramps and between.
    const double plotWidth = kWidth - 2 * kMargin;
    auto sx = [&](double d) { return kMargin + d / std::max(total, 1e-9) * plotWidth; };
    auto sy = [&](double v) { return kSpeedTop + kSpeedHeight - v / std::max(fastest, 1e-9) * kSpeedHeight; };
    svg += "<rect x=\"" + num(kMargin) + "\" y=\"" + num(kSpeedTop) + "\" width=\"" + num(plotWidth) + "\" height=\""
        + num(kSpeedHeight)
        + "\" fill=\"none\" stroke=\"#cccccc\"/>\n<polyline fill=\"none\" stroke=\"#2060c0\" points=\"";
    double travelled = 0;
    for (const PlannedBlock& b : blocks) {
        const int samples = 8;
        for (int k = 0; k <= samples; ++k) {
            const double d = b.segment.length * k / samples;
            svg += num(sx(travelled + d)) + "," + num(sy(b.speedAt(d))) + " ";
        }
        travelled += b.segment.length;
    }
    svg += "\"/>\n<text x=\"" + num(kMargin) + "\" y=\"" + num(kSpeedTop + kSpeedHeight + 18)
        + "\">planned speed along the path, 0 to " + num(fastest * 60) + " units/min over " + num(total)
        + " units</text>\n</svg>\n";
    return svg;
}

}  // namespace ktr4path
