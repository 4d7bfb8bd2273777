#include "recording_file.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace ktr4plot {
namespace {

std::vector<std::string> fields_of(const std::string& line)
{
    std::vector<std::string> fields;
    std::stringstream in(line);
    std::string field;
    while (std::getline(in, field, ','))
        fields.push_back(field);
    if (!line.empty() && line.back() == ',')
        fields.emplace_back();
    return fields;
}

bool number(const std::string& text, double& value)
{
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size();
}

}  // namespace

bool read_recording(const std::string& path, Run& run, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot open " + path;
        return false;
    }
    std::string line;
    std::getline(in, line);
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    const std::vector<std::string> header = fields_of(line);
    // time_s, then position_N, speed_N for each axis N.
    bool good = header.size() >= 3 && header.size() % 2 == 1 && header.size() <= 9 && header[0] == "time_s";
    run.axes.clear();
    for (size_t i = 1; good && i < header.size(); i += 2) {
        const std::string axis = header[i].substr(header[i].find('_') + 1);
        good = axis.size() == 1 && axis[0] >= '0' && axis[0] <= '3' && header[i] == "position_" + axis
            && header[i + 1] == "speed_" + axis;
        if (good)
            run.axes.push_back(static_cast<uint8_t>(axis[0] - '0'));
    }
    if (!good) {
        error = path + ": not a recorded run (the first line is not time_s,position_N,speed_N,...)";
        return false;
    }
    run.samples.clear();
    for (size_t row = 2; std::getline(in, line); ++row) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        const std::vector<std::string> fields = fields_of(line);
        Sample s;
        bool ok = fields.size() == header.size() && number(fields[0], s.t);
        for (size_t i = 0; ok && i < run.axes.size(); ++i) {
            double position = 0;
            ok = number(fields[1 + 2 * i], position) && number(fields[2 + 2 * i], s.speed[i]);
            s.pos[i] = static_cast<int32_t>(position);
        }
        if (!ok) {
            error = path + ": line " + std::to_string(row) + " is not " + std::to_string(header.size()) + " numbers";
            return false;
        }
        run.samples.push_back(s);
    }
    if (run.samples.empty()) {
        error = path + ": no samples";
        return false;
    }
    return true;
}

std::vector<uint8_t> moving_axes(const Run& run)
{
    std::vector<uint8_t> moving;
    for (size_t i = 0; i < run.axes.size(); ++i) {
        const Sample& first = run.samples.front();
        for (const Sample& s : run.samples)
            if (s.pos[i] != first.pos[i] || s.speed[i] != first.speed[i]) {
                moving.push_back(run.axes[i]);
                break;
            }
    }
    return moving.empty() ? run.axes : moving;
}

Run only_axes(const Run& run, const std::vector<uint8_t>& axes)
{
    Run out {run.title, axes, {}};
    for (const Sample& s : run.samples) {
        Sample kept;
        kept.t = s.t;
        for (size_t k = 0; k < axes.size(); ++k)
            for (size_t i = 0; i < run.axes.size(); ++i)
                if (run.axes[i] == axes[k])
                    kept.pos[k] = s.pos[i], kept.speed[k] = s.speed[i];
        out.samples.push_back(kept);
    }
    return out;
}

}  // namespace ktr4plot
